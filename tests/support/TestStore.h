#pragma once

#include "platform/store/StoreOpenResult.h"

#include <QString>

class Context;
class Store;

// A store file opened as the process's default store, for tests and scenes
// whose code under test still reads that one. The program itself opens its
// store in its object graph (ProgramServices) and never installs it.
class TestStore
{
public:
    // At the program's store path (inside the test's fresh folders).
    static StoreOpenResult setupCoreData();
    static StoreOpenResult setupCoreDataAtPath(const QString &path);
    // Closes the store (between cases).
    static void cleanUp();

    static Store *store();
    static Context *defaultContext();
};
