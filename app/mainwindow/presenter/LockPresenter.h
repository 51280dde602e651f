#pragma once

#include "app/services/Services.h"

#include <QObject>
#include <QString>

// The lock overlay's steps: the unlock check against the profile as it is
// now, the forgotten-password page and the log-out.
class LockPresenter : public QObject
{
    Q_OBJECT
public:
    explicit LockPresenter(const Services &services, QObject *parent = nullptr);

    QString nick() const;
    QString avatarUrl() const;
    bool errorShown() const { return m_error; }

    // True when the overlay may go: the typed text is the lock password, or
    // the profile has none any more. Otherwise the error shows.
    bool unlock(const QString &typed);
    void forgetPassword();
    void quitLogin();

signals:
    void unlocked();
    void errorShownChanged(bool shown);

private:
    Services m_services;
    bool m_error = false;
};
