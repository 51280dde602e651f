#include "app/uikit/ApplicationFont.h"

#include <QFont>
#include <QGuiApplication>

namespace ApplicationFont {

QString chineseFamily()
{
    return QStringLiteral("Noto Sans CJK SC");
}

QStringList families()
{
    return {chineseFamily(), QStringLiteral("Noto Sans CJK"), QStringLiteral("WenQuanYi Micro Hei")};
}

void install()
{
    QFont font = QGuiApplication::font();
    QStringList list = families();
    const QStringList desktop = font.families().isEmpty() ? QStringList{font.family()} : font.families();
    for (const QString &family : desktop) {
        if (!list.contains(family))
            list.append(family);
    }
    font.setFamilies(list);
    QGuiApplication::setFont(font);
}

} // namespace ApplicationFont
