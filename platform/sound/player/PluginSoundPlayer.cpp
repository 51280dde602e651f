#include "platform/sound/player/PluginSoundPlayer.h"

#include "platform/sound/player/SoundBackend.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QPluginLoader>

PluginSoundPlayer::PluginSoundPlayer() : PluginSoundPlayer(defaultFolders()) {}

PluginSoundPlayer::PluginSoundPlayer(const QStringList &folders) : m_folders(folders) {}

PluginSoundPlayer::~PluginSoundPlayer()
{
    // The plugin stays loaded until the program ends: its objects may still
    // be playing while the application object goes down.
    delete m_loader;
}

QStringList PluginSoundPlayer::defaultFolders()
{
    QStringList folders;
    if (QCoreApplication::instance())
        folders << QDir(QCoreApplication::applicationDirPath())
                       .absoluteFilePath(QStringLiteral("../lib/prelvane"));
    folders << QStringLiteral(PRELVANE_BUILD_PLUGIN_DIR);
    return folders;
}

SoundBackend *PluginSoundPlayer::backend()
{
    if (m_tried)
        return m_backend;
    m_tried = true;
    for (const QString &folder : std::as_const(m_folders)) {
        const QString base =
            QDir(folder).absoluteFilePath(QStringLiteral("lib") + PluginName + QStringLiteral(".so"));
        if (!QFileInfo::exists(base))
            continue;
        auto *loader = new QPluginLoader(base);
        if (QObject *instance = loader->instance()) {
            if (auto *b = qobject_cast<SoundBackend *>(instance)) {
                m_loader = loader;
                m_backend = b;
                return m_backend;
            }
        }
        m_error = loader->errorString();
        delete loader;
    }
    if (m_error.isEmpty())
        m_error = QStringLiteral("no sound plugin in ") + m_folders.join(QStringLiteral(", "));
    qWarning() << "sounds cannot play:" << m_error;
    return nullptr;
}

SoundPlayer::Result PluginSoundPlayer::play(const QString &file)
{
    if (file.isEmpty() || !QFileInfo::exists(file))
        return Result::Unavailable;
    SoundBackend *b = backend();
    if (!b)
        return Result::Unavailable;
    if (!b->hasAudioOutput())
        return Result::NoAudioOutput;
    return b->play(file) ? Result::Playing : Result::Unavailable;
}
