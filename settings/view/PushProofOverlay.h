#pragma once

#include <QWidget>

class PushProofPresenter;
class QLabel;
class QLineEdit;
class QPushButton;

// The proof overlay: black at 0.2 over the whole window, a white panel with
// the mobile number or account name, the code or password field, the send
// button with its countdown, "取消" and "确定". Clicks never reach the window
// beneath. It goes with its presenter.
class PushProofOverlay : public QWidget
{
    Q_OBJECT
public:
    PushProofOverlay(PushProofPresenter *presenter, QWidget *window);

    PushProofPresenter *presenter() const { return m_presenter; }
    QLabel *nameTitle() const { return m_nameTitle; }
    QLabel *accountLabel() const { return m_account; }
    QLabel *proofTitle() const { return m_proofTitle; }
    QLineEdit *field() const { return m_field; }
    QPushButton *sendButton() const { return m_send; }
    QLabel *tipLabel() const { return m_tip; }
    QPushButton *confirmButton() const { return m_confirm; }
    QPushButton *cancelButton() const { return m_cancel; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void render();

    PushProofPresenter *m_presenter;
    QWidget *m_panel;
    QLabel *m_nameTitle;
    QLabel *m_account;
    QLabel *m_proofTitle;
    QLineEdit *m_field;
    QPushButton *m_send;
    QLabel *m_tip;
    QPushButton *m_confirm;
    QPushButton *m_cancel;
};
