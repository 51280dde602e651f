#pragma once

#include "platform/sound/player/SoundPlayer.h"

#include <QString>
#include <QStringList>

class QPluginLoader;
class SoundBackend;

// The program's player: the multimedia back end is a plugin, loaded on the
// first play from lib/prelvane beside the program's folder (installed) or
// from the build's plugin folder. A back end that cannot be loaded is tried
// once; every later play answers Unavailable.
class PluginSoundPlayer final : public SoundPlayer
{
public:
    static inline const QString PluginName = QStringLiteral("prelvane_sound_multimedia");

    PluginSoundPlayer();
    // A player that looks only in these folders.
    explicit PluginSoundPlayer(const QStringList &folders);
    ~PluginSoundPlayer() override;

    Result play(const QString &file) override;
    bool isLoaded() const { return m_backend != nullptr; }
    QString loadError() const { return m_error; }
    static QStringList defaultFolders();

private:
    SoundBackend *backend();

    QStringList m_folders;
    QPluginLoader *m_loader = nullptr;
    SoundBackend *m_backend = nullptr;
    bool m_tried = false;
    QString m_error;
};
