#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/LoginAccount.h"
#include "core/model/NoteComplete.h"
#include "core/model/NoteDetail.h"
#include "core/model/NoteLog.h"
#include "core/model/UISkin.h"
#include "core/model/UserInfo.h"
#include "core/model/UserSet.h"
#include "core/model/WiFiRemind.h"
#include "platform/base/Clock.h"
#include "platform/base/Session.h"
#include "platform/base/UserDefaults.h"
#include "platform/keychain/MemoryKeychainBackend.h"
#include "platform/store/Context.h"
#include "service/account/AutoLoginModel.h"
#include "service/account/KeychainTool.h"
#include "service/account/PwdManager.h"
#include "service/account/QuitLoginManager.h"
#include "service/account/UUIDTool.h"
#include "service/api/AES.h"
#include "service/api/ApiNetWorking.h"
#include "service/api/AutoJumpToken.h"
#include "tests/support/KeychainWait.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestStore.h"
#include "tests/support/doubles/FakeUserNotificationCenter.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QUrlQuery>
#include <QtTest>

#include <memory>

// Sign-in data in the keychain and the user defaults, the logout wipe and the
// signed-in web link.
class TestAccount : public QObject
{
    Q_OBJECT

    std::unique_ptr<MemoryKeychainBackend> keychain;
    std::unique_ptr<KeychainTool> items;
    std::unique_ptr<PwdManager> passwords;
    std::unique_ptr<UUIDTool> ids;
    std::unique_ptr<FakeUserNotificationCenter> center;
    Session session; // the sign-in the logouts end
    QString folder;

    void openStore()
    {
        QVERIFY(TestStore::setupCoreDataAtPath(folder + "/LoginAccount.sqlite").status !=
                StoreOpenResult::Failed);
        QVERIFY(TestStore::context());
    }

    QJsonObject tokenOf(const QString &link)
    {
        const QString token = QUrlQuery(QUrl(link).query()).queryItemValue("token", QUrl::FullyDecoded);
        return QJsonDocument::fromJson(AES::decrypt(token, UserDefaults::string("autoJumpToken")).toUtf8())
            .object();
    }

    QString linkFor(const QString &returnUrl, Context *store)
    {
        return KeychainWait::answer<QString>([&](const QObject *o, auto done) {
            AutoJumpToken::getAutoJumpTokenWithUrl(returnUrl, store, *ids, o, done);
        });
    }

private slots:
    void init()
    {
        folder = TestEnv::freshFolders();
        keychain = std::make_unique<MemoryKeychainBackend>();
        items = std::make_unique<KeychainTool>(*keychain);
        passwords = std::make_unique<PwdManager>(*items);
        ids = std::make_unique<UUIDTool>(*items);
        center = std::make_unique<FakeUserNotificationCenter>();
    }
    void cleanup()
    {
        TestStore::cleanUp();
        center.reset();
        ids.reset();
        passwords.reset();
        items.reset();
        keychain.reset();
        Clock::reset();
    }

    void passwordIsReplacedAndEmptyValuesNeverReachTheKeychain()
    {
        QVERIFY(KeychainWait::savePassword(*passwords, "first", "tester"));
        QVERIFY(KeychainWait::savePassword(*passwords, "second", "tester"));
        QCOMPARE(KeychainWait::password(*passwords, "tester"), QStringLiteral("second"));
        keychain->writtenKeys.clear();
        QVERIFY(!KeychainWait::savePassword(*passwords, "", "tester"));
        QVERIFY(!KeychainWait::savePassword(*passwords, "pw", ""));
        QVERIFY(!KeychainWait::savePassword(*passwords, QString(), QString()));
        QVERIFY(keychain->writtenKeys.isEmpty());
        QCOMPARE(KeychainWait::password(*passwords, "tester"), QStringLiteral("second"));
        QVERIFY(KeychainWait::password(*passwords, "").isEmpty());
        KeychainWait::deletePassword(*passwords, "");
        KeychainWait::deletePassword(*passwords, "tester");
        QVERIFY(KeychainWait::password(*passwords, "tester").isEmpty());
    }

