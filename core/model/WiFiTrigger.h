#pragma once

#include <QtGlobal>

// When a Wi-Fi reminder fires, its "connectWifiType". The numbers are the ones
// stored and sent.
namespace WiFiTrigger {

enum Code : qint16
{
    OnJoin = 0,  // on joining a listed network
    OnLeave = 1, // on leaving it
};

} // namespace WiFiTrigger
