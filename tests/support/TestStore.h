#pragma once

#include "platform/store/StoreOpenResult.h"

#include <QString>

class Context;
class Store;

// One store file kept open for the scenes and model tests that share it between
// cases; they are handed store() or context(). Nothing else reads it: the program
// opens its own store in its object graph (ProgramServices).
class TestStore
{
public:
    // At the program's store path (inside the test's fresh folders).
    static StoreOpenResult setupCoreData();
    static StoreOpenResult setupCoreDataAtPath(const QString &path);
    // Closes the store (between cases).
    static void cleanUp();

    static Store *store();
    // The store's main context (nullptr while none is open).
    static Context *context();
};
