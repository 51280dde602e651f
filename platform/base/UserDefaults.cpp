#include "platform/base/UserDefaults.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QMutex>
#include <QSettings>
#include <QStandardPaths>

#include <memory>

namespace {
QMutex defaultsMutex;
QString customPath;
std::unique_ptr<QSettings> settings;

QString defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + "/userdefaults.ini";
}

// The file holds "accessToken" and "userKey": readable by its owner only. An
// existing file is tightened; the settings' atomic rewrites keep the mode.
void keepPrivate(const QString &path)
{
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
    QFile file(path);
    if (!file.exists() && !file.open(QIODevice::WriteOnly | QIODevice::NewOnly, ownerOnly))
        qWarning() << "user defaults: cannot create" << path;
    file.close();
    if (!QFile::setPermissions(path, ownerOnly))
        qWarning() << "user defaults: cannot restrict the permissions of" << path;
}

QSettings &store()
{
    if (!settings) {
        const QString path = customPath.isEmpty() ? defaultPath() : customPath;
        QDir().mkpath(QFileInfo(path).absolutePath());
        keepPrivate(path);
        settings = std::make_unique<QSettings>(path, QSettings::IniFormat);
    }
    return *settings;
}
} // namespace

QVariant UserDefaults::value(const QString &key, const QVariant &fallback)
{
    QMutexLocker lock(&defaultsMutex);
    return store().value(key, fallback);
}

QString UserDefaults::string(const QString &key)
{
    return value(key).toString();
}

bool UserDefaults::boolValue(const QString &key)
{
    const QVariant v = value(key);
    if (v.typeId() == QMetaType::QString) {
        const QString s = v.toString().trimmed().toLower();
        return s == "true" || s == "yes" || s.toLongLong() != 0;
    }
    return v.toBool();
}

qint64 UserDefaults::integer(const QString &key)
{
    return value(key).toLongLong();
}

bool UserDefaults::contains(const QString &key)
{
    QMutexLocker lock(&defaultsMutex);
    return store().contains(key);
}

void UserDefaults::setValue(const QString &key, const QVariant &value)
{
    QMutexLocker lock(&defaultsMutex);
    if (!value.isValid())
        store().remove(key);
    else
        store().setValue(key, value);
    store().sync();
}

void UserDefaults::remove(const QString &key)
{
    QMutexLocker lock(&defaultsMutex);
    store().remove(key);
    store().sync();
}

void UserDefaults::sync()
{
    QMutexLocker lock(&defaultsMutex);
    store().sync();
}

QString UserDefaults::storagePath()
{
    QMutexLocker lock(&defaultsMutex);
    return customPath.isEmpty() ? defaultPath() : customPath;
}

void UserDefaults::setStoragePath(const QString &path)
{
    QMutexLocker lock(&defaultsMutex);
    if (settings)
        settings->sync();
    settings.reset();
    customPath = path;
}
