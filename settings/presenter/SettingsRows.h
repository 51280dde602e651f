#pragma once

#include <QString>

class Context;
class UserInfo;
class UserSet;
struct Services;

// The two rows the settings edit, found afresh at every use (tabs hold no
// rows): the signed-in user's profile and the single settings row.
class SettingsRows
{
public:
    // The signed-in user's id: the session's, else the user default "userId".
    static qint64 currentUserId(const Services &services);
    // The profile of the signed-in user; with `create`, a missing one is made
    // with that user's id (so it is found again), none without a user.
    static UserInfo *userInfo(const Services &services, bool create = false);
    // The first settings row; with `create`, a missing one is made.
    static UserSet *userSet(Context &store, bool create = false);
};
