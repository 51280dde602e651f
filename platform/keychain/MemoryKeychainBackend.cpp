#include "platform/keychain/MemoryKeychainBackend.h"

void MemoryKeychainBackend::writeItem(const QString &key, const QByteArray &data, const QObject *owner,
                                      Done done)
{
    writtenKeys << key;
    const bool ok = !key.isEmpty() && !data.isEmpty() && !refuseWrites;
    if (ok)
        items.insert(key, data);
    answerLater(owner, [done = std::move(done), ok] {
        if (done)
            done(ok);
    });
}

void MemoryKeychainBackend::readItem(const QString &key, const QObject *owner, Read answer)
{
    readKeys << key;
    const auto it = items.constFind(key);
    std::optional<QByteArray> data;
    if (!key.isEmpty() && it != items.constEnd())
        data = *it;
    answerLater(owner, [answer = std::move(answer), data] {
        if (answer)
            answer(data);
    });
}

void MemoryKeychainBackend::deleteItem(const QString &key, const QObject *owner, Done done)
{
    items.remove(key);
    answerLater(owner, [done = std::move(done)] {
        if (done)
            done(true);
    });
}
