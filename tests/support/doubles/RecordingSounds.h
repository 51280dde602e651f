#pragma once

#include "platform/sound/player/SoundPlayer.h"

#include <QStringList>

// Plays nothing (tests have no audio device): records the files and answers `result`.
class RecordingSounds final : public SoundPlayer
{
public:
    QStringList played;
    Result result = Result::Playing;

    Result play(const QString &file) override;
};
