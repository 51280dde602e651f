#pragma once

#include "platform/sound/player/SoundBackend.h"

#include <QObject>
#include <QPointer>

class QAudioOutput;
class QMediaPlayer;

// Plays through Qt Multimedia: one player, a new sound stops the one before.
// WAV and MP3 alike (the GStreamer back end decodes MP3 with its "good" plugins).
class MultimediaSoundBackend final : public QObject, public SoundBackend
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID PRELVANE_SOUND_BACKEND_IID)
    Q_INTERFACES(SoundBackend)
public:
    MultimediaSoundBackend();
    ~MultimediaSoundBackend() override;

    bool hasAudioOutput() const override;
    bool play(const QString &file) override;

private:
    QMediaPlayer *m_player = nullptr;
    QAudioOutput *m_output = nullptr;
};
