#include "app/login/LoginPresenter.h"

#include "app/login/RememberedAccountsModel.h"
#include "app/oauth/OAuthPresenter.h"
#include "app/services/StoreSaver.h"
#include "core/model/LoginAccount.h"
#include "platform/base/Missing.h"
#include "platform/base/UrlOpener.h"
#include "platform/base/UserDefaults.h"
#include "platform/base/UserFeedback.h"
#include "platform/store/Context.h"
#include "service/account/AutoLoginModel.h"
#include "service/account/PwdManager.h"
#include "service/account/QuitLoginManager.h"
#include "service/account/SignInKeys.h"
#include "service/api/ApiNetWorking.h"
#include "service/api/ReplyValue.h"

#include <QDebug>
#include <QJsonObject>

#include <optional>
#include <utility>

namespace {
bool passwordNoticeShown = false;

// The reply's user id as a positive integer; 0 when absent or unreadable.
qint64 userIdOf(const QJsonValue &value)
{
    const std::optional<qint64> id = ReplyValue::toInt64(value);
    return id && *id > 0 && *id <= 2147483647 ? *id : 0;
}

qint64 storedUserId()
{
    bool ok = false;
    const qint64 id = UserDefaults::value(SignInKeys::UserId).toString().trimmed().toLongLong(&ok);
    return ok ? id : 0;
}

} // namespace

LoginPresenter::LoginPresenter(const Services &services, QObject *parent)
    : QObject(parent), m_services(services), m_api(services.api), m_context(services.store),
      m_accounts(new RememberedAccountsModel(services.store, *services.passwords, this))
{
    // Until a showing fills the form, the button works only for a stored auto-login record.
    m_loginEnabled = !Missing::isMissing(UserDefaults::value(SignInKeys::Account));
    connect(m_accounts, &RememberedAccountsModel::emptied, this, &LoginPresenter::closeAccountList);
}

LoginPresenter::~LoginPresenter()
{
    if (m_inFlight)
        m_services.feedback->hideHudForWindow();
}

void LoginPresenter::tell(const QString &text)
{
    m_services.feedback->showDefaultMessageAlertWithDetailText(text);
}

void LoginPresenter::openWebPage(const QString &path)
{
    const QString base = ApiNetWorking::webBaseUrl();
    if (base.isEmpty()) {
        tell(ApiNetWorking::noApiAddressText());
        return;
    }
    m_services.urls->openUrl(QUrl(base + path));
}

QString LoginPresenter::passwordNotSavedText()
{
    return QStringLiteral("系统钥匙串不可用，密码无法保存，下次登录时请重新输入密码。");
}

QString LoginPresenter::signInFailedText()
{
    return QStringLiteral("登录失败，服务没有返回登录信息，请稍后再试。");
}

QString LoginPresenter::emptyFieldsText()
{
    return QStringLiteral("账号或密码不能为空");
}

void LoginPresenter::resetPasswordNoticeForTests()
{
    passwordNoticeShown = false;
}

void LoginPresenter::windowShown()
{
    if (UserDefaults::contains(QStringLiteral("AgreeProtocolKey")) &&
        UserDefaults::boolValue(QStringLiteral("AgreeProtocolKey"))) {
        canAutoLogin();
    } else {
        emit agreementRequested();
    }
}

void LoginPresenter::canAutoLogin()
{
    const qint64 lastUserId = storedUserId();
    const LoginAccount *row =
        lastUserId > 0 && m_context
            ? m_context->findFirstWhere<LoginAccount>(
                  [lastUserId](const LoginAccount *a) { return a->userId() == lastUserId; })
            : nullptr;
    const bool rowAutoLogin = row && row->autoLogin();
    const QString rowAccount = row ? row->account() : QString();
    if (row) {
        if (!rowAccount.isEmpty())
            m_account = rowAccount;
        m_loginEnabled = true;
        m_avatarUrl = RememberedAccountsModel::avatarUrlOf(m_context, row->userId());
    }
    m_autoLogin = rowAutoLogin;
    m_savePassword = true;
    emit stateChanged();

    if (!rowAutoLogin)
        m_services.logout->delectLocalDatas();
    if (!row)
        return;
    // The saved password fills the form when the keychain answers, unless the user typed meanwhile.
    const quint64 edits = m_formEdits;
    m_services.passwords->readPassWordWithKeyChain(
        rowAccount, this, [this, edits, rowAutoLogin, rowAccount](const QString &saved) {
            if (edits != m_formEdits)
                return;
            if (!saved.isEmpty()) {
                m_password = saved;
                emit stateChanged();
            }
            if (rowAutoLogin)
                autoLoginFromRecord(rowAccount, saved);
        });
}

