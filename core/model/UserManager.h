#pragma once

class UserInfo;

class UserManager
{
public:
    // The UserInfo whose userId equals the user default "userId" (compared as
    // integers), or nullptr.
    static UserInfo *getCurrentInfo();
};
