// The login screen's decisions and its sign-in sequence, against the stand-in
// service over loopback, a fresh store and an in-memory keychain.

#include "app/login/LoginPresenter.h"
#include "app/login/RememberedAccountsModel.h"
#include "core/model/Classify.h"
#include "core/model/LoginAccount.h"
#include "core/model/UserInfo.h"
#include "platform/base/UrlOpener.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "service/account/AutoLoginModel.h"
#include "service/account/KeychainTool.h"
#include "service/account/PwdManager.h"
#include "service/account/SignInKeys.h"
#include "tests/service/ServiceFixture.h"
#include "tests/support/KeychainWait.h"
#include "tests/support/RecordingUrlOpener.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TestGraph.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>
#include <optional>

namespace {
const QString kAgree = QStringLiteral("AgreeProtocolKey");

qint32 testerId(ServiceFixture &f)
{
    return f.tester().userId.toInt();
}
} // namespace

class TestLoginPresenter : public QObject
{
    Q_OBJECT

    StoreFixture m_store;
    std::unique_ptr<ServiceFixture> f;
    std::unique_ptr<TestGraph> graph;
    std::unique_ptr<LoginPresenter> p;
    RecordingUrlOpener urls;
    // The fixture's keychain, as the test sees it.
    std::unique_ptr<KeychainTool> items;
    std::unique_ptr<PwdManager> passwords;

    Context *ctx() const { return m_store.ctx(); }

    void makePresenter()
    {
        p.reset();
        graph = std::make_unique<TestGraph>(ProgramServices::Parts()
                                                .use(m_store.store())
                                                .use(f->feedback.get())
                                                .use(f->notifications.get())
                                                .use(f->keychain.get())
                                                .use(&urls)
                                                .use(f->api.get()));
        p = std::make_unique<LoginPresenter>(graph->services());
    }

    LoginAccount *remember(qint32 userId, const QString &account, bool autoLogin)
    {
        auto *row = ctx()->create<LoginAccount>();
        row->setUserId(userId);
        if (!account.isNull())
            row->setAccount(account);
        row->setAutoLogin(autoLogin);
        return row;
    }

    void addCategory()
    {
        m_store.category(QStringLiteral("k1"), QStringLiteral("工作"));
        QVERIFY(ctx()->saveAndWait());
    }

    int categories() const { return int(ctx()->findAll<Classify>().size()); }

    int requests(const char *path) const { return f->service->requestCount(QString::fromLatin1(path)); }

    // Runs the event loop until the keychain has answered and the presenter has no sign-in in flight.
    void settle()
    {
        QTest::qWait(20);
        QTRY_VERIFY_WITH_TIMEOUT(!p->signingIn(), 5000);
        QTest::qWait(20);
    }

    void typeIn(const QString &account, const QString &password)
    {
        p->accountEdited(account);
        p->passwordEdited(password);
    }

private slots:
    void init()
    {
        QVERIFY(m_store.open(QDateTime(QDate(2026, 3, 2), QTime(9, 0))));
        f = std::make_unique<ServiceFixture>();
        items = std::make_unique<KeychainTool>(*f->keychain);
        passwords = std::make_unique<PwdManager>(*items);
        LoginPresenter::resetPasswordNoticeForTests();
        urls.opened.clear();
    }

    void cleanup()
    {
        p.reset();
        graph.reset();
        passwords.reset();
        items.reset();
        f.reset();
        m_store.close();
    }

    void agreementDecidesWhetherAutoLoginRuns_data()
    {
        QTest::addColumn<std::optional<bool>>("agreed");
        QTest::addColumn<bool>("prompt");
        QTest::newRow("never answered") << std::optional<bool>() << true;
        QTest::newRow("refused") << std::optional<bool>(false) << true;
        QTest::newRow("agreed") << std::optional<bool>(true) << false;
    }
    void agreementDecidesWhetherAutoLoginRuns()
    {
        QFETCH(std::optional<bool>, agreed);
        QFETCH(bool, prompt);
        if (agreed)
            UserDefaults::setValue(kAgree, *agreed);
        addCategory();
        makePresenter();
        QSignalSpy prompts(p.get(), &LoginPresenter::agreementRequested);
        p->windowShown();
        QCOMPARE(prompts.count(), prompt ? 1 : 0);
        // Only the decision after agreeing touches the form and the previous data.
        QCOMPARE(p->savePassword(), !prompt);
        QCOMPARE(categories(), prompt ? 1 : 0);
    }

