#include "notes/reminderwindow/view/NoteRemindPicker.h"

#include <QDateTimeEdit>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

NoteRemindPicker::NoteRemindPicker(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    m_edit = new QDateTimeEdit(this);
    m_edit->setDisplayFormat(QStringLiteral("yyyy/M/d H:mm"));
    m_edit->setTimeSpec(Qt::LocalTime);
    m_hint = new QLabel(this);
    m_hint->setForegroundRole(QPalette::PlaceholderText);
    m_hint->hide();
    layout->addWidget(m_edit);
    layout->addWidget(m_hint);
    setFocusProxy(m_edit);

    // Filled under a signal blocker, so a change here is the user's.
    connect(m_edit, &QDateTimeEdit::dateTimeChanged, this, [this](const QDateTime &edited) {
        // The field shows no seconds; an edit keeps those of the value.
        m_value = QDateTime(edited.date(), QTime(edited.time().hour(), edited.time().minute(),
                                                 m_value.isValid() ? m_value.time().second() : 0));
        emit dateEdited(m_value);
    });
}

void NoteRemindPicker::setDateTime(const QDateTime &value)
{
    m_value = value;
    const QSignalBlocker blocker(m_edit);
    m_edit->setDateTime(value);
}

void NoteRemindPicker::setHint(const QString &hint)
{
    m_hint->setText(hint);
    m_hint->setVisible(!hint.isEmpty());
}