    void emptyValuesAreRefusedBeforeTheKeychain_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::newRow("invalid") << QVariant();
        QTest::newRow("empty text") << QVariant(QString());
        QTest::newRow("empty map") << QVariant(QVariantMap());
        QTest::newRow("empty list") << QVariant(QVariantList());
    }
    void emptyValuesAreRefusedBeforeTheKeychain()
    {
        QFETCH(QVariant, value);
        QVERIFY(KeychainWait::save(*items, "tester", QVariantMap{{"tester", "pw"}}));
        keychain->writtenKeys.clear();
        QVERIFY(!KeychainWait::save(*items, "tester", value));
        QVERIFY(keychain->writtenKeys.isEmpty());
        // The refused value leaves the stored one in place.
        QCOMPARE(KeychainWait::password(*passwords, "tester"), QStringLiteral("pw"));
        QVERIFY(!KeychainWait::write(*keychain, "tester", QByteArray()));
        QCOMPARE(KeychainWait::password(*passwords, "tester"), QStringLiteral("pw"));
    }

    void damagedItemsReadAsNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("foreign bytes") << QByteArray("\x01\x02garbage");
        QTest::newRow("cut archive") << KeychainTool::archive(QVariantMap{{"tester", "pw"}}).left(9);
        QTest::newRow("empty") << QByteArray();
    }
    void damagedItemsReadAsNothing()
    {
        QFETCH(QByteArray, bytes);
        keychain->items.insert("tester", bytes);
        keychain->items.insert(UUIDTool::KeychainKey, bytes);
        QVERIFY(!KeychainWait::load(*items, "tester").isValid());
        QVERIFY(KeychainWait::password(*passwords, "tester").isEmpty());
        // A damaged device id is replaced by a fresh one.
        QCOMPARE(KeychainWait::deviceId(*ids).size(), 36);
    }

    void deviceIdIsStableUpperCaseAndRenewedAfterDelete()
    {
        const QString id = KeychainWait::deviceId(*ids);
        QVERIFY(QRegularExpression("^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$")
                    .match(id)
                    .hasMatch());
        QCOMPARE(KeychainWait::deviceId(*ids), id);
        ids->deleteKeyChain();
        const QString renewed = KeychainWait::deviceId(*ids);
        QVERIFY(renewed != id);
        QCOMPARE(KeychainWait::load(*items, UUIDTool::KeychainKey).toString(), renewed);
    }

    void deviceIdSurvivesAKeychainThatCannotStore()
    {
        keychain->refuseWrites = true;
        const QString id = KeychainWait::deviceId(*ids);
        QCOMPARE(id.size(), 36);
        QCOMPARE(KeychainWait::deviceId(*ids), id);
        // Once the keychain works again the same id is kept there.
        keychain->refuseWrites = false;
        QCOMPARE(KeychainWait::deviceId(*ids), id);
        QCOMPARE(KeychainWait::load(*items, UUIDTool::KeychainKey).toString(), id);
    }

    void logoutWipesTheAccountAndKeepsTheRest()
    {
        openStore();
        Context *ctx = TestStore::context();
        auto *cat = ctx->create<Classify>();
        cat->setClassId("11");
        auto *note = ctx->create<NoteDetail>();
        note->setCId("21");
        note->setClassify(cat);
        auto *remind = ctx->create<DateRemind>();
        note->setRemind(remind);
        ctx->create<WiFiRemind>()->setWifiId("31");
        ctx->create<UserSet>()->setRemindTypes("1");
        ctx->create<NoteComplete>()->setTId("41");
        ctx->create<NoteLog>()->setTId("51");
        ctx->create<UserInfo>()->setUserId(1001);
        auto *mine = ctx->create<LoginAccount>();
        mine->setUserId(1001);
        mine->setAccount("tester");
        mine->setAutoLogin(true);
        auto *other = ctx->create<LoginAccount>();
        other->setUserId(1002);
        other->setAutoLogin(true);
        ctx->create<UISkin>()->setNameId("F5F5F8");
        QVERIFY(bool(ctx->saveAndWait()));

        UserNotification pending{"21", "默认", "内容", {}, Clock::now().addSecs(3600), {}, {}};
        UserNotification due{"22", "默认", "到期", {}, Clock::now().addSecs(-1), {}, {}};
        QVERIFY(center->scheduleNotification(pending));
        QVERIFY(center->scheduleNotification(due));
        center->deliverDueNotifications();
        QCOMPARE(center->deliveredNotifications().size(), 1);

        const QStringList wiped{"version", "fontSize", "jpushId", "accessToken", "userKey", "account"};
        for (const QString &k : wiped)
            UserDefaults::setValue(k, "x");
        AutoLoginModel{AutoLoginModel::AccountLogin, "tester", {}, {}}.store();
        const QStringList kept{"userId",           "autoJumpToken", "teamCount",
                               "AgreeProtocolKey", "lastWiFiName",  ApiNetWorking::ApiBaseUrlKey};
        for (const QString &k : kept)
            UserDefaults::setValue(k, k == "userId" ? "1001" : "kept");
        KeychainWait::savePassword(*passwords, "secret1", "tester");
        const QString deviceId = KeychainWait::deviceId(*ids);

        int hookCalls = 0;
        QuitLoginManager logout(session, *center, ctx);
        logout.setWindowHook([&] { ++hookCalls; });
        const quint64 generation = logout.signInGeneration();
        logout.showLoginWindow();

        QCOMPARE(hookCalls, 1);
        QCOMPARE(logout.signInGeneration(), generation + 1);
        QVERIFY(ctx->findAll<Classify>().isEmpty());
        QVERIFY(ctx->findAll<NoteDetail>().isEmpty());
        QVERIFY(ctx->findAll<DateRemind>().isEmpty());
        QVERIFY(ctx->findAll<WiFiRemind>().isEmpty());
        QVERIFY(ctx->findAll<UserSet>().isEmpty());
        QVERIFY(ctx->findAll<NoteComplete>().isEmpty());
        QVERIFY(ctx->findAll<NoteLog>().isEmpty());
        QVERIFY(!ctx->hasChanges());
        QCOMPARE(ctx->findAll<UserInfo>().size(), 1);
        QCOMPARE(ctx->findAll<UISkin>().size(), 1);
        QCOMPARE(ctx->findAll<LoginAccount>().size(), 2);
        QCOMPARE(mine->autoLogin(), false);
        QCOMPARE(other->autoLogin(), true);
        QVERIFY(center->scheduledNotifications().isEmpty());
        QVERIFY(center->deliveredNotifications().isEmpty());
        for (const QString &k : wiped)
            QVERIFY2(!UserDefaults::contains(k), qPrintable(k));
        for (const QString &k : kept)
            QVERIFY2(UserDefaults::contains(k), qPrintable(k));
        QCOMPARE(KeychainWait::password(*passwords, "tester"), QStringLiteral("secret1"));
        QCOMPARE(KeychainWait::deviceId(*ids), deviceId);

        // The wipe is on disk, not only in the context.
        TestStore::cleanUp();
        openStore();
        QVERIFY(TestStore::context()->findAll<NoteDetail>().isEmpty());
        QCOMPARE(TestStore::context()->findAll<LoginAccount>().first()->autoLogin(), false);

        // A second logout at once wipes again and leaves the window to the hook.
        QuitLoginManager again(session, *center, TestStore::context());
        again.setWindowHook([&] { ++hookCalls; });
        again.showLoginWindow();
        QCOMPARE(hookCalls, 2);
    }

    void logoutWithoutStoreOrHookDoesNotCrash()
    {
        UserDefaults::setValue("accessToken", "t");
        UserDefaults::setValue("userId", "not a number");
        QuitLoginManager(session, *center, nullptr).showLoginWindow();
        QVERIFY(!UserDefaults::contains("accessToken"));
    }

    void webLinkCarriesTheEncryptedToken()
    {
        openStore();
        Context *store = TestStore::context();
        UserDefaults::setValue(ApiNetWorking::WebBaseUrlKey, "https://web.invalid/");
        UserDefaults::setValue("autoJumpToken", "0123456789abcdef0123456789abcdef");
        UserDefaults::setValue("userId", "1001");
        UserDefaults::setValue("teamCount", "2");
        Clock::setNow(QDateTime::fromMSecsSinceEpoch(1'800'000'000'250));
        const QString link = linkFor("https://web.invalid/user?a=1&b=2", store);
        QVERIFY(link.startsWith("https://web.invalid/oauth/autoJump?from=mac&type=login&token="));
        const QString raw = link.section("token=", 1);
        QVERIFY(!raw.contains('+') && !raw.contains('/') && !raw.contains('='));
        const QJsonObject token = tokenOf(link);
        QCOMPARE(token.value("userId").toString(), QStringLiteral("1001"));
        QCOMPARE(token.value("teamCount").toString(), QStringLiteral("2"));
        QCOMPARE(token.value("classesCount").toString(), QStringLiteral("0"));
        QCOMPARE(token.value("macAddress").toString(), KeychainWait::deviceId(*ids));
        QCOMPARE(token.value("returnUrl").toString(), QStringLiteral("https://web.invalid/user?a=1&b=2"));
        QCOMPARE(token.value("timestamp").toDouble(), 1800000000.25);

        store->create<Classify>()->setClassId("1");
        Clock::advance(1000);
        const QString later = linkFor("https://web.invalid/user?a=1&b=2", store);
        QVERIFY(later != link);
        QCOMPARE(tokenOf(later).value("classesCount").toString(), QStringLiteral("1"));
    }

    void webLinkWithoutKeyEndsInEmptyToken()
    {
        UserDefaults::setValue(ApiNetWorking::WebBaseUrlKey, "https://web.invalid");
        QCOMPARE(linkFor("https://web.invalid/user", nullptr),
                 QStringLiteral("https://web.invalid/oauth/autoJump?from=mac&type=login&token="));
        QCOMPARE(
            AutoJumpToken::encodeToPercentEscapeString("a+b/c=d!*'();:@&$,?%#[] é-._~"),
            QStringLiteral("a%2Bb%2Fc%3Dd%21%2A%27%28%29%3B%3A%40%26%24%2C%3F%25%23%5B%5D%20%C3%A9-._~"));
    }
};

PRELVANE_TEST_CORE_MAIN(TestAccount)
#include "tst_account.moc"
