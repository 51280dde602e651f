#include "platform/store/EntityState.h"

#include "platform/store/AttributeValue.h"
#include "platform/store/Model.h"
#include "platform/store/RowReader.h"
#include "platform/store/SqliteConnection.h"
#include "platform/store/Store.h"

EntityState::EntityState(const Model &model, const EntityDescription &e)
{
    selectColumns = QStringLiteral("pk");
    for (int s = 0; s < e.slotCount(); ++s)
        selectColumns += ", " + SqliteConnection::quoted(e.slotColumn(s));
    selectColumns += ", " + SqliteConnection::quoted(Store::revisionColumn());
    selectByPk = "SELECT " + selectColumns + " FROM " + SqliteConnection::quoted(e.name) + " WHERE pk = ?";
    {
        QString cols, marks;
        for (int s = 0; s < e.slotCount(); ++s) {
            cols += ", " + SqliteConnection::quoted(e.slotColumn(s));
            marks += ", ?";
        }
        insertSql = "INSERT INTO " + SqliteConnection::quoted(e.name) + " (pk" + cols + ", " +
                    SqliteConnection::quoted(Store::revisionColumn()) + ") VALUES (?" + marks + ", ?)";
    }
    querySql.resize((e.slotCount() + 1) * 3);
    for (int s = 0; s < e.slotCount(); ++s) {
        // An unset relationship is null, in memory as in the file.
        emptyValues.append(s < e.attributes.size() ? AttributeValue::emptyValue(RowReader::slotType(e, s))
                                                   : QVariant());
        slotTarget.append(-1);
    }
    for (int r = 0; r < e.relationships.size(); ++r) {
        const int slot = e.slotOfRelationship(r);
        if (const EntityDescription *t = model.entity(e.relationships.at(r).target); t && slot >= 0)
            slotTarget[slot] = t->index;
    }
    for (const RelationshipDef &rel : e.relationships) {
        Context::Relation r;
        r.target = model.entity(rel.target);
        r.slot = e.slotOfRelationship(int(relations.size()));
        if (r.target) {
            r.inverse = r.target->relationshipIndex(rel.inverse);
            if (r.inverse >= 0) {
                r.inverseSlot = r.target->slotOfRelationship(r.inverse);
                r.inverseToMany = r.target->relationships.at(r.inverse).toMany;
            }
        }
        relations.append(r);
    }
    unchanged = QBitArray(e.slotCount());
    allChanged = QBitArray(e.slotCount(), true);
}
