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

bool KeychainTool::save(const QString &key, const QVariant &data)
{
    // Nothing empty is ever stored, and a refused value leaves the old item.
    // The backend replaces the item in one write, so a failing write loses nothing.
    if (key.isEmpty() || Missing::isMissing(data))
        return false;
    return KeychainBackend::shared()->writeItem(key, archive(data));
}

QVariant KeychainTool::load(const QString &key)
{
    if (key.isEmpty())
        return {};
    const std::optional<QByteArray> bytes = KeychainBackend::shared()->readItem(key);
    if (!bytes)
        return {};
    QString error;
    QVariant value = unarchive(*bytes, &error);
    if (!value.isValid())
        qWarning().noquote() << QStringLiteral("Unarchive of %1 failed: %2").arg(key, error);
    return value;
}

bool KeychainTool::remove(const QString &key)
{
    if (key.isEmpty())
        return false;
    return KeychainBackend::shared()->deleteItem(key);
}
