#pragma once

// Waiting for the keychain's answers in a test: each helper makes one request
// with an owner of its own and turns the event loop until it is answered (a
// request that is never answered fails the test).

// The helpers are templates, so that a test links only what it uses: the
// keychain backends, KeychainTool, PwdManager and UUIDTool.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTest>
#include <QVariant>

#include <optional>

namespace KeychainWait {

// `request(owner, callback)` makes the request; the answer's value.
template <class T, class Request> T answer(Request request)
{
    QObject owner;
    std::optional<T> got;
    request(&owner, [&got](const T &value) { got = value; });
    const bool answered = QTest::qWaitFor([&got] { return got.has_value(); }, 60000);
    QTest::qVerify(answered, "answered", "the keychain did not answer", __FILE__, __LINE__);
    return got.value_or(T{});
}

template <class Backend> bool write(Backend &keychain, const QString &key, const QByteArray &data)
{
    return answer<bool>([&](const QObject *o, auto done) { keychain.writeItem(key, data, o, done); });
}
template <class Backend> std::optional<QByteArray> read(Backend &keychain, const QString &key)
{
    return answer<std::optional<QByteArray>>(
        [&](const QObject *o, auto done) { keychain.readItem(key, o, done); });
}
template <class Backend> bool remove(Backend &keychain, const QString &key)
{
    return answer<bool>([&](const QObject *o, auto done) { keychain.deleteItem(key, o, done); });
}

template <class Items> bool save(Items &keychain, const QString &key, const QVariant &value)
{
    return answer<bool>([&](const QObject *o, auto done) { keychain.save(key, value, o, done); });
}
template <class Items> QVariant load(Items &keychain, const QString &key)
{
    return answer<QVariant>([&](const QObject *o, auto done) { keychain.load(key, o, done); });
}

template <class Passwords>
bool savePassword(Passwords &passwords, const QString &password, const QString &account)
{
    return answer<bool>(
        [&](const QObject *o, auto done) { passwords.savePassWord(password, account, o, done); });
}
template <class Passwords> QString password(Passwords &passwords, const QString &account)
{
    return answer<QString>(
        [&](const QObject *o, auto done) { passwords.readPassWordWithKeyChain(account, o, done); });
}
template <class Passwords> bool deletePassword(Passwords &passwords, const QString &account)
{
    return answer<bool>(
        [&](const QObject *o, auto done) { passwords.deletePassWordWithKeyChain(account, o, done); });
}

template <class Ids> QString deviceId(Ids &ids)
{
    return answer<QString>([&](const QObject *o, auto done) { ids.getUUIDInKeychain(o, done); });
}

} // namespace KeychainWait
