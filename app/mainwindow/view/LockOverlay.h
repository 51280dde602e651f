#pragma once

#include <QPointer>
#include <QWidget>

class LockPresenter;
class QLabel;
class QLineEdit;
class QPushButton;

// The lock over the main window's content: the title bar shows through its
// top strip, the rest is a white panel with the avatar, the nickname and the
// password field. While it stands, the views it covers are disabled, so
// neither clicks nor keys nor shortcuts reach them; focus stays in the field.
class LockOverlay : public QWidget
{
    Q_OBJECT
public:
    LockOverlay(LockPresenter *presenter, const QList<QWidget *> &covered, QWidget *parent);
    ~LockOverlay() override;

    void setBarHeight(int height);
    QLineEdit *passwordField() const { return m_password; }
    QLabel *errorLabel() const { return m_error; }
    QPushButton *forgetButton() const { return m_forget; }
    QPushButton *quitButton() const { return m_quit; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void release();

    LockPresenter *m_presenter;
    QList<QPointer<QWidget>> m_covered;
    int m_barHeight = 0;
    QWidget *m_panel;
    QLineEdit *m_password;
    QLabel *m_error;
    QPushButton *m_forget;
    QPushButton *m_quit;
};
