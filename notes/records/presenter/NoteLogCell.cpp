#include "notes/records/presenter/NoteLogCell.h"

#include "core/model/NoteLog.h"
#include "core/model/RowAction.h"
#include "core/model/Terminal.h"

#include <Qt>

static_assert(NoteLogCell::Role == Qt::UserRole + 40);

NoteLogCell NoteLogCell::fromLog(const NoteLog &log)
{
    NoteLogCell c;
    c.key = log.objectId().pk;
    c.tId = log.tId();
    c.createTime = log.createTime();
    c.classifyName = log.classifyName();
    c.actionType = log.actionType();
    c.terminalId = log.terminalId();
    c.text = NoteLogText::build(log.content(), log.diffItems(), c.actionType);
    return c;
}

QString NoteLogCell::terminalImage(int terminalId)
{
    switch (terminalId) {
    case Terminal::Pc:
        return QStringLiteral("note_pc");
    case Terminal::Ios:
        return QStringLiteral("note_ios");
    case Terminal::Android:
        return QStringLiteral("note_android");
    case Terminal::Ipad:
        return QStringLiteral("note_ipad");
    case Terminal::Mac:
        return QStringLiteral("note_mac");
    default:
        return QStringLiteral("note_web");
    }
}

QString NoteLogCell::badgeText(int actionType)
{
    switch (actionType) {
    case RowAction::Added:
        return QStringLiteral("新增");
    case RowAction::Changed:
        return QStringLiteral("修改");
    case RowAction::Deleted:
        return QStringLiteral("删除");
    default:
        return QStringLiteral("管理");
    }
}

QColor NoteLogCell::badgeColor(int actionType)
{
    switch (actionType) {
    case RowAction::Added:
        return QColor(0xe3, 0x8a, 0x04);
    case RowAction::Changed:
        return QColor(0x24, 0x8f, 0xd8);
    case RowAction::Deleted:
        return QColor(0xe3, 0x5d, 0x5d);
    default:
        return QColor(0x6e, 0x6e, 0x6e);
    }
}
