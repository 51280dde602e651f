// Avatar loading: which addresses may be fetched, an image from this machine,
// and an earlier answer dropped when a newer address was asked for.

#include "app/uikit/AvatarLoader.h"
#include "tests/support/TestEnv.h"

#include <QBuffer>
#include <QImage>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>

namespace {
// Answers every GET with the same PNG after `delayMs`.
class ImageServer : public QTcpServer
{
public:
    explicit ImageServer(int delayMs = 0) : m_delay(delayMs)
    {
        QImage image(8, 8, QImage::Format_ARGB32);
        image.fill(Qt::red);
        QBuffer buffer(&m_png);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "PNG");
        connect(this, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *s = nextPendingConnection();
            connect(s, &QTcpSocket::readyRead, s, [this, s] {
                s->readAll();
                QTimer::singleShot(m_delay, s, [this, s] {
                    s->write("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nConnection: "
                             "close\r\nContent-Length: " +
                             QByteArray::number(m_png.size()) + "\r\n\r\n" + m_png);
                    s->disconnectFromHost();
                });
            });
        });
        listen(QHostAddress::LocalHost);
    }
    QString url(const char *path) const
    {
        return QStringLiteral("http://127.0.0.1:%1/%2").arg(serverPort()).arg(path);
    }

private:
    int m_delay;
    QByteArray m_png;
};
} // namespace

class TestAvatarLoader : public QObject
{
    Q_OBJECT
private slots:
    void allowedAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("https") << "https://img.example.com/a.png" << true;
        QTest::newRow("http elsewhere") << "http://img.example.com/a.png" << false;
        QTest::newRow("http loopback") << "http://127.0.0.1:8600/a.png" << true;
        QTest::newRow("http localhost") << "http://localhost/a.png" << true;
        QTest::newRow("local file") << "file:///etc/passwd" << false;
        QTest::newRow("no host") << "https:///a.png" << false;
        QTest::newRow("not an address") << "头像" << false;
    }
    void allowedAddresses()
    {
        QFETCH(QString, address);
        QFETCH(bool, allowed);
        QCOMPARE(AvatarLoader::isAllowed(QUrl(address)), allowed);
    }

    void refusedAddressEndsAtOnceWithoutImage()
    {
        AvatarLoader loader;
        QSignalSpy loaded(&loader, &AvatarLoader::loaded);
        loader.load(QStringLiteral("file:///etc/passwd"));
        QCOMPARE(loaded.count(), 1);
        QVERIFY(loaded.first().at(1).value<QPixmap>().isNull());
    }

    void loadsAnImageAndDropsAStaleAnswer()
    {
        ImageServer slow(300), fast;
        AvatarLoader loader;
        QSignalSpy loaded(&loader, &AvatarLoader::loaded);
        loader.load(slow.url("old.png"));
        loader.load(fast.url("new.png"));
        QTRY_COMPARE(loaded.count(), 1);
        QTest::qWait(500);
        QCOMPARE(loaded.count(), 1);
        QCOMPARE(loaded.first().at(0).toString(), fast.url("new.png"));
        const QPixmap image = loaded.first().at(1).value<QPixmap>();
        QCOMPARE(image.size(), QSize(8, 8));
    }
};

PRELVANE_TEST_MAIN(TestAvatarLoader)
#include "tst_avatarloader.moc"
