#pragma once

#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <QUrl>

class QNetworkAccessManager;
class QNetworkReply;

// Fetches avatar images for a window: one request at a time (a new address
// drops the answer of the previous one), https or this machine only, at most
// a few megabytes, decoded into a pixmap. Failures keep the placeholder.
class AvatarLoader : public QObject
{
    Q_OBJECT
public:
    explicit AvatarLoader(QObject *parent = nullptr);
    ~AvatarLoader() override;

    static constexpr qint64 MaxBytes = 4 * 1024 * 1024;

    // Starts loading; an empty or refused address ends at once with no image.
    void load(const QString &address);
    QString address() const { return m_address; }

    static bool isAllowed(const QUrl &url);
    // The image as a circle `side` pixels across (the centre square of it),
    // for a display of this pixel ratio.
    static QPixmap round(const QPixmap &image, int side, qreal devicePixelRatio);

signals:
    // The image of the address last asked for; null when it could not be had.
    void loaded(const QString &address, const QPixmap &image);

private:
    void finished(QNetworkReply *reply);

    QNetworkAccessManager *m_manager = nullptr;
    QPointer<QNetworkReply> m_reply;
    QString m_address;
};
