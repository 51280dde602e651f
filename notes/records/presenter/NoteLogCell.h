#pragma once

#include "notes/records/presenter/NoteLogText.h"

#include <QColor>
#include <QMetaType>
#include <QString>

class NoteLog;

// What an edit-history row shows, read once from its record: the device's
// image, the time, the category, the kind of change as a coloured badge and
// the text with its change spans. Lists of history records (the records pane,
// the search) hand it to the row painter under `Role`, with the record's store key.
struct NoteLogCell
{
    static constexpr int Role = 0x0100 + 40; // Qt::UserRole + 40

    qint64 key = 0; // the record's store key
    QString tId;
    QString createTime;
    QString classifyName;
    int actionType = 0;
    int terminalId = 0;
    NoteLogText text;

    static NoteLogCell fromLog(const NoteLog &log);

    // "note_pc", "note_ios", … by the device kind; "note_web" for any other.
    static QString terminalImage(int terminalId);
    // "新增", "修改", "删除", "管理" for any other kind.
    static QString badgeText(int actionType);
    static QColor badgeColor(int actionType);

    QString badge() const { return badgeText(actionType); }
    bool operator==(const NoteLogCell &) const = default;
};

Q_DECLARE_METATYPE(NoteLogCell)