void LoginPresenter::autoLoginFromRecord(const QString &readAccount, const QString &readPassword)
{
    if (Missing::isMissing(UserDefaults::value(SignInKeys::Account)))
        return;
    const AutoLoginModel record = AutoLoginModel::stored();
    if (record.type == AutoLoginModel::OAuthAutoLogin) {
        signInWithOpenId(record.openId, record.oauthType);
    } else if (record.type == AutoLoginModel::AccountLogin) {
        m_account = record.account;
        m_password.clear();
        emit stateChanged();
        const auto signIn = [this](const QString &saved) {
            m_password = saved;
            emit stateChanged();
            // No password was stored (a keychain that cannot store): the user types it, without an error.
            if (m_password.isEmpty()) {
                emit passwordWanted();
                return;
            }
            signInWithPassword();
        };
        // The keychain was just read for this account: it is not asked again.
        if (record.account == readAccount) {
            signIn(readPassword);
            return;
        }
        const quint64 edits = m_formEdits;
        m_services.passwords->readPassWordWithKeyChain(record.account, this,
                                                       [this, edits, signIn](const QString &saved) {
                                                           if (edits == m_formEdits)
                                                               signIn(saved);
                                                       });
    }
}

void LoginPresenter::accountEdited(const QString &text)
{
    ++m_formEdits;
    m_account = text;
    if (m_account.isEmpty())
        m_password.clear();
    m_loginEnabled = !m_account.isEmpty() && !m_password.isEmpty();
    closeAccountList();
    emit stateChanged();
}

void LoginPresenter::passwordEdited(const QString &text)
{
    ++m_formEdits;
    m_password = text;
    m_loginEnabled = !m_account.isEmpty() && !m_password.isEmpty();
    closeAccountList();
    emit stateChanged();
}

void LoginPresenter::loginClicked()
{
    signInWithPassword();
}

void LoginPresenter::autoLoginClicked(bool on)
{
    m_autoLogin = on;
    if (on)
        m_savePassword = true;
    emit stateChanged();
}

void LoginPresenter::savePasswordClicked(bool on)
{
    m_savePassword = on;
    if (!on)
        m_autoLogin = false;
    emit stateChanged();
}

void LoginPresenter::forgotPasswordClicked()
{
    openWebPage(QStringLiteral("/searchPwd/step1"));
}

void LoginPresenter::registerClicked()
{
    openWebPage(QStringLiteral("/register"));
}

void LoginPresenter::accountListClicked()
{
    if (m_accounts->offeredCount() == 0)
        return;
    if (m_listOpen) {
        setAccountListOpen(false);
        return;
    }
    m_accounts->refresh();
    setAccountListOpen(true);
}

void LoginPresenter::closeAccountList()
{
    setAccountListOpen(false);
}

void LoginPresenter::setAccountListOpen(bool open)
{
    if (m_listOpen == open)
        return;
    m_listOpen = open;
    emit stateChanged();
}

void LoginPresenter::accountChosen(int row)
{
    const QString account = m_accounts->accountAt(row);
    const qint64 userId = m_accounts->userIdAt(row);
    if (account.isEmpty())
        return;
    setAccountListOpen(false);
    ++m_formEdits;
    m_account = account;
    m_avatarUrl = RememberedAccountsModel::avatarUrlOf(m_context, userId);
    emit stateChanged();
    const quint64 edits = m_formEdits;
    m_services.passwords->readPassWordWithKeyChain(account, this, [this, edits](const QString &saved) {
        if (edits != m_formEdits || saved.isEmpty())
            return;
        m_password = saved;
        m_loginEnabled = true;
        emit stateChanged();
    });
}

