#pragma once

#include <QString>

// What happened when a store file was opened.
struct StoreOpenResult
{
    enum Status
    {
        Opened,    // an existing file, migrated to the current model where needed
        Created,   // no file was there; a new empty store
        Recovered, // the file could not be read: it was moved aside and a new empty store made
        Failed     // no store at all (the folder is not writable, ...); see error
    };
    Status status = Failed;
    QString path;
    QString movedAsidePath; // Recovered only: where the unreadable file now is
    QString error;

    bool ok() const { return status != Failed; }
    bool wasRecovered() const { return status == Recovered; }
};
