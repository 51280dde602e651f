#include "notes/search/presenter/NoteSearchMenu.h"

NoteSearchMenu NoteSearchMenu::forRow(bool historyRecord)
{
    NoteSearchMenu menu;
    menu.m_items = {{Copy, QStringLiteral("  复制  ")},
                    {Second, historyRecord ? QStringLiteral("  删除  ") : QStringLiteral("  详情  ")}};
    return menu;
}

bool NoteSearchMenu::allows(int tag) const
{
    for (const Item &item : m_items)
        if (item.tag == tag)
            return true;
    return false;
}