void LoginPresenter::accountRemoveClicked(int row)
{
    // A removal the store did not take keeps the row listed; the user is told.
    if (row >= 0 && row < m_accounts->rowCount() && !m_accounts->removeAccount(row))
        m_services.feedback->showMessage(StoreSaver::failedText(), UserFeedback::by(this));
}

void LoginPresenter::setBusy(bool busy)
{
    m_inFlight = busy;
    UserFeedback *feedback = m_services.feedback;
    if (busy)
        feedback->showHudToWindow();
    else
        feedback->hideHudForWindow();
    emit stateChanged();
}

void LoginPresenter::signInWithPassword()
{
    // One sign-in at a time: a second click or an auto-login meanwhile is dropped.
    if (m_inFlight)
        return;
    if (m_account.isEmpty() || m_password.isEmpty()) {
        tell(emptyFieldsText());
        return;
    }
    const QString account = m_account;
    const ApiNetWorking::Params params{{QStringLiteral("account"), account},
                                       {QStringLiteral("passWord"), m_password}};
    setBusy(true);
    m_api->loginWithParam(
        params, this, [this, account](const BaseSuccessModel &model) { passwordReplied(model, account); },
        [this](const BaseErrorModel &) { finishFailed(false); });
}

QStringList LoginPresenter::oauthChoiceTitles()
{
    // Rows of the popover, top down: choices 2, 1 and 0.
    return {QStringLiteral("自动登录"), QStringLiteral("仅本次登录"), QStringLiteral("取消")};
}

void LoginPresenter::oauthChoiceMade(int choice, const QString &oauthType)
{
    if (choice != 1 && choice != 2)
        return;
    if (!m_authPages || m_oauth || m_inFlight)
        return;
    autoLoginClicked(choice == 2);
    m_oauth = new OAuthPresenter(m_services, *m_authPages, QStringLiteral("login"), oauthType, this);
    connect(m_oauth, &OAuthPresenter::reported, this,
            [this](const QString &status, const QString &openId, const QString &type) {
                if (status == QLatin1String("ok"))
                    signInWithOpenId(openId, type);
            });
    OAuthPresenter *started = m_oauth;
    connect(m_oauth, &OAuthPresenter::finished, this, [this, started] {
        if (m_oauth == started)
            m_oauth = nullptr;
        started->deleteLater();
    });
    m_oauth->start();
}

void LoginPresenter::signInWithOpenId(const QString &openId, const QString &oauthType)
{
    if (m_inFlight)
        return;
    if (openId.isEmpty())
        return;
    const ApiNetWorking::Params params{{QStringLiteral("type"), oauthType == QLatin1String("qq")
                                                                    ? QStringLiteral("1")
                                                                    : QStringLiteral("2")},
                                       {QStringLiteral("openId"), openId}};
    setBusy(true);
    m_api->oauthloginWithParam(
        params, this,
        [this, openId, oauthType](const BaseSuccessModel &model) { openIdReplied(model, openId, oauthType); },
        [this](const BaseErrorModel &) { finishFailed(false); });
}

void LoginPresenter::passwordReplied(const BaseSuccessModel &model, const QString &account)
{
    if (model.code != 200) {
        finishFailed(false); // the client has shown the service's message
        return;
    }
    if (userIdOf(model.dataObject().value(QStringLiteral("userId"))) == 0) {
        finishFailed(true);
        return;
    }
    if (m_savePassword)
        savePasswordFor(account, m_password);
    else
        m_services.passwords->deletePassWordWithKeyChain(account);
    if (m_autoLogin)
        AutoLoginModel{AutoLoginModel::AccountLogin, account, {}, {}}.store();
    else
        UserDefaults::remove(SignInKeys::Account);
    UserDefaults::sync();
    if (!recordSignIn(model, account))
        return;
    loadAuthJumpKey();
}

