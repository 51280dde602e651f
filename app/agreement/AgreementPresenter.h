#pragma once

#include "platform/text/TextRange.h"

#include <QList>
#include <QObject>
#include <QString>

// A link in a prompt's text: the range of a title and the value it opens.
struct AgreementLink
{
    TextRange range;
    QString value;

    friend bool operator==(const AgreementLink &a, const AgreementLink &b)
    {
        return a.range == b.range && a.value == b.value;
    }
};

// The user agreement and privacy policy prompts before the login screen can
// be used. The user default "AgreeProtocolKey" is YES once the user agreed,
// NO after the second refusal, absent before the first answer. Refusing the
// first prompt leads to a second, insisting one; refusing that too stores NO
// and hides the login window. The links of both prompts open the two pages
// without answering the prompt.
class AgreementPresenter : public QObject
{
    Q_OBJECT
public:
    enum class Prompt
    {
        None,
        First,
        Insisting
    };
    Q_ENUM(Prompt)

    explicit AgreementPresenter(QObject *parent = nullptr);

    static QString key() { return QStringLiteral("AgreeProtocolKey"); }
    // Whether the key holds YES.
    static bool hasAgreed();

    // The prompt being shown.
    Prompt prompt() const { return m_prompt; }

    // Shows the first prompt unless the user agreed already (a stored NO
    // asks again, as on the first launch). Returns whether a prompt shows.
    bool start();
    void agreeClicked();
    void disagreeClicked();
    // A link of the shown prompt, by its value; the prompt stays open.
    void linkClicked(const QString &value);

    static QString promptText(Prompt prompt);
    // The links of a prompt's text, in the order they are applied: the first
    // prompt links every "《Prelvane用户协议》" and then every "《隐私政策》";
    // the second the first "《隐私政策》", the first "《Prelvane用户协议》" and
    // the last "《隐私政策》" (a title that occurs once is linked once).
    static QList<AgreementLink> links(Prompt prompt);
    // The page a link value opens: "protocol" (the user agreement) for
    // "Prelvane用户协议" and "用户协议" (the login screen's line), else
    // "secret" (the privacy policy).
    static QString pageForLink(const QString &value);

    static QString agreementTitle() { return QStringLiteral("《Prelvane用户协议》"); }
    static QString privacyTitle() { return QStringLiteral("《隐私政策》"); }
    static QString agreementValue() { return QStringLiteral("Prelvane用户协议"); }
    static QString privacyValue() { return QStringLiteral("隐私政策"); }

signals:
    void promptChanged(AgreementPresenter::Prompt prompt);
    // "protocol" or "secret".
    void pageRequested(const QString &page);
    // After the second refusal: the login window is to be hidden (the
    // application keeps running; showing the login window again asks again).
    void loginWindowHideRequested();

private:
    void setPrompt(Prompt prompt);
    static void store(bool agreed);

    Prompt m_prompt = Prompt::None;
};
