#include "platform/base/UserDefaults.h"
#include "service/api/AES.h"
#include "service/api/ApiEnvelope.h"
#include "service/api/ApiNetWorking.h"
#include "service/standin/StandinCrypto.h"
#include "tests/support/TestEnv.h"

#include <QJsonDocument>
#include <QtTest>

// Keys, cipher and Base64 of the request frame, checked against known values
// and against the stand-in service's own implementation.
class TestCrypto : public QObject
{
    Q_OBJECT
private slots:
    void init() { TestEnv::freshFolders(); }

    void publicKeyAndEmptyBodyMatchKnownVectors()
    {
        const QString key = ApiEnvelope::getAesPwdWithUrl(QStringLiteral("user/login"));
        QCOMPARE(key, QStringLiteral("9a4827d24efe1736d247069cf28833ed"));
        QCOMPARE(QString::fromLatin1(AES::AES256EncryptWithKey("{}", key).toBase64()),
                 QStringLiteral("oHfepst7pnNeIsGCBxUV6g=="));
        QCOMPARE(AES::encrypt(QStringLiteral("{}"), key), QStringLiteral("oHfepst7pnNeIsGCBxUV6g=="));
        QCOMPARE(StandinCrypto::keyText(QString::fromLatin1(StandinCrypto::PublicKeySource)), key);
    }

    void keyFollowsThePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("publicKey");
        QTest::newRow("login") << "user/login" << true;
        QTest::newRow("oauth login") << "user/login/oauth" << true;
        QTest::newRow("terminal list") << "sys/terminal/list" << true;
        QTest::newRow("check oauth") << "tool/checkOAuthState" << true;
        QTest::newRow("sync") << "note/sync" << false;
        QTest::newRow("oauth key") << "sys/oauthKey" << false;
        QTest::newRow("prefix of a public path") << "user/login/" << false;
    }
    void keyFollowsThePath()
    {
        QFETCH(QString, path);
        QFETCH(bool, publicKey);
        UserDefaults::setValue(QStringLiteral("userKey"), QStringLiteral("u1k2e3y4"));
        const QString expected = publicKey ? QStringLiteral("9a4827d24efe1736d247069cf28833ed")
                                           : StandinCrypto::keyText(QStringLiteral("u1k2e3y4"));
        QCOMPARE(ApiEnvelope::getAesPwdWithUrl(path), expected);
    }

    void missingOrShortUserKeyGivesNoKey_data()
    {
        QTest::addColumn<QVariant>("userKey");
        QTest::newRow("absent") << QVariant();
        QTest::newRow("empty") << QVariant(QString());
        QTest::newRow("three characters") << QVariant(QStringLiteral("abc"));
    }
    void missingOrShortUserKeyGivesNoKey()
    {
        QFETCH(QVariant, userKey);
        if (userKey.isValid())
            UserDefaults::setValue(QStringLiteral("userKey"), userKey);
        QVERIFY(ApiEnvelope::getAesPwdWithUrl(QStringLiteral("note/sync")).isEmpty());
        QVERIFY(ApiEnvelope::showAESWithParams({{"version", "1"}}, QStringLiteral("note/sync")).isNull());
        // Four characters are enough: the rearrangement has an empty middle.
        UserDefaults::setValue(QStringLiteral("userKey"), QStringLiteral("abcd"));
        QCOMPARE(ApiEnvelope::getAesPwdWithUrl(QStringLiteral("note/sync")), StandinCrypto::keyText("abcd"));
    }

    void requestBodyDecryptsOnTheServiceSide()
    {
        const QJsonObject params{{"account", "张三"}, {"passWord", "p@ss word+/="}, {"n", "12"}};
        const QString body = ApiEnvelope::showAESWithParams(params, QStringLiteral("user/login"));
        const QByteArray plain = StandinCrypto::decrypt(
            QByteArray::fromBase64(body.toLatin1()), QByteArrayLiteral("9a4827d24efe1736d247069cf28833ed"));
        QCOMPARE(QJsonDocument::fromJson(plain).object(), params);
        // Pretty-printed, as the service has always received it.
        QVERIFY(plain.contains('\n'));
        // An empty dictionary is one block.
        QCOMPARE(ApiEnvelope::showAESWithParams({}, QStringLiteral("user/login")).size(), 24);
    }

    void replyCipherKeySizeFollowsKeyLength_data()
    {
        QTest::addColumn<QString>("key");
        QTest::newRow("short, AES-128") << "short";
        QTest::newRow("16, AES-128") << "0123456789abcdef";
        QTest::newRow("20, AES-192") << "0123456789abcdefghij";
        QTest::newRow("24, AES-256") << "0123456789abcdefghijklmn";
        QTest::newRow("40, cut to 32") << "0123456789abcdefghijklmnopqrstuvwxyzABCD";
    }
    void replyCipherKeySizeFollowsKeyLength()
    {
        QFETCH(QString, key);
        const QByteArray plain = "{\"userId\":\"7\",\"returnUrl\":\"https://x/y?z=1\"}";
        const QByteArray mine = AES::encryptData(plain, key);
        QCOMPARE(mine, StandinCrypto::encrypt(plain, key.toUtf8()));
        QCOMPARE(AES::decryptData(mine, key), plain);
        // The service's answer under the same key reads back.
        QCOMPARE(
            AES::decrypt(QString::fromLatin1(StandinCrypto::encrypt("答复", key.toUtf8()).toBase64()), key),
            QStringLiteral("答复"));
    }

    void requestCipherAlwaysUsesThirtyTwoBytes()
    {
        // A 16-character key is zero-padded to 32, not used as AES-128.
        const QByteArray plain = "{}";
        const QByteArray padded = QByteArray("0123456789abcdef") + QByteArray(16, '\0');
        QCOMPARE(AES::AES256EncryptWithKey(plain, QStringLiteral("0123456789abcdef")),
                 StandinCrypto::encrypt(plain, padded));
        QVERIFY(AES::AES256EncryptWithKey(plain, QStringLiteral("0123456789abcdef")) !=
                AES::encryptData(plain, QStringLiteral("0123456789abcdef")));
    }

    void brokenCiphertextGivesNull_data()
    {
        QTest::addColumn<QString>("base64");
        QTest::newRow("empty") << "";
        QTest::newRow("not a block") << "bm90IGEgY2lwaGVy";
        QTest::newRow("wrong key or padding") << "AAAAAAAAAAAAAAAAAAAAAA==";
    }
    void brokenCiphertextGivesNull()
    {
        QFETCH(QString, base64);
        QVERIFY(AES::decrypt(base64, QStringLiteral("9a4827d24efe1736d247069cf28833ed")).isNull());
    }

    void base64DecoderIsLenient_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("plain") << "aGVsbG8=" << QByteArray("hello");
        QTest::newRow("line breaks and spaces skipped") << "aGVs\r\nbG8 =" << QByteArray("hello");
        QTest::newRow("two-character tail") << "aA" << QByteArray("h");
        QTest::newRow("three-character tail") << "aGU" << QByteArray("he");
        QTest::newRow("stops at =") << "aGk=aGVsbG8=" << QByteArray("hi");
        QTest::newRow("null text") << QString() << QByteArray();
    }
    void base64DecoderIsLenient()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        QCOMPARE(AES::base64DataFromString(text), bytes);
    }
};

PRELVANE_TEST_CORE_MAIN(TestCrypto)
#include "tst_crypto.moc"