void LoginPresenter::openIdReplied(const BaseSuccessModel &model, const QString &openId,
                                   const QString &oauthType)
{
    if (model.code != 200) {
        finishFailed(false);
        return;
    }
    if (userIdOf(model.dataObject().value(QStringLiteral("userId"))) == 0) {
        finishFailed(true);
        return;
    }
    if (m_autoLogin)
        AutoLoginModel{AutoLoginModel::OAuthAutoLogin, {}, openId, oauthType}.store();
    else
        UserDefaults::remove(SignInKeys::Account);
    UserDefaults::sync();
    if (!recordSignIn(model, QString()))
        return;
    loadAuthJumpKey();
}

void LoginPresenter::savePasswordFor(const QString &account, const QString &password)
{
    if (account.isEmpty() || password.isEmpty())
        return;
    m_services.passwords->savePassWord(password, account, this, [this](bool saved) {
        if (saved || passwordNoticeShown)
            return;
        // Told when the sign-in ends (a sheet on the login window would go with it), or now when it has.
        m_passwordNoticePending = true;
        if (!m_inFlight)
            tellPendingPasswordNotice();
    });
}

void LoginPresenter::tellPendingPasswordNotice()
{
    if (!std::exchange(m_passwordNoticePending, false) || passwordNoticeShown)
        return;
    passwordNoticeShown = true;
    tell(passwordNotSavedText());
}

void LoginPresenter::wipeForAnotherUser()
{
    // The wipe drops the sign-in keys too; this sign-in's own keys stay.
    const QVariant token = UserDefaults::value(SignInKeys::AccessToken);
    const QVariant userKey = UserDefaults::value(SignInKeys::UserKey);
    const QVariant record = UserDefaults::value(SignInKeys::Account);
    m_services.logout->delectLocalDatas();
    for (const auto &[key, value] :
         {std::pair{SignInKeys::AccessToken, token}, std::pair{SignInKeys::UserKey, userKey},
          std::pair{SignInKeys::Account, record}}) {
        if (value.isValid())
            UserDefaults::setValue(key, value);
    }
    UserDefaults::sync();
}

bool LoginPresenter::recordSignIn(const BaseSuccessModel &model, const QString &account)
{
    if (!m_context) {
        finishFailed(true);
        return false;
    }
    const QJsonObject data = model.dataObject();
    const qint64 userId = userIdOf(data.value(QStringLiteral("userId")));
    if (userId != storedUserId())
        wipeForAnotherUser();

    LoginAccount *row = m_context->findFirstWhere<LoginAccount>(
        [userId](const LoginAccount *a) { return a->userId() == userId; });
    if (!row) {
        row = m_context->create<LoginAccount>();
        row->setUserId(qint32(userId));
        row->setAccount(account);
    }
    if (row->account() != account) {
        if (m_savePassword)
            savePasswordFor(account, m_password);
        m_services.passwords->deletePassWordWithKeyChain(row->account());
        row->setAccount(account);
    }
    row->setAutoLogin(m_autoLogin);
    if (SaveResult saved = m_context->saveAndWait(); !saved) {
        qWarning() << "login: the remembered account could not be saved:" << saved.error;
        m_context->rollback();
    }

    for (const QString &key : {SignInKeys::AccessToken, SignInKeys::UserKey}) {
        const QString value = ReplyValue::idText(data.value(key));
        if (!value.isEmpty()) {
            UserDefaults::setValue(key, value);
            UserDefaults::sync();
        }
    }
    UserDefaults::setValue(SignInKeys::UserId, QString::number(userId));
    UserDefaults::sync();
    return true;
}

void LoginPresenter::loadAuthJumpKey()
{
    m_api->loadAutoJumpKeyWithSuccess(
        this,
        [this](const BaseSuccessModel &model) {
            if (model.code != 200) {
                finishFailed(false);
                return;
            }
            if (!model.data.isString() || model.dataString().isEmpty()) {
                finishFailed(true);
                return;
            }
            UserDefaults::setValue(SignInKeys::AutoJumpToken, model.dataString());
            UserDefaults::sync();
            setBusy(false);
            emit signedIn();
            // On the main window, which is the current window now.
            tellPendingPasswordNotice();
        },
        [this](const BaseErrorModel &) { finishFailed(false); });
}

void LoginPresenter::finishFailed(bool tellUser)
{
    setBusy(false);
    tellPendingPasswordNotice();
    if (tellUser)
        tell(signInFailedText());
}
