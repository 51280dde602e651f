#include "tests/service/ServiceFixture.h"

#include <QFile>
#include <QProcess>
#include <QSslKey>
#include <QTemporaryDir>

// TLS between the client and the stand-in: only an authority the client
// trusts is accepted, and verification cannot be skipped.
class TestHttps : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    bool openssl(const QStringList &args)
    {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(QStringLiteral("openssl"), args);
        if (!p.waitForFinished(30000) || p.exitCode() != 0) {
            qWarning().noquote() << "openssl" << args.join(' ') << p.readAllStandardError();
            return false;
        }
        return true;
    }

    // A certificate authority and a server certificate for 127.0.0.1 signed by it.
    bool makeAuthority(const QString &name)
    {
        const QString ca = name + "-ca";
        QFile ext(dir.filePath(name + ".ext"));
        if (!ext.open(QIODevice::WriteOnly))
            return false;
        ext.write("basicConstraints=CA:FALSE\nsubjectAltName=IP:127.0.0.1\nextendedKeyUsage=serverAuth\n");
        ext.close();
        return openssl({"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                        "-keyout", ca + ".key", "-out", ca + ".crt", "-days", "2", "-subj", "/CN=" + ca,
                        "-addext", "basicConstraints=critical,CA:TRUE", "-addext",
                        "keyUsage=keyCertSign,cRLSign"}) &&
               openssl({"req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                        "-keyout", name + ".key", "-out", name + ".csr", "-subj", "/CN=127.0.0.1"}) &&
               openssl({"x509", "-req", "-in", name + ".csr", "-CA", ca + ".crt", "-CAkey", ca + ".key",
                        "-CAcreateserial", "-out", name + ".crt", "-days", "2", "-extfile", name + ".ext"});
    }

    QSslCertificate certificate(const QString &file)
    {
        QFile f(dir.filePath(file));
        f.open(QIODevice::ReadOnly);
        return QSslCertificate(f.readAll(), QSsl::Pem);
    }

    QSslKey key(const QString &file)
    {
        QFile f(dir.filePath(file));
        f.open(QIODevice::ReadOnly);
        return QSslKey(f.readAll(), QSsl::Ec, QSsl::Pem);
    }

    void serveTls(ServiceFixture &f)
    {
        QVERIFY(f.service->listenTls(certificate("server.crt"), key("server.key")));
        UserDefaults::setValue(ApiNetWorking::ApiBaseUrlKey, f.service->baseUrl().toString());
        QVERIFY(f.service->baseUrl().toString().startsWith("https://"));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(QSslSocket::supportsSsl());
        QVERIFY(dir.isValid());
        QVERIFY(makeAuthority("server"));
        QVERIFY(makeAuthority("other"));
        QVERIFY(!certificate("server.crt").isNull());
        QVERIFY(!key("server.key").isNull());
    }

    void unknownAuthorityIsRefused()
    {
        ServiceFixture f(false);
        serveTls(f);
        auto r = f.run([&](auto ok, auto fail) { f.api->loadTerminalsWithSuccess(nullptr, ok, fail); });
        QVERIFY(r->failed);
        QVERIFY2(r->error.msg.contains(QStringLiteral("证书")), qPrintable(r->error.msg));
        QCOMPARE(f.feedback->messages(), QStringList{r->error.msg});
        QCOMPARE(f.service->requestCount("sys/terminal/list"), 0);
    }

    void anotherAuthorityIsStillRefused()
    {
        ServiceFixture f(false);
        serveTls(f);
        f.api->setExtraCaCertificates({certificate("other-ca.crt")});
        auto r = f.run([&](auto ok, auto fail) { f.api->loadTerminalsWithSuccess(nullptr, ok, fail); });
        QVERIFY(r->failed);
        QCOMPARE(f.service->requestCount("sys/terminal/list"), 0);
    }

    void trustedTestAuthorityIsAccepted()
    {
        ServiceFixture f(false);
        serveTls(f);
        f.api->setExtraCaCertificates({certificate("server-ca.crt")});
        auto r = f.run([&](auto ok, auto fail) { f.api->loadTerminalsWithSuccess(nullptr, ok, fail); });
        QVERIFY2(r->succeeded, qPrintable(r->error.msg));
        QCOMPARE(r->model.code, 200);
        QVERIFY(r->model.hasArrayData());
        QVERIFY(f.signIn());
        QVERIFY(!UserDefaults::string("accessToken").isEmpty());
        QVERIFY(f.feedback->messages().isEmpty());
    }
};

PRELVANE_TEST_CORE_MAIN(TestHttps)
#include "tst_https.moc"
