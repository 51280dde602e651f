#include "platform/base/UserDefaults.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

namespace {

QString defaultPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) + "/userdefaults.ini";
}

// The file holds "accessToken" and "userKey": readable by its owner only. An
// existing file is tightened; the settings' atomic rewrites keep the mode.
void keepPrivate(const QString &path)
{
    const QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner;
    // The folder holds the sign-in keys: the owner's only, also when an older start made it open.
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFile::setPermissions(folder, ownerOnly | QFile::ExeOwner))
        qWarning() << "user defaults: cannot restrict the permissions of" << folder;
    QFile file(path);
    if (!file.exists() && !file.open(QIODevice::WriteOnly | QIODevice::NewOnly, ownerOnly))
        qWarning() << "user defaults: cannot create" << path;
    file.close();
    if (!QFile::setPermissions(path, ownerOnly))
        qWarning() << "user defaults: cannot restrict the permissions of" << path;
}

using Values = QMap<QString, QVariant>;

// Replaces the file with exactly these values (QSettings writes a temporary
// file and renames it over the old one).
void writeFile(const QString &path, const Values &values)
{
    QSettings file(path, QSettings::IniFormat);
    file.clear();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        file.setValue(it.key(), it.value());
    file.sync();
    if (file.status() != QSettings::NoError)
        qWarning() << "user defaults: cannot write" << path;
}

bool sameValue(const QVariant &a, const QVariant &b)
{
    return a.metaType() == b.metaType() && a == b;
}

struct Waiter
{
    quint64 generation;
    QPointer<const QObject> context;
    std::function<void()> done;
};

// Never destroyed: the writer thread may still wait on it while the program ends.
struct State
{
    std::mutex mutex;
    std::condition_variable changedCondition;
    std::condition_variable writtenCondition;
    QString customPath;
    QString path; // of the values in memory
    bool loaded = false;
    Values values;
    quint64 changed = 0; // generation of the last change
    quint64 written = 0; // generation on disk
    bool writerStarted = false;
    std::vector<Waiter> waiters;
    QObject *notifier = nullptr; // lives on the main thread; runs the waiters

    QString currentPath() const { return customPath.isEmpty() ? defaultPath() : customPath; }

    void ensureLoaded()
    {
        if (loaded)
            return;
        path = currentPath();
        QDir().mkpath(QFileInfo(path).absolutePath());
        keepPrivate(path);
        QSettings file(path, QSettings::IniFormat);
        values.clear();
        for (const QString &key : file.allKeys())
            values.insert(key, file.value(key));
        loaded = true;
    }

    void waitWritten(std::unique_lock<std::mutex> &lock)
    {
        const quint64 target = changed;
        writtenCondition.wait(lock, [&] { return written >= target; });
    }

    void changedNow()
    {
        ++changed;
        startWriter();
        changedCondition.notify_one();
    }

    void startWriter();
    void writerLoop();
    void runReadyWaiters();
};

State &state()
{
    static State *s = new State;
    return *s;
}

void flushAll()
{
    UserDefaults::sync();
}

void State::startWriter()
{
    if (writerStarted)
        return;
    writerStarted = true;
    std::thread([this] { writerLoop(); }).detach();
    // Everything set is on disk before the program ends.
    std::atexit(flushAll);
    qAddPostRoutine(flushAll);
    if (QCoreApplication *app = QCoreApplication::instance())
        QObject::connect(app, &QCoreApplication::aboutToQuit, app, flushAll);
}

void State::writerLoop()
{
    std::unique_lock lock(mutex);
    for (;;) {
        changedCondition.wait(lock, [this] { return changed > written; });
        // Every change up to now goes into one write.
        const quint64 generation = changed;
        const QString target = path;
        const Values snapshot = values;
        lock.unlock();
        writeFile(target, snapshot);
        lock.lock();
        written = generation;
        writtenCondition.notify_all();
        if (!waiters.empty() && notifier)
            QMetaObject::invokeMethod(
                notifier, [this] { runReadyWaiters(); }, Qt::QueuedConnection);
    }
}

void State::runReadyWaiters()
{
    std::vector<Waiter> ready;
    {
        std::lock_guard lock(mutex);
        for (auto it = waiters.begin(); it != waiters.end();) {
            if (it->generation <= written) {
                ready.push_back(std::move(*it));
                it = waiters.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (const Waiter &w : ready)
        if (w.context && w.done)
            w.done();
}

} // namespace

QVariant UserDefaults::value(const QString &key, const QVariant &fallback)
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    s.ensureLoaded();
    return s.values.value(key, fallback);
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
    State &s = state();
    std::lock_guard lock(s.mutex);
    s.ensureLoaded();
    return s.values.contains(key);
}

void UserDefaults::setValue(const QString &key, const QVariant &value)
{
    if (!value.isValid()) {
        remove(key);
        return;
    }
    State &s = state();
    std::lock_guard lock(s.mutex);
    s.ensureLoaded();
    const auto it = s.values.constFind(key);
    if (it != s.values.constEnd() && sameValue(it.value(), value))
        return;
    s.values.insert(key, value);
    s.changedNow();
}

void UserDefaults::remove(const QString &key)
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    s.ensureLoaded();
    if (s.values.remove(key) == 0)
        return;
    s.changedNow();
}

void UserDefaults::sync()
{
    State &s = state();
    std::unique_lock lock(s.mutex);
    s.waitWritten(lock);
}

void UserDefaults::whenWritten(const QObject *context, std::function<void()> done)
{
    if (!context)
        return;
    State &s = state();
    std::unique_lock lock(s.mutex);
    if (s.written >= s.changed) {
        lock.unlock();
        QMetaObject::invokeMethod(
            const_cast<QObject *>(context), [done = std::move(done)] { done(); }, Qt::QueuedConnection);
        return;
    }
    if (!s.notifier) {
        s.notifier = new QObject;
        if (QCoreApplication *app = QCoreApplication::instance())
            s.notifier->moveToThread(app->thread());
    }
    s.waiters.push_back({s.changed, context, std::move(done)});
}

QString UserDefaults::storagePath()
{
    State &s = state();
    std::lock_guard lock(s.mutex);
    return s.currentPath();
}

void UserDefaults::setStoragePath(const QString &path)
{
    State &s = state();
    std::unique_lock lock(s.mutex);
    // The values set so far belong to the old file.
    s.waitWritten(lock);
    s.customPath = path;
    s.loaded = false;
    s.values.clear();
}
