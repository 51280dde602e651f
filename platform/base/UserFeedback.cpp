#include "platform/base/UserFeedback.h"

#include <QPointer>
#include <QSet>

#include <utility>

namespace {
// The implementations alive, so that a guard outliving its feedback leaves it
// alone. Never destroyed: feedback made or torn down at exit still uses it.
QSet<const UserFeedback *> &alive()
{
    static auto *set = new QSet<const UserFeedback *>;
    return *set;
}

// The handler, dropped once its owner is gone (no owner: kept).
UserFeedback::Handler ownedBy(const QObject *owner, UserFeedback::Handler handler)
{
    if (!handler || !owner)
        return handler;
    QPointer<const QObject> alive(owner);
    return [alive, handler = std::move(handler)](bool first) {
        if (alive)
            handler(first);
    };
}
} // namespace

UserFeedback::UserFeedback()
{
    alive().insert(this);
}

UserFeedback::~UserFeedback()
{
    alive().remove(this);
}

void UserFeedback::showMessage(const QString &text, const Asker &asker, Handler handler)
{
    presentMessage(text, asker.anchor, ownedBy(asker.owner, std::move(handler)));
}

void UserFeedback::showConfirm(const QString &text, const Asker &asker, Handler handler)
{
    presentConfirm(text, asker.anchor, ownedBy(asker.owner, std::move(handler)));
}

void UserFeedback::showDefaultMessageAlertWithDetailText(const QString &text, Handler handler)
{
    showMessage(text, {}, std::move(handler));
}

void UserFeedback::showAddCancleButtonAlertWithText(const QString &text, Handler handler)
{
    showConfirm(text, {}, std::move(handler));
}

BusyGuard::BusyGuard(const QObject *anchor, UserFeedback *feedback)
    : m_feedback(feedback), m_token(feedback ? feedback->beginBusy(anchor) : 0)
{
}

BusyGuard::BusyGuard(BusyGuard &&other) noexcept
    : m_feedback(std::exchange(other.m_feedback, nullptr)), m_token(std::exchange(other.m_token, 0))
{
}

BusyGuard &BusyGuard::operator=(BusyGuard &&other) noexcept
{
    if (this != &other) {
        release();
        m_feedback = std::exchange(other.m_feedback, nullptr);
        m_token = std::exchange(other.m_token, 0);
    }
    return *this;
}

BusyGuard::~BusyGuard()
{
    release();
}

void BusyGuard::release()
{
    if (m_feedback && m_token && alive().contains(m_feedback))
        m_feedback->endBusy(m_token);
    m_token = 0;
}