    void autoLoginMatrix_data()
    {
        QTest::addColumn<bool>("row");
        QTest::addColumn<bool>("rowAutoLogin");
        QTest::addColumn<QString>("recordType"); // empty: no record
        QTest::addColumn<bool>("passwordSaved");
        QTest::addColumn<QString>("expectAccount");
        QTest::addColumn<QString>("expectPassword");
        QTest::addColumn<bool>("expectAutoBox");
        QTest::addColumn<bool>("expectWiped");
        QTest::addColumn<QString>("expectRequest");
        QTest::addColumn<QString>("expectMessage");
        QTest::addColumn<bool>("expectSignedIn");

        QTest::newRow("no previous user") << false << false << "" << false << ""
                                          << "" << false << true << ""
                                          << "" << false;
        QTest::newRow("previous user without auto-login")
            << true << false << "AccountLogin" << true << "tester"
            << "secret1" << false << true << ""
            << "" << false;
        QTest::newRow("auto-login but no record") << true << true << "" << true << "tester"
                                                  << "secret1" << true << false << ""
                                                  << "" << false;
        QTest::newRow("auto-login by password") << true << true << "AccountLogin" << true << "tester"
                                                << "secret1" << true << false << "user/login"
                                                << "" << true;
        // No stored password (a keychain that cannot store): the user is asked for it, without an error.
        QTest::newRow("auto-login by password no longer saved")
            << true << true << "AccountLogin" << false << "tester"
            << "" << true << false << ""
            << "" << false;
        QTest::newRow("auto-login by openId") << true << true << "OAuthAutoLogin" << false << "tester"
                                              << "" << true << false << "user/login/oauth"
                                              << "" << true;
        QTest::newRow("unknown record type") << true << true << "Other" << true << "tester"
                                             << "secret1" << true << false << ""
                                             << "" << false;
    }
    void autoLoginMatrix()
    {
        QFETCH(bool, row);
        QFETCH(bool, rowAutoLogin);
        QFETCH(QString, recordType);
        QFETCH(bool, passwordSaved);
        QFETCH(QString, expectAccount);
        QFETCH(QString, expectPassword);
        QFETCH(bool, expectAutoBox);
        QFETCH(bool, expectWiped);
        QFETCH(QString, expectRequest);
        QFETCH(QString, expectMessage);
        QFETCH(bool, expectSignedIn);

        UserDefaults::setValue(kAgree, true);
        UserDefaults::setValue(SignInKeys::UserId, QString::number(testerId(*f)));
        if (row)
            remember(testerId(*f), QStringLiteral("tester"), rowAutoLogin);
        addCategory();
        if (passwordSaved)
            QVERIFY(
                KeychainWait::savePassword(*passwords, QStringLiteral("secret1"), QStringLiteral("tester")));
        if (!recordType.isEmpty())
            AutoLoginModel{recordType, QStringLiteral("tester"), QStringLiteral("wx-open-tester"),
                           QStringLiteral("wx")}
                .store();

        makePresenter();
        QSignalSpy signedIn(p.get(), &LoginPresenter::signedIn);
        QSignalSpy passwordWanted(p.get(), &LoginPresenter::passwordWanted);
        f->keychain->readKeys.clear();
        p->windowShown();
        settle();
        QCOMPARE(passwordWanted.count(),
                 QTest::currentDataTag() == QLatin1String("auto-login by password no longer saved"));
        // The remembered account's password is read once, also when the auto-login signs in with it.
        QCOMPARE(f->keychain->readKeys.count(QStringLiteral("tester")), row ? 1 : 0);

        QCOMPARE(p->account(), expectAccount);
        QCOMPARE(p->password(), expectPassword);
        QCOMPARE(p->autoLogin(), expectAutoBox);
        QVERIFY(p->savePassword());
        QCOMPARE(categories(), expectWiped ? 0 : 1);
        const int password = requests("user/login"), openId = requests("user/login/oauth");
        QCOMPARE(password, expectRequest == "user/login" ? 1 : 0);
        QCOMPARE(openId, expectRequest == "user/login/oauth" ? 1 : 0);
        QCOMPARE(f->feedback->messages(),
                 expectMessage.isEmpty() ? QStringList() : QStringList{expectMessage});
        QCOMPARE(signedIn.count(), expectSignedIn ? 1 : 0);
    }

