#pragma once

class Context;
class UserInfo;

// The signed-in user's row in the context it was made with (the main one;
// made once by the program object).
class UserManager
{
public:
    explicit UserManager(Context &store) : m_store(store) {}
    UserManager(const UserManager &) = delete;
    UserManager &operator=(const UserManager &) = delete;

    // The UserInfo whose userId equals the user default "userId" (compared as
    // integers), or nullptr.
    UserInfo *getCurrentInfo() const;

private:
    Context &m_store;
};
