#pragma once

#include <QString>

// The machine's identity as sent with every login.
class PlatformTool
{
public:
    // The machine's model (product name of the board or system), or
    // "Unknown Mac" when the system tells none.
    static QString modelIdentifier();
    // The system's version.
    static QString osxVersion();
    // The program's version: the CMake project version ("clientVersion").
    static QString appVersion();
    // "<model>-<version>", the login's "deviceModel".
    static QString deviceModel();
};
