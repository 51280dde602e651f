#include "app/uikit/AvatarLoader.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPainter>
#include <QPainterPath>

AvatarLoader::AvatarLoader(QObject *parent) : QObject(parent) {}

AvatarLoader::~AvatarLoader()
{
    if (QNetworkReply *reply = m_reply.data()) {
        m_reply = nullptr;
        reply->abort();
    }
}

bool AvatarLoader::isAllowed(const QUrl &url)
{
    if (!url.isValid() || url.host().isEmpty())
        return false;
    if (url.scheme() == QLatin1String("https"))
        return true;
    const QHostAddress host(url.host());
    return url.scheme() == QLatin1String("http") &&
           (host.isLoopback() || url.host() == QLatin1String("localhost"));
}

void AvatarLoader::load(const QString &address)
{
    if (QNetworkReply *old = m_reply.data()) {
        m_reply = nullptr; // its abort answers at once: as a stale one
        old->abort();
    }
    m_address = address;
    const QUrl url(address);
    if (address.isEmpty() || !isAllowed(url)) {
        emit loaded(address, QPixmap());
        return;
    }
    if (!m_manager)
        m_manager = new QNetworkAccessManager(this);
    QNetworkRequest request(url);
    request.setTransferTimeout(15000);
    QNetworkReply *reply = m_manager->get(request);
    m_reply = reply;
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > MaxBytes)
            reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { finished(reply); });
}

void AvatarLoader::finished(QNetworkReply *reply)
{
    reply->deleteLater();
    if (reply != m_reply)
        return; // the answer for an address no longer wanted
    m_reply = nullptr;
    QPixmap image;
    if (reply->error() == QNetworkReply::NoError)
        image.loadFromData(reply->read(MaxBytes));
    emit loaded(m_address, image);
}

QPixmap AvatarLoader::round(const QPixmap &image, int side, qreal devicePixelRatio)
{
    const int pixels = qMax(1, qRound(side * devicePixelRatio));
    QPixmap out(pixels, pixels);
    out.setDevicePixelRatio(devicePixelRatio);
    out.fill(Qt::transparent);
    if (image.isNull())
        return out;
    const int square = qMin(image.width(), image.height());
    const QRect source((image.width() - square) / 2, (image.height() - square) / 2, square, square);
    QPainter p(&out);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    QPainterPath clip;
    clip.addEllipse(QRectF(0, 0, side, side));
    p.setClipPath(clip);
    p.drawPixmap(QRectF(0, 0, side, side), image, source);
    return out;
}
