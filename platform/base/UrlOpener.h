#pragma once

#include <QUrl>

// Opens web pages and other links outside the program (the desktop's
// browser). The shell hands the real one on; tests record what was opened.
class UrlOpener
{
public:
    virtual ~UrlOpener();
    // False when nothing could open it.
    virtual bool openUrl(const QUrl &url) = 0;
};
