#pragma once

#include <QString>
#include <QtPlugin>

// What the multimedia plugin offers. It lives in a plugin of its own so that
// the program does not load the multimedia libraries (and their decoders)
// at start, only when a sound is first wanted.
class SoundBackend
{
public:
    virtual ~SoundBackend() = default;
    virtual bool hasAudioOutput() const = 0;
    // Starts playing the file once; false when it cannot be started.
    virtual bool play(const QString &file) = 0;
};

#define PRELVANE_SOUND_BACKEND_IID "org.prelvane.SoundBackend/1"
Q_DECLARE_INTERFACE(SoundBackend, PRELVANE_SOUND_BACKEND_IID)
