#pragma once

#include <QString>

class AuthWebPage;
class QObject;

// Opens the authorisation window's page, modal over the window of `anchor`.
// The page belongs to the caller, which deletes it once it is closed.
class AuthWebPageFactory
{
public:
    virtual ~AuthWebPageFactory() = default;
    virtual AuthWebPage *openPage(const QString &title, const QObject *anchor) = 0;
};
