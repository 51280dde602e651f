#pragma once

#include <QDBusConnection>
#include <QString>
#include <QStringList>

// Reads the Wi-Fi state that NetworkManager keeps (org.freedesktop.NetworkManager
// on the given bus): the SSID of the active access point and the cached access
// point list of the Wi-Fi device. Never starts a scan. When NetworkManager is not
// on the bus, or there is no Wi-Fi device, every answer is empty.
//
// The calls block the calling (main) thread, so answers are kept for a moment
// (the status handler asks several times per change), one answer never waits
// longer than CallTimeoutMSecs in all, and a NetworkManager that let a call time
// out is left alone for UnresponsiveBackoffMSecs (the last answers stand meanwhile).
class NetworkManagerWiFi
{
public:
    explicit NetworkManagerWiFi(const QDBusConnection &bus);

    bool isAvailable() const;
    // SSID of the access point the Wi-Fi device is associated with; empty when none.
    QString activeSsid() const;
    // SSIDs of the access points the Wi-Fi device last saw, in its order.
    QStringList scannedSsids() const;

    // Forgets the kept answers: the next question goes to NetworkManager again
    // (unless it is being left alone after a time-out).
    void invalidate();

    // How long one answer (all its D-Bus calls together) may take before it counts as none.
    static constexpr int CallTimeoutMSecs = 2000;
    // How long an answer is kept.
    static constexpr int CacheMSecs = 1000;
    // How long a NetworkManager that did not answer in time is not asked.
    static constexpr int UnresponsiveBackoffMSecs = 30000;

    // The text of an SSID: UTF-8, else GB18030 (older routers here), else Latin-1,
    // so that different byte strings never read as the same text.
    static QString ssidText(const QByteArray &ssid);

private:
    struct Kept
    {
        bool valid = false;
        qint64 at = 0;
        QString active;
        QStringList scanned;
    };

    bool fresh(const Kept &kept) const;
    bool leftAlone() const;
    void goQuiet() const;

    QDBusConnection m_bus;
    mutable Kept m_active;
    mutable Kept m_scanned;
    mutable qint64 m_quietFrom = 0;
    mutable bool m_quiet = false;
};
