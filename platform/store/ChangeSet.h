#pragma once

#include <QBitArray>
#include <QList>
#include <QVariant>

// What one saved context changed, handed to the main context for merging.
struct ChangeSet
{
    struct Row
    {
        int entity = -1;
        qint64 pk = 0;
        QList<QVariant> values;
        QBitArray changed;
    };
    QList<Row> inserted;
    QList<Row> updated;
    QList<QPair<int, qint64>> deleted;
    bool replaced = false;
    qint64 revision = 0; // of the save

    bool isEmpty() const { return inserted.isEmpty() && updated.isEmpty() && deleted.isEmpty(); }
};
