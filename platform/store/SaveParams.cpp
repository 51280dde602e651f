#include "platform/store/SaveParams.h"

void SaveParams::add(const QVariant &v, const EntityDescription &e, int slot)
{
    if (slot >= e.attributes.size()) {
        if (v.isValid() && !v.isNull())
            addInteger(v.toLongLong());
        else
            push({});
        return;
    }
    const AttributeDef &a = e.attributes.at(slot);
    switch (a.type) {
    case AttributeType::Int16:
    case AttributeType::Int32:
    case AttributeType::Int64:
        if (v.typeId() == QMetaType::LongLong)
            addInteger(*static_cast<const qlonglong *>(v.constData()));
        else if (v.isValid() && !v.isNull())
            addInteger(v.toLongLong());
        else
            push({});
        return;
    case AttributeType::Bool:
        if (v.typeId() == QMetaType::Bool)
            addInteger(*static_cast<const bool *>(v.constData()) ? 1 : 0);
        else if (v.isValid() && !v.isNull())
            addInteger(v.toLongLong());
        else
            push({});
        return;
    case AttributeType::Float:
        if (v.isValid() && !v.isNull()) {
            Param p;
            p.kind = Kind::Real;
            p.real =
                v.typeId() == QMetaType::Float ? *static_cast<const float *>(v.constData()) : v.toDouble();
            push(p);
        } else
            push({});
        return;
    case AttributeType::Text:
        // A null text stays NULL in the file, an empty one is ''.
        if (v.typeId() == QMetaType::QString)
            addText(*static_cast<const QString *>(v.constData()));
        else if (v.isValid() && !v.isNull())
            addText(v.toString());
        else
            push({});
        return;
    case AttributeType::Object: {
        if (!v.isValid() || v.isNull()) {
            push({});
            return;
        }
        const SqliteConnection::Encoded encoded = SqliteConnection::encode(v, a.type, &a.transformer);
        if (encoded.bytes.isNull()) {
            push({});
            return;
        }
        addBytes(Kind::Blob, m_bytes.size(), encoded.bytes.size());
        m_bytes.append(encoded.bytes);
        return;
    }
    }
}

void SaveParams::addText(const QString &text)
{
    if (text.isNull()) {
        push({});
        return;
    }
    const qsizetype at = m_bytes.size();
    const qsizetype room = m_utf8.requiredSpace(text.size());
    if (m_bytes.capacity() < at + room)
        m_bytes.reserve(qMax(2 * m_bytes.capacity(), at + room + 4096));
    m_bytes.resize(at + room);
    char *end = m_utf8.appendToBuffer(m_bytes.data() + at, text);
    m_bytes.resize(end - m_bytes.constData());
    addBytes(Kind::Text, at, m_bytes.size() - at);
}
