#pragma once

#include "app/uikit/PopoverView.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class AvatarLoader;
class LoginPresenter;

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;
class QWindow;
class RememberedAccountsPopup;

// The login window: a frameless white card that renders the login presenter's
// state and forwards the user's actions to it. Its corners are rounded where a
// compositing manager blends them; elsewhere it is a square opaque card. Dragging its
// background moves it; its close button only hides it (the shell brings it
// back). Every showing runs the presenter's agreement and auto-login decision.
class LoginWindow : public QWidget
{
    Q_OBJECT
public:
    // Takes ownership of the presenter.
    explicit LoginWindow(LoginPresenter *presenter, QWidget *parent = nullptr);
    ~LoginWindow() override;

    LoginPresenter *presenter() const { return m_presenter; }
    // The WeChat/QQ choices while they are shown.
    PopoverView *oauthChoices() const { return m_oauthChoices; }

    // Agreement links of the line under the form: "protocol" or "secret".
    void setAgreementPageOpener(std::function<void(const QString &page)> opener);

    // Whether translucent windows are blended on the screen; asked at every
    // showing and exposure. Defaults to the platform's answer.
    void setCompositingCheck(std::function<bool()> check);

    static QSize defaultSize() { return {320, 480}; }

    void setVisible(bool visible) override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build();
    void applyCompositing();
    void render();
    void placeAccountList();
    void showAvatar(const QPixmap &image);
    void showOAuthChoices(QPushButton *button);

    LoginPresenter *m_presenter;
    std::function<void(const QString &)> m_openAgreementPage;
    std::function<bool()> m_compositing;
    bool m_rounded = false; // painted with transparent rounded corners
    QPointer<QWindow> m_watchedWindow;

    QLabel *m_avatar = nullptr;
    QLineEdit *m_account = nullptr;
    QToolButton *m_accountList = nullptr;
    QLineEdit *m_password = nullptr;
    QCheckBox *m_savePassword = nullptr;
    QCheckBox *m_autoLogin = nullptr;
    QPushButton *m_login = nullptr;
    QPushButton *m_forgot = nullptr;
    QPushButton *m_register = nullptr;
    QPushButton *m_weChat = nullptr;
    QPushButton *m_qq = nullptr;
    QToolButton *m_close = nullptr;
    QLabel *m_agreement = nullptr;
    RememberedAccountsPopup *m_popup = nullptr;
    QPointer<PopoverView> m_oauthChoices; // the WeChat/QQ choices while shown
    AvatarLoader *m_avatarLoader = nullptr;
};
