#pragma once

#include <QList>
#include <QVariant>

// A few values of many rows (Context::fetchValues): the keys, and per row one value
// per name asked for, row after row.
struct FetchedValues
{
    QList<qint64> keys;
    int width = 0; // values per row
    QList<QVariant> values;

    qsizetype size() const { return keys.size(); }
    bool isEmpty() const { return keys.isEmpty(); }
    const QVariant &at(qsizetype row, int column) const { return values.at(row * width + column); }
};
