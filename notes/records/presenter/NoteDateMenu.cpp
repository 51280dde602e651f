#include "notes/records/presenter/NoteDateMenu.h"

NoteDateMenu NoteDateMenu::forNote(bool wifi, bool fired)
{
    NoteDateMenu menu;
    const bool armed = wifi && !fired;
    menu.m_items = {
        {Complete, armed ? QStringLiteral("已完成") : QStringLiteral("完成"), !armed},
        {Delete, QStringLiteral("删除"), true},
        {0, {}, true},
        {Copy, QStringLiteral("复制"), true},
        {Detail, QStringLiteral("详情"), true},
    };
    return menu;
}
