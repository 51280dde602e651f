#pragma once

#include "platform/base/UrlOpener.h"

#include <QList>

// Records the links the program would open, and opens none.
class RecordingUrlOpener final : public UrlOpener
{
public:
    bool openUrl(const QUrl &url) override;

    QList<QUrl> opened;
};
