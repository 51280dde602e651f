#pragma once

#include "app/services/Services.h"

#include <QObject>
#include <QString>
#include <QStringList>

class AuthWebPageFactory;
class OAuthPresenter;
class RememberedAccountsModel;
struct BaseSuccessModel;

// The login screen without its widgets: the form's state, the agreement and
// auto-login decision at each showing, and the whole sign-in sequence (reply,
// remembered account, sign-in keys, web key) up to the request for the main
// window. The view forwards user actions and renders the state.
class LoginPresenter : public QObject
{
    Q_OBJECT
public:
    // Uses the bundle's store, api, feedback, urls and passwords.
    explicit LoginPresenter(const Services &services, QObject *parent = nullptr);
    ~LoginPresenter() override;

    // The form. The view renders these after stateChanged().
    QString account() const { return m_account; }
    QString password() const { return m_password; }
    bool loginEnabled() const { return m_loginEnabled && !m_inFlight; }
    bool autoLogin() const { return m_autoLogin; }
    bool savePassword() const { return m_savePassword; }
    bool signingIn() const { return m_inFlight; }
    // The avatar's address; empty shows the placeholder.
    QString avatarUrl() const { return m_avatarUrl; }

    RememberedAccountsModel *accounts() const { return m_accounts; }
    bool accountListOpen() const { return m_listOpen; }

    // --- what the view forwards ---------------------------------------------
    // Every showing of the window (start, reopen, logout).
    void windowShown();
    // User edits (never programmatic fills).
    void accountEdited(const QString &text);
    void passwordEdited(const QString &text);
    void loginClicked();
    void autoLoginClicked(bool on);
    void savePasswordClicked(bool on);
    void forgotPasswordClicked();
    void registerClicked();
    // The drop-down button beside the account field.
    void accountListClicked();
    // A click outside the list, or editing begins: the list closes.
    void closeAccountList();
    void accountChosen(int row);
    void accountRemoveClicked(int row);

    // The choice under the "微信"/"QQ" button (`oauthType` "wx" or "qq"):
    // 0 cancel, 1 sign in this once (auto-login off), 2 sign in and
    // automatically from now on (auto-login on); 1 and 2 then open the
    // authorisation window, whose "ok" signs in with the openId.
    void oauthChoiceMade(int choice, const QString &oauthType);
    // Where the authorisation window opens (not owned); without it the
    // buttons do nothing.
    void setAuthPages(AuthWebPageFactory *pages) { m_authPages = pages; }
    bool authorising() const { return m_oauth != nullptr; }
    static QStringList oauthChoiceTitles();

    // A WeChat/QQ identity (remembered for auto-login, or authorised).
    void signInWithOpenId(const QString &openId, const QString &oauthType);

    // The text shown once per process when "remember password" cannot be
    // honoured because no keychain can store it.
    static QString passwordNotSavedText();
    static QString signInFailedText();
    static QString emptyFieldsText();
    static void resetPasswordNoticeForTests();

signals:
    void stateChanged();
    // The agreement prompt is to be shown (nothing else happens at this showing).
    void agreementRequested();
    // The sign-in is complete: the main window is to replace the login window
    // (the shell begins the session then).
    void signedIn();
    // Auto-login found no stored password: the password field is to take the keyboard.
    void passwordWanted();

private:
    void canAutoLogin();
    // `readPassword`: what the keychain just answered for `readAccount`.
    void autoLoginFromRecord(const QString &readAccount, const QString &readPassword);
    void signInWithPassword();
    void passwordReplied(const BaseSuccessModel &model, const QString &account);
    void openIdReplied(const BaseSuccessModel &model, const QString &openId, const QString &oauthType);
    bool recordSignIn(const BaseSuccessModel &model, const QString &account);
    void loadAuthJumpKey();
    void finishFailed(bool tellUser);
    void wipeForAnotherUser();
    void savePasswordFor(const QString &account, const QString &password);
    void tellPendingPasswordNotice();
    void fillFromAccount(const QString &account, qint64 userId, bool enableLogin);
    void setAccountListOpen(bool open);
    void setBusy(bool busy);
    void tell(const QString &text);
    void openWebPage(const QString &path);

    Services m_services;
    ApiNetWorking *m_api;
    Context *m_context;
    RememberedAccountsModel *m_accounts;
    AuthWebPageFactory *m_authPages = nullptr;
    OAuthPresenter *m_oauth = nullptr;

    QString m_account;
    QString m_password;
    QString m_avatarUrl;
    bool m_loginEnabled = false;
    bool m_autoLogin = false;
    bool m_savePassword = false;
    bool m_inFlight = false;
    bool m_listOpen = false;
    bool m_passwordNoticePending = false;
    quint64 m_formEdits = 0; // the user's edits of the form; a keychain answer after one is stale
};
