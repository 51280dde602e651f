#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

// What every service call hands to its success callback. `data` is the
// decrypted payload: an object or array, a text for the text paths, or
// undefined (nil) when the reply had none or it could not be read. Callers
// check `code` and the shape of `data` before acting.
struct BaseSuccessModel
{
    bool showMsg = false;
    qint64 code = 0;
    QString msg;
    QJsonValue data = QJsonValue(QJsonValue::Undefined);

    bool isSuccess() const { return code == 200; }
    bool hasObjectData() const { return data.isObject(); }
    bool hasArrayData() const { return data.isArray(); }
    QJsonObject dataObject() const { return data.toObject(); }
    QJsonArray dataArray() const { return data.toArray(); }
    QString dataString() const { return data.toString(); }
};
