#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

class QObject;

// Secret storage for small items: one item per key (service = account = the
// key). Asynchronous: each request names an owner and answers it once, later,
// from the event loop (never inside the call), in the order the requests were
// made; an answer whose owner is gone by then is dropped (the request itself
// is still carried out). Without an owner nothing is answered. Main thread
// only. Implementations refuse an empty key and empty data.
class KeychainBackend
{
public:
    using Done = std::function<void(bool ok)>;
    using Read = std::function<void(const std::optional<QByteArray> &data)>;

    virtual ~KeychainBackend();

    // Replaces the item of `key`; false when it could not be stored.
    virtual void writeItem(const QString &key, const QByteArray &data, const QObject *owner, Done done) = 0;
    // The item's data; nullopt when there is none or it cannot be read.
    virtual void readItem(const QString &key, const QObject *owner, Read answer) = 0;
    // True when no item of `key` remains.
    virtual void deleteItem(const QString &key, const QObject *owner, Done done) = 0;

    // Runs `answer` from the event loop unless `owner` is gone first (or null).
    static void answerLater(const QObject *owner, std::function<void()> answer);
};
