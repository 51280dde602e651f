#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

struct StandinRequest;
struct StandinState;

// The web side of the stand-in: the pages the program opens in a browser. The
// signed auto-jump link is checked (its token decrypts with the account's
// auto-jump key and names a known account) and redirected to its return page
// with a web session; the account page lets that account set its lock
// password, which the program then pulls as any profile change. Help,
// register, password reset and download are small local pages.
class StandinWebPages
{
public:
    struct Page
    {
        int status = 200;
        QByteArray body;
        QByteArray location; // a redirect's target
    };

    // The page of a browser's request; nullopt when the path is none of them.
    std::optional<Page> answer(const StandinRequest &request, StandinState &state);

private:
    Page autoJump(const StandinRequest &request, StandinState &state);
    Page accountPage(const StandinRequest &request, StandinState &state);
    Page setLockPassword(const StandinRequest &request, StandinState &state);

    QHash<QString, QString> m_sessions; // web session -> userId
};
