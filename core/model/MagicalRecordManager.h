#pragma once

#include <QString>

// Where the local store lives ("LoginAccount.sqlite" in the application's data
// folder). The program object opens it there (migrating an older file and
// setting an unreadable one aside) and hands its contexts on.
class MagicalRecordManager
{
public:
    static QString defaultStorePath();
};
