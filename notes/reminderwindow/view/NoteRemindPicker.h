#pragma once

#include <QDateTime>
#include <QWidget>

class QDateTimeEdit;
class QLabel;

// A date-and-time field ("yyyy/M/d H:mm") with, for a lunar reminder, the lunar date written beneath it.
// It keeps the seconds of the value it was given; only the user's edits are told through dateEdited.
class NoteRemindPicker : public QWidget
{
    Q_OBJECT
public:
    explicit NoteRemindPicker(QWidget *parent = nullptr);

    QDateTime dateTime() const { return m_value; }
    // Shows a value without telling dateEdited.
    void setDateTime(const QDateTime &value);
    // The line beneath the field; hidden when empty.
    void setHint(const QString &hint);
    QDateTimeEdit *edit() const { return m_edit; }

signals:
    void dateEdited(const QDateTime &value);

private:
    QDateTimeEdit *m_edit;
    QLabel *m_hint;
    QDateTime m_value;
};