    void signInRecordsEverythingThenAsksForTheMainWindow_data()
    {
        QTest::addColumn<bool>("savePwd");
        QTest::addColumn<bool>("autoLogin");
        QTest::newRow("both boxes on") << true << true;
        QTest::newRow("remember only") << true << false;
        QTest::newRow("neither") << false << false;
    }
    void signInRecordsEverythingThenAsksForTheMainWindow()
    {
        QFETCH(bool, savePwd);
        QFETCH(bool, autoLogin);
        KeychainWait::savePassword(*passwords, QStringLiteral("old"), QStringLiteral("tester"));
        makePresenter();
        typeIn(QStringLiteral("tester"), QStringLiteral("secret1"));
        p->savePasswordClicked(savePwd);
        p->autoLoginClicked(autoLogin);
        QSignalSpy signedIn(p.get(), &LoginPresenter::signedIn);
        // The key is fetched only after the sign-in has been recorded.
        bool recordedBeforeKey = false;
        connect(f->service.get(), &StandinService::requestReceived, this, [&](const QString &path) {
            if (path == "sys/oauthKey")
                recordedBeforeKey = UserDefaults::string(SignInKeys::UserId) == f->tester().userId &&
                                    ctx()->findAll<LoginAccount>().size() == 1;
        });
        p->loginClicked();
        QVERIFY(p->signingIn());
        QVERIFY(!p->loginEnabled());
        QTRY_COMPARE(signedIn.count(), 1);
        QVERIFY(recordedBeforeKey);

        const QList<LoginAccount *> rows = ctx()->findAll<LoginAccount>();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.first()->userId(), testerId(*f));
        QCOMPARE(rows.first()->account(), QStringLiteral("tester"));
        QCOMPARE(rows.first()->autoLogin(), autoLogin);
        QCOMPARE(KeychainWait::password(*passwords, QStringLiteral("tester")),
                 savePwd ? QStringLiteral("secret1") : QString());
        QCOMPARE(AutoLoginModel::stored().type, autoLogin ? AutoLoginModel::AccountLogin : QString());
        QCOMPARE(UserDefaults::string(SignInKeys::AccessToken), f->tester().accessToken);
        QCOMPARE(UserDefaults::string(SignInKeys::UserKey), f->tester().userKey);
        QCOMPARE(UserDefaults::string(SignInKeys::AutoJumpToken), f->service->state().autoJumpKey);
        QVERIFY(f->feedback->messages().isEmpty());
        QVERIFY(!p->signingIn());
    }

    void failuresLeaveTheLoginWindow_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("fault"); // StandinFault::Kind, or -1: code 200 with no payload
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("recorded");
        QTest::newRow("wrong password") << "user/login" << -2 << "账号或密码错误" << false;
        QTest::newRow("code 200 without payload")
            << "user/login" << -1 << LoginPresenter::signInFailedText() << false;
        QTest::newRow("connection reset") << "user/login" << int(StandinFault::Kind::Reset) << "" << false;
        QTest::newRow("web key refused")
            << "sys/oauthKey" << int(StandinFault::Kind::ReplyCode) << "维护中" << true;
        QTest::newRow("web key without payload")
            << "sys/oauthKey" << -1 << LoginPresenter::signInFailedText() << true;
    }
    void failuresLeaveTheLoginWindow()
    {
        QFETCH(QString, path);
        QFETCH(int, fault);
        QFETCH(QString, message);
        QFETCH(bool, recorded);
        if (fault == -1)
            f->service->registerHandler(path, [](StandinService::Context &) {
                return StandinReply::ok(QJsonValue(QJsonValue::Undefined));
            });
        else if (fault == int(StandinFault::Kind::ReplyCode))
            f->service->setFault(path, StandinFault::replyCode(500, QStringLiteral("维护中")));
        else if (fault >= 0)
            f->service->setFault(path, StandinFault::of(StandinFault::Kind(fault)));
        makePresenter();
        typeIn(QStringLiteral("tester"), fault == -2 ? QStringLiteral("wrong") : QStringLiteral("secret1"));
        QSignalSpy signedIn(p.get(), &LoginPresenter::signedIn);
        p->loginClicked();
        settle();
        QCOMPARE(signedIn.count(), 0);
        if (!message.isEmpty())
            QVERIFY2(f->feedback->messages().contains(message),
                     qPrintable(f->feedback->messages().join('|')));
        else
            QCOMPARE(f->feedback->messages().size(), 1); // the transport error's text
        // The form keeps its contents and the button works again.
        QCOMPARE(p->account(), QStringLiteral("tester"));
        QVERIFY(p->loginEnabled());
        QCOMPARE(ctx()->findAll<LoginAccount>().size(), recorded ? 1 : 0);
        QCOMPARE(UserDefaults::contains(SignInKeys::UserId), recorded);
        QVERIFY(!UserDefaults::contains(SignInKeys::AutoJumpToken));
    }

    void emptyFieldsSendNothing_data()
    {
        QTest::addColumn<QString>("account");
        QTest::addColumn<QString>("password");
        QTest::newRow("no account") << ""
                                    << "secret1";
        QTest::newRow("no password") << "tester"
                                     << "";
        QTest::newRow("neither") << ""
                                 << "";
    }
    void emptyFieldsSendNothing()
    {
        QFETCH(QString, account);
        QFETCH(QString, password);
        makePresenter();
        p->passwordEdited(password);
        p->accountEdited(account);
        QVERIFY(!p->loginEnabled());
        p->loginClicked();
        QCOMPARE(f->feedback->messages(), QStringList{LoginPresenter::emptyFieldsText()});
        QTest::qWait(50);
        QCOMPARE(requests("user/login"), 0);
    }

    void fieldEditsEnableTheButton()
    {
        makePresenter();
        QVERIFY(!p->loginEnabled());
        typeIn(QStringLiteral("tester"), QStringLiteral("secret1"));
        QVERIFY(p->loginEnabled());
        // Emptying the account empties the password too.
        p->accountEdited(QString());
        QCOMPARE(p->password(), QString());
        QVERIFY(!p->loginEnabled());
        p->accountEdited(QStringLiteral("t"));
        QVERIFY(!p->loginEnabled());
        // A stored auto-login record enables the button before any showing.
        AutoLoginModel{AutoLoginModel::AccountLogin, QStringLiteral("tester"), {}, {}}.store();
        makePresenter();
        QVERIFY(p->loginEnabled());
    }

    void checkBoxCoupling_data()
    {
        QTest::addColumn<bool>("autoStart");
        QTest::addColumn<bool>("saveStart");
        QTest::addColumn<QString>("click"); // "auto" or "save"
        QTest::addColumn<bool>("to");
        QTest::addColumn<bool>("autoEnd");
        QTest::addColumn<bool>("saveEnd");
        QTest::newRow("auto on turns save on") << false << false << "auto" << true << true << true;
        QTest::newRow("auto off keeps save") << true << true << "auto" << false << false << true;
        QTest::newRow("save off turns auto off") << true << true << "save" << false << false << false;
        QTest::newRow("save on keeps auto off") << false << false << "save" << true << false << true;
    }
    void checkBoxCoupling()
    {
        QFETCH(bool, autoStart);
        QFETCH(bool, saveStart);
        QFETCH(QString, click);
        QFETCH(bool, to);
        QFETCH(bool, autoEnd);
        QFETCH(bool, saveEnd);
        makePresenter();
        p->savePasswordClicked(saveStart);
        p->autoLoginClicked(autoStart);
        QCOMPARE(p->autoLogin(), autoStart);
        QCOMPARE(p->savePassword(), saveStart);
        if (click == "auto")
            p->autoLoginClicked(to);
        else
            p->savePasswordClicked(to);
        QCOMPARE(p->autoLogin(), autoEnd);
        QCOMPARE(p->savePassword(), saveEnd);
    }

    void sameUserUnderANewAccountName_data()
    {
        QTest::addColumn<bool>("savePwd");
        QTest::newRow("remember on") << true;
        QTest::newRow("remember off") << false;
    }
    void sameUserUnderANewAccountName()
    {
        QFETCH(bool, savePwd);
        UserDefaults::setValue(SignInKeys::UserId, f->tester().userId);
        remember(testerId(*f), QStringLiteral("tester"), false);
        QVERIFY(ctx()->saveAndWait());
        QVERIFY(KeychainWait::savePassword(*passwords, QStringLiteral("secret1"), QStringLiteral("tester")));
        f->tester().account = QStringLiteral("13800000000");
        makePresenter();
        typeIn(QStringLiteral("13800000000"), QStringLiteral("secret1"));
        p->savePasswordClicked(savePwd);
        QSignalSpy signedIn(p.get(), &LoginPresenter::signedIn);
        p->loginClicked();
        QTRY_COMPARE(signedIn.count(), 1);
        const QList<LoginAccount *> rows = ctx()->findAll<LoginAccount>();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.first()->account(), QStringLiteral("13800000000"));
        QCOMPARE(KeychainWait::password(*passwords, QStringLiteral("tester")), QString());
        QCOMPARE(KeychainWait::password(*passwords, QStringLiteral("13800000000")),
                 savePwd ? QStringLiteral("secret1") : QString());
    }

    void openIdSignInLeavesTheRowWithoutAName()
    {
        remember(testerId(*f), QStringLiteral("tester"), true);
        QVERIFY(ctx()->saveAndWait());
        QVERIFY(KeychainWait::savePassword(*passwords, QStringLiteral("secret1"), QStringLiteral("tester")));
        UserDefaults::setValue(SignInKeys::UserId, f->tester().userId);
        makePresenter();
        p->autoLoginClicked(true);
        QSignalSpy signedIn(p.get(), &LoginPresenter::signedIn);
        p->signInWithOpenId(QStringLiteral("wx-open-tester"), QStringLiteral("wx"));
        QTRY_COMPARE(signedIn.count(), 1);
        QCOMPARE(f->service->lastRequest("user/login/oauth").params.value("type").toString(),
                 QStringLiteral("2"));
        QCOMPARE(ctx()->findAll<LoginAccount>().first()->account(), QString());
        QCOMPARE(KeychainWait::password(*passwords, QStringLiteral("tester")), QString());
        const AutoLoginModel record = AutoLoginModel::stored();
        QCOMPARE(record.type, AutoLoginModel::OAuthAutoLogin);
        QCOMPARE(record.openId, QStringLiteral("wx-open-tester"));
        QCOMPARE(record.oauthType, QStringLiteral("wx"));
        p->accountListClicked();
        QVERIFY(!p->accountListOpen()); // nothing left to offer
    }

    void oneSignInInFlight()
    {
        f->service->setFault("sys/oauthKey", StandinFault::of(StandinFault::Kind::NoAnswer));
        UserDefaults::setValue(kAgree, true);
        UserDefaults::setValue(SignInKeys::UserId, f->tester().userId);
        remember(testerId(*f), QStringLiteral("tester"), true);
        QVERIFY(ctx()->saveAndWait());
        QVERIFY(KeychainWait::savePassword(*passwords, QStringLiteral("secret1"), QStringLiteral("tester")));
        AutoLoginModel{AutoLoginModel::AccountLogin, QStringLiteral("tester"), {}, {}}.store();
        makePresenter();
        p->windowShown();
        QTRY_VERIFY(p->signingIn()); // auto-login starts once the keychain has answered
        p->loginClicked();
        p->loginClicked();
        p->signInWithOpenId(QStringLiteral("wx-open-tester"), QStringLiteral("wx"));
        QTRY_COMPARE(requests("sys/oauthKey"), 1);
        // Still waiting for the key: a click now sends nothing either.
        p->loginClicked();
        QTest::qWait(100);
        QCOMPARE(requests("user/login"), 1);
        QCOMPARE(requests("user/login/oauth"), 0);
        QVERIFY(p->signingIn());
        // Closing the window with the key in flight is safe.
        p.reset();
        QTest::qWait(20);
    }

    void anotherUserWipesThePreviousData_data()
    {
        QTest::addColumn<QString>("storedUserId");
        QTest::addColumn<bool>("wiped");
        QTest::newRow("another user") << "999" << true;
        QTest::newRow("same user") << "" << false; // filled in with the tester's id
    }
    void anotherUserWipesThePreviousData()
    {
        QFETCH(QString, storedUserId);
        QFETCH(bool, wiped);
        UserDefaults::setValue(SignInKeys::UserId,
                               storedUserId.isEmpty() ? f->tester().userId : storedUserId);
        UserDefaults::setValue(SignInKeys::Version, QStringLiteral("41"));
        remember(999, QStringLiteral("other"), false);
        addCategory();
        makePresenter();
        typeIn(QStringLiteral("tester"), QStringLiteral("secret1"));
        p->autoLoginClicked(true);
        QSignalSpy signedIn(p.get(), &LoginPresenter::signedIn);
        p->loginClicked();
        QTRY_COMPARE(signedIn.count(), 1);
        QCOMPARE(categories(), wiped ? 0 : 1);
        QCOMPARE(UserDefaults::contains(SignInKeys::Version), !wiped);
        // This sign-in's own keys survive the wipe.
        QCOMPARE(UserDefaults::string(SignInKeys::AccessToken), f->tester().accessToken);
        QCOMPARE(UserDefaults::string(SignInKeys::UserKey), f->tester().userKey);
        QCOMPARE(AutoLoginModel::stored().account, QStringLiteral("tester"));
        QCOMPARE(UserDefaults::string(SignInKeys::UserId), f->tester().userId);
        // The other account stays remembered.
        QCOMPARE(ctx()->findAll<LoginAccount>().size(), 2);
    }

    void keychainThatCannotStore()
    {
        f->keychain->refuseWrites = true;
        makePresenter();
        typeIn(QStringLiteral("tester"), QStringLiteral("secret1"));
        p->savePasswordClicked(true);
        QSignalSpy signedIn(p.get(), &LoginPresenter::signedIn);
        p->loginClicked();
        QTRY_COMPARE(signedIn.count(), 1);
        QCOMPARE(f->feedback->messages(), QStringList{LoginPresenter::passwordNotSavedText()});
        // Told once per run, not at every sign-in.
        makePresenter();
        typeIn(QStringLiteral("tester"), QStringLiteral("secret1"));
        p->savePasswordClicked(true);
        QSignalSpy again(p.get(), &LoginPresenter::signedIn);
        p->loginClicked();
        QTRY_COMPARE(again.count(), 1);
        QCOMPARE(f->feedback->messages().size(), 1);
        QVERIFY(f->keychain->items.isEmpty());
    }

    void webPagesOfTheForm()
    {
        makePresenter();
        p->forgotPasswordClicked();
        p->registerClicked();
        QCOMPARE(urls.opened, (QList<QUrl>{QUrl("https://web.invalid/searchPwd/step1"),
                                           QUrl("https://web.invalid/register")}));
        UserDefaults::remove(ApiNetWorking::WebBaseUrlKey);
        p->registerClicked();
        QCOMPARE(urls.opened.size(), 2);
        QCOMPARE(f->feedback->messages().size(), 1);
    }

    // --- remembered accounts ---------------------------------------------------

    void accountListOffersNamedAccountsSorted()
    {
        makePresenter();
        p->accountListClicked();
        QVERIFY(!p->accountListOpen()); // nothing remembered: the button does nothing
        remember(3, QStringLiteral("zhang"), false);
        remember(1, QStringLiteral("an"), false);
        remember(2, QString(), false); // left by an openId sign-in
        auto *info = ctx()->create<UserInfo>();
        info->setUserId(1);
        info->setAvatar(QStringLiteral("https://img.invalid/1.png"));
        QVERIFY(ctx()->saveAndWait());
        p->accountListClicked();
        QVERIFY(p->accountListOpen());
        RememberedAccountsModel *m = p->accounts();
        QCOMPARE(m->rowCount(), 2);
        QCOMPARE(m->data(m->index(0)).toString(), QStringLiteral("an"));
        QCOMPARE(m->data(m->index(1)).toString(), QStringLiteral("zhang"));
        QCOMPARE(m->data(m->index(0), RememberedAccountsModel::AvatarUrlRole).toString(),
                 QStringLiteral("https://img.invalid/1.png"));
        QCOMPARE(m->data(m->index(1), RememberedAccountsModel::AvatarUrlRole).toString(), QString());
        p->accountListClicked();
        QVERIFY(!p->accountListOpen()); // a second press closes it
        p->accountListClicked();
        p->accountEdited(QStringLiteral("x"));
        QVERIFY(!p->accountListOpen()); // editing closes it
    }

    void choosingAnAccount_data()
    {
        QTest::addColumn<bool>("saved");
        QTest::newRow("password saved") << true;
        QTest::newRow("no password saved") << false;
    }
    void choosingAnAccount()
    {
        QFETCH(bool, saved);
        remember(1, QStringLiteral("an"), false);
        QVERIFY(ctx()->saveAndWait());
        if (saved)
            QVERIFY(KeychainWait::savePassword(*passwords, QStringLiteral("pw-an"), QStringLiteral("an")));
        makePresenter();
        p->passwordEdited(QStringLiteral("typed"));
        p->accountListClicked();
        p->accountChosen(0);
        QVERIFY(!p->accountListOpen());
        QCOMPARE(p->account(), QStringLiteral("an"));
        QTest::qWait(20); // the keychain's answer
        QCOMPARE(p->password(), saved ? QStringLiteral("pw-an") : QStringLiteral("typed"));
        QCOMPARE(p->loginEnabled(), saved);
    }

    // A saved password that the keychain hands over after the user typed does not overwrite the form.
    void aKeychainAnswerAfterAnEditIsStale_data()
    {
        QTest::addColumn<QString>("edit");
        QTest::newRow("password typed") << "password";
        QTest::newRow("account typed") << "account";
    }
    void aKeychainAnswerAfterAnEditIsStale()
    {
        QFETCH(QString, edit);
        remember(1, QStringLiteral("an"), false);
        QVERIFY(ctx()->saveAndWait());
        QVERIFY(KeychainWait::savePassword(*passwords, QStringLiteral("pw-an"), QStringLiteral("an")));
        UserDefaults::setValue(kAgree, true);
        UserDefaults::setValue(SignInKeys::UserId, QStringLiteral("1"));
        makePresenter();
        // At a showing and at a choice from the list the saved password is asked for.
        for (const bool fromList : {false, true}) {
            if (fromList) {
                p->accountListClicked();
                p->accountChosen(0);
            } else {
                p->windowShown();
            }
            if (edit == "password")
                p->passwordEdited(QStringLiteral("typed"));
            else
                p->accountEdited(QStringLiteral("another"));
            QTest::qWait(20);
            QCOMPARE(p->password(), edit == "password" ? QStringLiteral("typed") : QString());
        }
    }

    void removingAccounts()
    {
        remember(1, QStringLiteral("an"), false);
        remember(2, QStringLiteral("bo"), false);
        QVERIFY(ctx()->saveAndWait());
        QVERIFY(KeychainWait::savePassword(*passwords, QStringLiteral("pw-an"), QStringLiteral("an")));
        QVERIFY(KeychainWait::savePassword(*passwords, QStringLiteral("pw-bo"), QStringLiteral("bo")));
        makePresenter();
        p->accountListClicked();
        QSignalSpy removed(p->accounts(), &QAbstractItemModel::rowsRemoved);
        p->accountRemoveClicked(0);
        QCOMPARE(removed.count(), 1);
        QVERIFY(p->accountListOpen());
        QCOMPARE(p->accounts()->accountAt(0), QStringLiteral("bo"));
        QCOMPARE(KeychainWait::password(*passwords, QStringLiteral("an")), QString());
        QCOMPARE(KeychainWait::password(*passwords, QStringLiteral("bo")), QStringLiteral("pw-bo"));
        p->accountRemoveClicked(5); // out of range: nothing
        p->accountRemoveClicked(0);
        QVERIFY(!p->accountListOpen()); // the last row closes the list
        QVERIFY(ctx()->findAll<LoginAccount>().isEmpty());
        p->accountListClicked();
        QVERIFY(!p->accountListOpen());
    }
};

PRELVANE_TEST_MAIN(TestLoginPresenter)
#include "tst_loginpresenter.moc"
