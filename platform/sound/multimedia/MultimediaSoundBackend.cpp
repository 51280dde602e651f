#include "platform/sound/multimedia/MultimediaSoundBackend.h"

#include <QAudioDevice>
#include <QAudioOutput>
#include <QDebug>
#include <QMediaDevices>
#include <QMediaPlayer>
#include <QUrl>

MultimediaSoundBackend::MultimediaSoundBackend() = default;

MultimediaSoundBackend::~MultimediaSoundBackend()
{
    delete m_player;
    delete m_output;
}

bool MultimediaSoundBackend::hasAudioOutput() const
{
    return !QMediaDevices::audioOutputs().isEmpty();
}

bool MultimediaSoundBackend::play(const QString &file)
{
    if (!m_player) {
        m_player = new QMediaPlayer;
        m_output = new QAudioOutput;
        m_player->setAudioOutput(m_output);
        QObject::connect(m_player, &QMediaPlayer::errorOccurred, m_player,
                         [](QMediaPlayer::Error, const QString &text) { qWarning() << "sound:" << text; });
    }
    // The output follows the desktop's default device as it is now.
    m_output->setDevice(QMediaDevices::defaultAudioOutput());
    m_player->stop();
    m_player->setSource(QUrl::fromLocalFile(file));
    m_player->play();
    return m_player->error() == QMediaPlayer::NoError;
}
