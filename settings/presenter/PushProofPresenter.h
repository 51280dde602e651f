#pragma once

#include "app/services/Services.h"

#include <QObject>
#include <QString>

// The proof a push asks for, shown in an overlay over the settings window: a
// text-message code sent to the bound mobile number (with its 60-second
// countdown), or the account's login password. The countdown belongs to
// this object and ends with it; the send button waits from click to reply.
class PushProofPresenter : public QObject
{
    Q_OBJECT
public:
    enum Type
    {
        Password = 0,
        TextCode = 1
    };
    static constexpr int CountdownSeconds = 60;

    PushProofPresenter(const Services &services, Type type, const QString &account,
                       QObject *parent = nullptr);

    Type type() const { return m_type; }
    // The mobile number or the account name.
    QString account() const { return m_account; }
    QString nameTitle() const;
    QString proofTitle() const;
    QString placeholder() const;
    bool sendShown() const { return m_type == TextCode; }
    bool sendEnabled() const { return !m_sending && m_secondsLeft == 0; }
    bool tipShown() const { return m_secondsLeft > 0; }
    QString tipText() const;
    int whichInterface() const { return m_whichInterface; }

    // "tool/sendVCode" for the mobile number.
    void sendCode();
    // The code request's answer: 200 starts the countdown; another code
    // gives the button back and the next request says "whichinterface" 1.
    void codeAnswered(qint64 code);
    // Empty: the matching message; else completed().
    void confirm(const QString &text);
    void cancel();

signals:
    void changed();
    void completed(PushProofPresenter::Type type, const QString &text);
    void cancelled();

private:
    void tick();

    Services m_services;
    Type m_type;
    QString m_account;
    bool m_sending = false;
    int m_secondsLeft = 0;
    int m_whichInterface = 0;
};
