#include "platform/keychain/DemoFileKeychainBackend.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

DemoFileKeychainBackend::DemoFileKeychainBackend(const QString &file, const QSet<QString> &keptKeys)
    : m_file(file), m_keptKeys(keptKeys)
{
    QFile in(m_file);
    if (!in.exists())
        return;
    if (!in.open(QIODevice::ReadOnly)) {
        qWarning().noquote() << "demo secrets not readable:" << m_file;
        return;
    }
    const QJsonObject items = QJsonDocument::fromJson(in.readAll()).object();
    for (auto it = items.begin(); it != items.end(); ++it) {
        const QByteArray data = QByteArray::fromBase64(it.value().toString().toLatin1());
        // A key no longer kept is forgotten at the next write.
        if (m_keptKeys.contains(it.key()) && !data.isEmpty())
            m_kept.insert(it.key(), data);
    }
}

bool DemoFileKeychainBackend::saveFile() const
{
    QJsonObject items;
    for (auto it = m_kept.begin(); it != m_kept.end(); ++it)
        items.insert(it.key(), QString::fromLatin1(it.value().toBase64()));
    QDir().mkpath(QFileInfo(m_file).absolutePath());
    QSaveFile out(m_file);
    // Owner only from the first byte on: the temporary file gets the mode before anything is written.
    if (!out.open(QIODevice::WriteOnly) ||
        !out.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        qWarning().noquote() << "demo secrets not writable:" << m_file << out.errorString();
        return false;
    }
    out.write(QJsonDocument(items).toJson(QJsonDocument::Compact));
    if (!out.commit()) {
        qWarning().noquote() << "demo secrets not written:" << m_file << out.errorString();
        return false;
    }
    return true;
}

bool DemoFileKeychainBackend::write(const QString &key, const QByteArray &data)
{
    if (key.isEmpty() || data.isEmpty())
        return false;
    if (!m_keptKeys.contains(key)) {
        m_memory.insert(key, data);
        return true;
    }
    const std::optional<QByteArray> before =
        m_kept.contains(key) ? std::optional<QByteArray>(m_kept.value(key)) : std::nullopt;
    m_kept.insert(key, data);
    if (saveFile())
        return true;
    // A failed write leaves the old item.
    if (before)
        m_kept.insert(key, *before);
    else
        m_kept.remove(key);
    return false;
}

std::optional<QByteArray> DemoFileKeychainBackend::read(const QString &key) const
{
    if (key.isEmpty())
        return std::nullopt;
    if (const auto it = m_kept.constFind(key); it != m_kept.constEnd())
        return *it;
    if (const auto it = m_memory.constFind(key); it != m_memory.constEnd())
        return *it;
    return std::nullopt;
}

bool DemoFileKeychainBackend::remove(const QString &key)
{
    m_memory.remove(key);
    if (!m_kept.remove(key))
        return true;
    return saveFile();
}

void DemoFileKeychainBackend::writeItem(const QString &key, const QByteArray &data, const QObject *owner,
                                        Done done)
{
    const bool ok = write(key, data);
    answerLater(owner, [done = std::move(done), ok] {
        if (done)
            done(ok);
    });
}

void DemoFileKeychainBackend::readItem(const QString &key, const QObject *owner, Read answer)
{
    const std::optional<QByteArray> data = read(key);
    answerLater(owner, [answer = std::move(answer), data] {
        if (answer)
            answer(data);
    });
}

void DemoFileKeychainBackend::deleteItem(const QString &key, const QObject *owner, Done done)
{
    const bool ok = remove(key);
    answerLater(owner, [done = std::move(done), ok] {
        if (done)
            done(ok);
    });
}
