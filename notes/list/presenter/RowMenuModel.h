#pragma once

#include <QList>
#include <QString>

// A list's row menu as it opens on one row: its items in order, with their
// tags, titles and whether they can be chosen. Empty where no menu opens (a
// click below the rows).
class RowMenuModel
{
public:
    struct Item
    {
        int tag = 0; // 0: a separator
        QString title;
        bool enabled = true;
        bool operator==(const Item &) const = default;
    };

    bool isVisible() const { return !m_items.isEmpty(); }
    const QList<Item> &items() const { return m_items; }
    // Whether the item with this tag is there and can be chosen.
    bool allows(int tag) const;

protected:
    QList<Item> m_items;
};
