#include "platform/base/UserFeedback.h"

#include <QCoreApplication>
#include <QDebug>
#include <QPointer>
#include <QSet>
#include <QTimer>

#include <atomic>
#include <utility>

namespace {
class LoggingFeedback final : public UserFeedback
{
public:
    void showToast(const QString &text, const QObject *) override { qWarning().noquote() << text; }
    void showHudToWindow() override {}
    void hideHudForWindow() override {}

protected:
    void presentMessage(const QString &text, const QObject *, Handler handler) override
    {
        qWarning().noquote() << "提示:" << text;
        if (handler)
            QTimer::singleShot(0, QCoreApplication::instance(), [handler] { handler(true); });
    }
    void presentConfirm(const QString &text, const QObject *, Handler handler) override
    {
        // Nobody can answer: treat as cancelled so nothing irreversible happens.
        qWarning().noquote() << "提示 (确定/取消):" << text;
        if (handler)
            QTimer::singleShot(0, QCoreApplication::instance(), [handler] { handler(false); });
    }
    quint64 beginBusy(const QObject *) override { return ++m_tokens; }
    void endBusy(quint64) override {}

private:
    quint64 m_tokens = 0;
};

std::atomic<UserFeedback *> installed{nullptr};

// The implementations alive, so that a guard outliving its feedback leaves it alone.
QSet<const UserFeedback *> &alive()
{
    static QSet<const UserFeedback *> set;
    return set;
}

LoggingFeedback loggingFeedback;

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
    UserFeedback *self = this;
    installed.compare_exchange_strong(self, nullptr);
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

UserFeedback *UserFeedback::current()
{
    UserFeedback *f = installed.load();
    return f ? f : &loggingFeedback;
}

void UserFeedback::install(UserFeedback *feedback)
{
    installed.store(feedback);
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
