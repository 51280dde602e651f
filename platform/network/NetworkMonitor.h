#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

// What the program knows about the network: the status (NetworkStatus values),
// the name (SSID) of the Wi-Fi network joined now and the names of the networks
// seen by the last scan. All calls are made on the main thread.
class NetworkMonitor : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual int status() const = 0;
    // Empty when not associated with a Wi-Fi network (or when unknown).
    virtual QString currentWiFiName() const = 0;
    // The cached scan results of the Wi-Fi interface, in their order, unfiltered.
    virtual QStringList scannedWiFiNames() const = 0;

signals:
    // Emitted once per change of status(), with the new value.
    void statusChanged(int status);
    // Emitted when the Wi-Fi network joined now may have changed (a switch from
    // one network to another keeps the status at Wi-Fi), with the new
    // currentWiFiName(); empty while not associated. May repeat a name.
    void wifiNameChanged(const QString &name);
};
