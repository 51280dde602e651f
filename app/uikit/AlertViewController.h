#pragma once

#include <QDialog>
#include <QPoint>
#include <QString>

#include <functional>

class QLabel;
class QPushButton;
class QTextEdit;

// The update notice: headline, body text and two buttons. The owner sets the
// fields and calls open(). `alertBlcok` gets 2 when the done button is
// pressed and 1 when the notice closes (cancel button, close button or
// Escape); a done press is thus followed by 1, and 1 comes exactly once.
// The notice deletes itself after it has closed; hold it in a QPointer. The
// handler may delete it too. A notice destroyed while open (with its parent)
// calls nothing: its owner is gone.
class AlertViewController : public QDialog
{
    Q_OBJECT
public:
    explicit AlertViewController(QWidget *parent = nullptr);

    QString text;        // headline; empty: "提示"
    QString detailText;  // body
    QString cancleTitle; // empty: "取消"
    QString doneTitle;   // empty: "确定"
    std::function<void(int)> alertBlcok;

    QLabel *titleLab() const { return m_titleLab; }
    QTextEdit *detailTextView() const { return m_detailTextView; }
    QPushButton *doneButton() const { return m_doneButton; }
    QPushButton *cancleButton() const { return m_cancleButton; }

    void cancleButtonAction();
    void doneButtonAction();

    void done(int result) override;

protected:
    void showEvent(QShowEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    void report(int value);

    QLabel *m_titleLab;
    QTextEdit *m_detailTextView;
    QPushButton *m_doneButton;
    QPushButton *m_cancleButton;
    bool m_closeReported = false;
    QPoint m_dragOffset;
};
