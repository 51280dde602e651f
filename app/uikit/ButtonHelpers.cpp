#include "app/uikit/ButtonHelpers.h"

#include "app/uikit/ImageHelpers.h"

#include <QAbstractButton>
#include <QIcon>
#include <QPixmap>
#include <QVariant>

namespace {

constexpr const char *kTitle = "lp_titleColor";
constexpr const char *kBackground = "lp_backgroundColor";
constexpr const char *kHighlight = "lp_highlightColor";
constexpr const char *kRadius = "lp_cornerRadius";

QString rgba(const QColor &c)
{
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alpha());
}

// The colour calls keep their colours as properties and rebuild one style
// sheet from all of them, so that a later call does not undo an earlier one.
void restyle(QAbstractButton *button)
{
    const QColor title = button->property(kTitle).value<QColor>();
    const QColor background = button->property(kBackground).value<QColor>();
    const QColor highlight = button->property(kHighlight).value<QColor>();
    const int radius = button->property(kRadius).toInt();
    const bool borderless = background.isValid() || highlight.isValid();

    QString normal;
    if (title.isValid())
        normal += QStringLiteral("color:%1;text-align:center;").arg(rgba(title));
    if (borderless)
        normal += QStringLiteral("border:none;");
    if (background.isValid())
        normal += QStringLiteral("background-color:%1;").arg(rgba(background));
    else if (borderless)
        normal += QStringLiteral("background-color:transparent;");
    if (radius > 0)
        normal += QStringLiteral("border-radius:%1px;").arg(radius);

    QString sheet = QStringLiteral("QAbstractButton{%1}").arg(normal);
    if (highlight.isValid())
        sheet += QStringLiteral("QAbstractButton:pressed{background-color:%1;}").arg(rgba(highlight));
    button->setStyleSheet(sheet);
}

void setColour(QAbstractButton *button, const char *key, const QColor &color)
{
    if (!button)
        return;
    button->setProperty(key, color.isValid() ? QVariant::fromValue(color) : QVariant());
    restyle(button);
}

} // namespace

void lp_titleColor(QAbstractButton *button, const QColor &color)
{
    setColour(button, kTitle, color);
}

void lp_tintColor(QAbstractButton *button, const QColor &color)
{
    if (!button || button->icon().isNull())
        return;
    const QSize size = button->iconSize();
    const QImage plain = button->icon().pixmap(size).toImage();
    button->setIcon(QIcon(QPixmap::fromImage(lp_imageTintedWithColor(plain, color))));
}

void lp_highlightColor(QAbstractButton *button, const QColor &color)
{
    setColour(button, kHighlight, color);
}

void lp_backgroundColor(QAbstractButton *button, const QColor &color)
{
    setColour(button, kBackground, color);
}

void lp_cornerRadius(QAbstractButton *button, int radius)
{
    if (!button)
        return;
    button->setProperty(kRadius, radius);
    restyle(button);
}
