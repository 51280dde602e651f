// prelvane-local-service: the stand-in service on 127.0.0.1, for trying the
// program by hand. Usage: prelvane-local-service [--port N] [--cert FILE --key FILE] [--demo]
// [--state FILE]
#include "service/standin/DemoSeed.h"
#include "service/standin/NoteSyncHandlers.h"
#include "service/standin/StandinService.h"
#include "service/standin/StandinStateFile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QTextStream>
#include <QTimer>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("prelvane-local-service"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Stand-in of the Prelvane service on 127.0.0.1"));
    parser.addHelpOption();
    QCommandLineOption portOption(QStringLiteral("port"), QStringLiteral("Port (0: any free one)."),
                                  QStringLiteral("port"), QStringLiteral("0"));
    QCommandLineOption certOption(QStringLiteral("cert"), QStringLiteral("PEM certificate for TLS."),
                                  QStringLiteral("file"));
    QCommandLineOption keyOption(QStringLiteral("key"), QStringLiteral("PEM private key for TLS."),
                                 QStringLiteral("file"));
    QCommandLineOption demoOption(
        QStringLiteral("demo"),
        QStringLiteral("Also serve a demo account with categories, notes and reminders."));
    QCommandLineOption stateOption(
        QStringLiteral("state"),
        QStringLiteral("Load the state from FILE at start (when it exists) and save every change to it."),
        QStringLiteral("file"));
    parser.addOptions({portOption, certOption, keyOption, demoOption, stateOption});
    parser.process(app);

    QTextStream out(stdout);
    QTextStream err(stderr);
    StandinService service;
    NoteSyncHandlers noteSync(service);
    const QString stateFile = parser.value(stateOption);
    bool loaded = false;
    if (!stateFile.isEmpty() && QFile::exists(stateFile)) {
        QString error;
        loaded = StandinStateFile::load(stateFile, service.state(), noteSync, &error);
        if (!loaded) {
            // A damaged state is kept aside, never overwritten.
            err << "cannot load the state " << stateFile << ": " << error << "\n";
            return 2;
        }
    }
    if (!loaded && parser.isSet(demoOption))
        DemoSeed::seed(service.state(), noteSync, QDateTime::currentDateTime());
    if (!stateFile.isEmpty()) {
        // Saved once the request that changed it has been handled; requests that
        // come together are saved once.
        auto *saving = new QTimer(&app);
        saving->setSingleShot(true);
        saving->setInterval(0);
        QObject::connect(saving, &QTimer::timeout, &app, [&service, &noteSync, stateFile, &err] {
            QString error;
            if (!StandinStateFile::save(stateFile, service.state(), noteSync, &error)) {
                err << "cannot save the state " << stateFile << ": " << error << "\n";
                err.flush();
            }
        });
        QObject::connect(&service, &StandinService::requestReceived, saving, qOverload<>(&QTimer::start));
        saving->start();
    }
    const quint16 port = quint16(parser.value(portOption).toUInt());
    bool listening = false;
    if (parser.isSet(certOption)) {
        QFile certFile(parser.value(certOption));
        QFile keyFile(parser.value(keyOption));
        if (!certFile.open(QIODevice::ReadOnly) || !keyFile.open(QIODevice::ReadOnly)) {
            err << "cannot read the certificate or the key\n";
            return 2;
        }
        const QList<QSslCertificate> chain = QSslCertificate::fromData(certFile.readAll(), QSsl::Pem);
        const QSslKey key(keyFile.readAll(), QSsl::Rsa, QSsl::Pem);
        if (chain.isEmpty() || key.isNull()) {
            err << "the certificate or the key is not PEM\n";
            return 2;
        }
        listening = service.listenTls(chain.first(), key, chain.mid(1), port);
    } else {
        listening = service.listen(port);
    }
    if (!listening) {
        err << "cannot listen on 127.0.0.1:" << port << "\n";
        return 1;
    }
    out << "listening on " << service.baseUrl().toString() << "\n";
    out << "account: tester / secret1\n";
    if (parser.isSet(demoOption)) {
        out << "demo account: " << DemoSeed::Account << " / " << DemoSeed::Password << "\n";
        // There is no text-message gateway: the demo's codes are shown here.
        QObject::connect(&service, &StandinService::codeIssued, &app,
                         [&out](const QString &mobile, const QString &code) {
                             out << "verification code for " << mobile << ": " << code << "\n";
                             out.flush();
                         });
    }
    out.flush();
    return app.exec();
}
