#include "settings/presenter/PushProofPresenter.h"

#include "platform/base/Scheduler.h"
#include "platform/base/UserFeedback.h"
#include "service/api/ApiNetWorking.h"

#include <QJsonObject>

PushProofPresenter::PushProofPresenter(const Services &services, Type type, const QString &account,
                                       QObject *parent)
    : QObject(parent), m_services(services), m_type(type), m_account(account)
{
}

QString PushProofPresenter::nameTitle() const
{
    return m_type == TextCode ? QStringLiteral("手机号:") : QStringLiteral("账号:");
}

QString PushProofPresenter::proofTitle() const
{
    return m_type == TextCode ? QStringLiteral("验证码:") : QStringLiteral("密码:");
}

QString PushProofPresenter::placeholder() const
{
    return m_type == TextCode ? QStringLiteral("请输入验证码") : QStringLiteral("请输入密码");
}

QString PushProofPresenter::tipText() const
{
    return tipShown() ? QStringLiteral("正在获取验证码(%1)").arg(m_secondsLeft) : QString();
}

void PushProofPresenter::sendCode()
{
    if (m_type != TextCode || !sendEnabled())
        return;
    m_sending = true;
    emit changed();
    const QJsonObject params{{QStringLiteral("account"), m_account},
                             {QStringLiteral("type"), QStringLiteral("1")},
                             {QStringLiteral("whichinterface"), QString::number(m_whichInterface)}};
    m_services.api->sendVCodeWithParam(
        params, this, [this](const BaseSuccessModel &reply) { codeAnswered(reply.code); },
        [this](const BaseErrorModel &) {
            m_sending = false;
            emit changed();
        });
}

void PushProofPresenter::codeAnswered(qint64 code)
{
    m_sending = false;
    if (code == 200) {
        m_secondsLeft = CountdownSeconds;
        // Later ticks come from the scheduler, each a second after the last.
        m_services.scheduler->schedule(1000, this, [this] { tick(); });
    } else {
        m_whichInterface = 1;
    }
    emit changed();
}

void PushProofPresenter::tick()
{
    if (m_secondsLeft <= 0)
        return;
    --m_secondsLeft;
    if (m_secondsLeft > 0)
        m_services.scheduler->schedule(1000, this, [this] { tick(); });
    emit changed();
}

void PushProofPresenter::confirm(const QString &text)
{
    if (text.isEmpty()) {
        m_services.feedback->showMessage(m_type == TextCode ? QStringLiteral("验证码不能为空")
                                                            : QStringLiteral("密码不能为空"),
                                         UserFeedback::by(this));
        return;
    }
    emit completed(m_type, text);
}

void PushProofPresenter::cancel()
{
    emit cancelled();
}
