#include "core/model/NoteLogTransformer.h"

#include "core/model/NoteLogDiffItem.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonValue>

QByteArray NoteLogTransformer::transformedValue(const QVariant &array)
{
    QJsonArray out;
    for (const QVariant &element : array.toList()) {
        if (element.canConvert<NoteLogDiffItem>() && element.typeId() == qMetaTypeId<NoteLogDiffItem>())
            out.append(QJsonValue::fromVariant(element.value<NoteLogDiffItem>().encode()));
        else
            out.append(QJsonValue::fromVariant(element));
    }
    return QJsonDocument(out).toJson(QJsonDocument::Compact);
}

QVariant NoteLogTransformer::reverseTransformedValue(const QByteArray &data)
{
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !doc.isArray())
        return QVariantList();
    return doc.array().toVariantList();
}

ValueTransformer NoteLogTransformer::valueTransformer()
{
    return {&NoteLogTransformer::transformedValue, &NoteLogTransformer::reverseTransformedValue};
}
