#pragma once

#include <QString>

// Plays one sound file once. The program's player loads the multimedia
// library on the first play; tests put a recording one in its place.
class SoundPlayer
{
public:
    enum class Result
    {
        Playing,       // started; it stops by itself at its end
        NoAudioOutput, // the computer has no audio output
        Unavailable,   // no back end could be loaded, or the file is not there
    };

    virtual ~SoundPlayer();
    virtual Result play(const QString &file) = 0;
};
