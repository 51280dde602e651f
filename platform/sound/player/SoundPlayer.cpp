#include "platform/sound/player/SoundPlayer.h"

SoundPlayer::~SoundPlayer() = default;
