#include "platform/store/RowReader.h"

#include "platform/store/SqliteConnection.h"

#include <sqlite3.h>

QVariant RowReader::readSlot(sqlite3_stmt *stmt, int column, const EntityDescription &e, int slot)
{
    if (slot >= e.attributes.size()) {
        if (sqlite3_column_type(stmt, column) == SQLITE_NULL)
            return {};
        const qint64 key = sqlite3_column_int64(stmt, column);
        return key > 0 ? QVariant(qlonglong(key)) : QVariant();
    }
    return SqliteConnection::column(stmt, column, slotType(e, slot), slotTransformer(e, slot));
}

// Called for every row a query makes an object of: the common types are read here
// with one SQLite call each (an integer or real column reads NULL as 0, a text
// column gives no pointer for NULL), the rest as readSlot reads them.
QList<QVariant> RowReader::readRow(sqlite3_stmt *stmt, const EntityDescription &e, int slotTotal)
{
    // Each value is made in its place in the list: no temporary to move and destroy.
    QList<QVariant> values;
    values.reserve(slotTotal);
    const qsizetype attributes = e.attributes.size();
    for (int s = 0; s < slotTotal; ++s) {
        const int column = s + 1;
        if (s >= attributes) {
            const qint64 key = sqlite3_column_int64(stmt, column);
            if (key > 0)
                values.emplaceBack(qlonglong(key));
            else
                values.emplaceBack();
            continue;
        }
        switch (e.attributes.at(s).type) {
        case AttributeType::Int16:
        case AttributeType::Int32:
        case AttributeType::Int64:
            values.emplaceBack(qlonglong(sqlite3_column_int64(stmt, column)));
            break;
        case AttributeType::Bool:
            values.emplaceBack(sqlite3_column_int64(stmt, column) != 0);
            break;
        case AttributeType::Text: {
            const auto *t = reinterpret_cast<const char *>(sqlite3_column_text(stmt, column));
            values.emplaceBack(t ? QString::fromUtf8(t, sqlite3_column_bytes(stmt, column)) : QString());
            break;
        }
        default:
            values.emplaceBack(readSlot(stmt, column, e, s));
            break;
        }
    }
    return values;
}
