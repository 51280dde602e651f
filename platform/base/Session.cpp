#include "platform/base/Session.h"

Session::Session(QObject *parent) : QObject(parent), m_scope(new QObject(this)) {}

Session::~Session() = default;

void Session::endScope()
{
    delete m_scope;
    m_scope = new QObject(this);
}

void Session::signIn(const QString &userId)
{
    if (m_signedIn)
        signOut();
    endScope();
    m_signedIn = true;
    m_userId = userId;
    emit signedIn(userId);
}

void Session::signOut(const std::function<void()> &wipe)
{
    if (m_signingOut) {
        // A sign-out asked for by something that is stopping: the one
        // running does it all.
        if (wipe)
            wipe();
        return;
    }
    m_signingOut = true;
    m_generation.fetch_add(1, std::memory_order_acq_rel);
    emit signingOut();
    endScope();
    m_signedIn = false;
    m_userId.clear();
    if (wipe)
        wipe();
    m_signingOut = false;
    emit signedOut();
}
