#pragma once

#include <QVariantMap>
#include <QtGlobal>

// One span of a change in the edit history.
class NoteLogDiffItem
{
public:
    quint64 diffType() const { return m_diffType; }
    void setDiffType(quint64 v) { m_diffType = v; }
    quint64 diffStartIndex() const { return m_diffStartIndex; }
    void setDiffStartIndex(quint64 v) { m_diffStartIndex = v; }
    quint64 diffLength() const { return m_diffLength; }
    void setDiffLength(quint64 v) { m_diffLength = v; }

    // Archiving: the three numbers under "diffLength", "diffStartIndex", "diffType".
    QVariantMap encode() const;
    static NoteLogDiffItem decode(const QVariantMap &map);

    bool operator==(const NoteLogDiffItem &o) const = default;

private:
    quint64 m_diffType = 0;
    quint64 m_diffStartIndex = 0;
    quint64 m_diffLength = 0;
};

Q_DECLARE_METATYPE(NoteLogDiffItem)
