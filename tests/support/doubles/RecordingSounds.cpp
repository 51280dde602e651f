#include "tests/support/doubles/RecordingSounds.h"

SoundPlayer::Result RecordingSounds::play(const QString &file)
{
    played << file;
    return result;
}
