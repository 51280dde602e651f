#include "service/account/KeychainTool.h"

#include "platform/base/Missing.h"
#include "platform/keychain/KeychainBackend.h"

#include <QDataStream>
#include <QDebug>
#include <QIODevice>

namespace {
const QByteArray Magic("PLVK");
} // namespace

QByteArray KeychainTool::archive(const QVariant &value)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_6_4);
    out.writeRawData(Magic.constData(), int(Magic.size()));
    out << value;
    return bytes;
}

QVariant KeychainTool::unarchive(const QByteArray &bytes, QString *error)
{
    auto failed = [error](const QString &why) {
        if (error)
            *error = why;
        return QVariant();
    };
    if (!bytes.startsWith(Magic))
        return failed(QStringLiteral("not an archive"));
    QDataStream in(bytes.mid(Magic.size()));
    in.setVersion(QDataStream::Qt_6_4);
    QVariant value;
    in >> value;
    if (in.status() != QDataStream::Ok || !value.isValid())
        return failed(QStringLiteral("damaged archive"));
    if (error)
        error->clear();
    return value;
}

KeychainTool::KeychainTool(KeychainBackend &keychain) : m_keychain(keychain) {}

void KeychainTool::save(const QString &key, const QVariant &data, const QObject *owner, Done done)
{
    // Nothing empty is ever stored, and a refused value leaves the old item.
    // The backend replaces the item in one write, so a failing write loses nothing.
    if (key.isEmpty() || Missing::isMissing(data)) {
        KeychainBackend::answerLater(owner, [done = std::move(done)] {
            if (done)
                done(false);
        });
        return;
    }
    m_keychain.writeItem(key, archive(data), owner, std::move(done));
}

void KeychainTool::load(const QString &key, const QObject *owner, Loaded loaded)
{
    if (key.isEmpty()) {
        KeychainBackend::answerLater(owner, [loaded = std::move(loaded)] {
            if (loaded)
                loaded(QVariant());
        });
        return;
    }
    m_keychain.readItem(
        key, owner, [key, loaded = std::move(loaded)](const std::optional<QByteArray> &bytes) {
            QVariant value;
            if (bytes) {
                QString error;
                value = unarchive(*bytes, &error);
                if (!value.isValid())
                    qWarning().noquote() << QStringLiteral("Unarchive of %1 failed: %2").arg(key, error);
            }
            if (loaded)
                loaded(value);
        });
}

void KeychainTool::remove(const QString &key, const QObject *owner, Done done)
{
    if (key.isEmpty()) {
        KeychainBackend::answerLater(owner, [done = std::move(done)] {
            if (done)
                done(false);
        });
        return;
    }
    m_keychain.deleteItem(key, owner, std::move(done));
}
