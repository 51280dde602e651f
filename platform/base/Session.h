#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <atomic>
#include <functional>

// The sign-in the program is in. Whatever belongs to one sign-in (rows held
// by presenters, timers, requests in flight, queued work) listens here, or is
// bound to scope(), an object that lives exactly as long as the sign-in: a
// timer or connection with scope() as its context ends with it.
//
// A sign-out runs: signingOut (stop and drop everything of this sign-in;
// rows are still there), the end of scope(), the wipe, then signedOut.
class Session : public QObject
{
    Q_OBJECT
public:
    explicit Session(QObject *parent = nullptr);
    ~Session() override;

    bool isSignedIn() const { return m_signedIn; }
    QString userId() const { return m_userId; }
    // Grows with every sign-out: work begun under an older value belongs to
    // a sign-in that has ended. Written on the main thread, read also by work on
    // other threads (a pull's import asks whether it is still wanted).
    quint64 generation() const { return m_generation.load(std::memory_order_acquire); }
    // Lives until the next sign-in or sign-out; never null.
    QObject *scope() const { return m_scope; }

    // A sign-in of `userId` begins; one still running is ended first, without
    // a wipe (the caller wiped what belonged to another user).
    void signIn(const QString &userId);
    // Ends the sign-in (also when none is known, so that a wipe always runs
    // with everything stopped): signingOut, the end of scope(), `wipe`, signedOut.
    void signOut(const std::function<void()> &wipe = {});

signals:
    void signedIn(const QString &userId);
    void signingOut();
    void signedOut();

private:
    void endScope();

    bool m_signedIn = false;
    bool m_signingOut = false;
    QString m_userId;
    std::atomic<quint64> m_generation{0};
    QObject *m_scope = nullptr;
};
