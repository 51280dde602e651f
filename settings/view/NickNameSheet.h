#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

// The nickname sheet: a window-modal panel with the nickname field, "取消"
// and "确定". Done reports the field's text as typed; cancel reports nothing.
class NickNameSheet : public QDialog
{
    Q_OBJECT
public:
    explicit NickNameSheet(QWidget *parent);

    // Puts the nickname into the field (a null text leaves it as it is) and shows the sheet.
    void showDatasWithNick(const QString &nick);
    QLineEdit *field() const { return m_field; }
    QPushButton *doneButton() const { return m_done; }
    QPushButton *cancelButton() const { return m_cancel; }

signals:
    void nickChosen(const QString &nick);

private:
    QLineEdit *m_field;
    QPushButton *m_done;
    QPushButton *m_cancel;
};
