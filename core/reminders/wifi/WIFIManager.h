#pragma once

#include "core/reminders/wifi/WIFIModel.h"

#include <QList>
#include <QString>

// The Wi-Fi interface as the reminders and the network lists see it.
class WIFIManager
{
public:
    // SSID of the joined network; empty when not associated.
    static QString getCWWiFiName();
    // One model per entry of the cached scan results, in their order, unfiltered.
    static QList<WIFIModel> getCWNetworkWiFiList();
};
