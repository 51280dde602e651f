#pragma once

#include "platform/store/StoreOpenResult.h"

#include <QString>

class Context;
class Store;

// Sets up and tears down the local store ("LoginAccount.sqlite" in the
// application's data folder). Everything that touches rows goes through
// defaultContext() afterwards (also reachable as Context::defaultContext()).
class MagicalRecordManager
{
public:
    // Opens the store, migrating an older file and replacing an unreadable one
    // (moved aside, never deleted). Check the result: Recovered means the user's
    // local data had to be set aside and should be told so; Failed means no store.
    static StoreOpenResult setupCoreData();
    // The same at an explicit path.
    static StoreOpenResult setupCoreDataAtPath(const QString &path);
    // Closes the store (at shut-down; tests between cases).
    static void cleanUp();

    static QString defaultStorePath();
    static const StoreOpenResult &lastSetupResult();
    static Store *store();
    static Context *defaultContext();
};
