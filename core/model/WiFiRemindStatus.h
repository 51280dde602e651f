#pragma once

#include <QtGlobal>

// Whether a Wi-Fi reminder has fired, its "remindWifiStatus". The numbers are
// the ones stored and sent.
namespace WiFiRemindStatus {

enum Code : qint16
{
    Armed = 0,
    Fired = 1, // does not fire again until armed again
};

} // namespace WiFiRemindStatus
