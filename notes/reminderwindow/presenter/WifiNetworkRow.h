#pragma once

#include "platform/store/ObjectId.h"

#include <QString>

// One row of the saved-network list below "任意无线": a store row once the service has given it an id (or
// one the store already held without), else a row the user is still filling in, kept only until the
// service accepts it. The key stays the row's for the tab's whole life.
struct WifiNetworkRow
{
    quint64 key = 0;
    ObjectId object; // invalid while the row is not in the store
    QString wifiId;
    QString name;
    QString alias;
    bool adding = false;    // an add of this row is in flight
    bool modifying = false; // a rename is in flight
    bool deleting = false;
    bool aliasDirty = false; // edited while a request was in flight: send again after it
};
