#pragma once

class Context;

// Whether the login window, shown now, would sign in by itself: the agreement
// was accepted, the last user's remembered account asks for auto-login, and
// the sign-in record to use is stored. The start at login uses it to decide
// between running in the tray and quitting at once.
class AutoLoginCheck
{
public:
    static bool signsInAutomatically(Context *store);
};
