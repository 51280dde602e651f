#pragma once

#include <QString>

// One network of the Wi-Fi interface's scan results.
struct WIFIModel
{
    QString wifiName; // SSID
};
