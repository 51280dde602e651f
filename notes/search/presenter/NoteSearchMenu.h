#pragma once

#include <QList>
#include <QString>

// The search hits' row menu as it opens on one row: "  复制  " and, for a note,
// "  详情  " or, for a history record, "  删除  ". A click below the rows opens
// none.
class NoteSearchMenu
{
public:
    enum Tag
    {
        Copy = 1001,
        Second = 1002, // "  详情  " on a note, "  删除  " on a history record
    };

    struct Item
    {
        int tag = 0;
        QString title;
        bool operator==(const Item &) const = default;
    };

    NoteSearchMenu() = default; // nothing to show
    static NoteSearchMenu forRow(bool historyRecord);

    bool isVisible() const { return !m_items.isEmpty(); }
    const QList<Item> &items() const { return m_items; }
    bool allows(int tag) const;

private:
    QList<Item> m_items;
};
