#include "platform/keychain/KeychainBackend.h"

#include <QMetaObject>
#include <QObject>

KeychainBackend::~KeychainBackend() = default;

void KeychainBackend::answerLater(const QObject *owner, std::function<void()> answer)
{
    if (!owner || !answer)
        return;
    // A queued call on the owner: Qt drops it when the owner is destroyed first,
    // and runs the calls of one thread in the order they were posted.
    QMetaObject::invokeMethod(const_cast<QObject *>(owner), std::move(answer), Qt::QueuedConnection);
}
