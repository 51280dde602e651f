#pragma once

#include <QObject>
#include <QUrl>

// The authorisation window's page as the presenter sees it: a web view in a
// window of its own, or the desktop's browser with a waiting dialog. Tests
// put a fake in its place, so no browser engine starts in them.
class AuthWebPage : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~AuthWebPage() override = default;

    virtual void load(const QUrl &url) = 0;
    // Closes the window; closedByUser() is not emitted for it.
    virtual void close() = 0;

signals:
    // A page finished loading (a web view; the browser reports nothing).
    void pageLoaded();
    // The user closed the window or pressed cancel.
    void closedByUser();
};
