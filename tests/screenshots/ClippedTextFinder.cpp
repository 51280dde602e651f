#include "tests/screenshots/ClippedTextFinder.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTextDocument>
#include <QWidget>

namespace {

QString describe(const QWidget *widget, const QString &text, QSize needs)
{
    const QString who = widget->objectName().isEmpty()
                            ? QString::fromLatin1(widget->metaObject()->className())
                            : widget->objectName();
    return QStringLiteral("%1: \"%2\" (needs %3x%4, has %5x%6)")
        .arg(who, text.left(40))
        .arg(needs.width())
        .arg(needs.height())
        .arg(widget->width())
        .arg(widget->height());
}

QSize labelNeeds(const QLabel *label)
{
    if (label->wordWrap())
        return {0, label->heightForWidth(label->width())};
    return label->minimumSizeHint();
}

} // namespace

QStringList ClippedTextFinder::find(QWidget *root)
{
    QStringList found;
    QList<QWidget *> widgets = root->findChildren<QWidget *>();
    widgets.prepend(root);
    for (QWidget *widget : widgets) {
        if (!widget->isVisible() || widget->property("screenshotMayClip").toBool())
            continue;
        if (auto *label = qobject_cast<QLabel *>(widget)) {
            if (label->text().isEmpty() || label->hasScaledContents() || !label->pixmap().isNull())
                continue;
            QSize needs = labelNeeds(label);
            if (needs.width() > label->width() || needs.height() > label->height())
                found << describe(label, label->text(), needs);
        } else if (auto *button = qobject_cast<QAbstractButton *>(widget)) {
            if (button->text().isEmpty())
                continue;
            const QFontMetrics metrics = button->fontMetrics();
            int iconWidth = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
            QSize needs(metrics.horizontalAdvance(button->text()) + iconWidth, metrics.height());
            if (needs.width() > button->width() || needs.height() > button->height())
                found << describe(button, button->text(), needs);
        }
    }
    return found;
}
