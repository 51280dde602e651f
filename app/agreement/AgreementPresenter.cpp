#include "app/agreement/AgreementPresenter.h"

#include "platform/base/UserDefaults.h"
#include "platform/text/AttributedText.h"

namespace {

QList<AgreementLink> linksFor(const TextRangeList &ranges, const QString &value)
{
    QList<AgreementLink> out;
    for (const TextRange &range : ranges)
        out.append({range, value});
    return out;
}

} // namespace

AgreementPresenter::AgreementPresenter(QObject *parent) : QObject(parent) {}

bool AgreementPresenter::hasAgreed()
{
    return UserDefaults::contains(key()) && UserDefaults::boolValue(key());
}

bool AgreementPresenter::start()
{
    if (hasAgreed()) {
        setPrompt(Prompt::None);
        return false;
    }
    setPrompt(Prompt::First);
    return true;
}

void AgreementPresenter::agreeClicked()
{
    if (m_prompt == Prompt::None)
        return;
    store(true);
    setPrompt(Prompt::None);
}

void AgreementPresenter::disagreeClicked()
{
    switch (m_prompt) {
    case Prompt::None:
        return;
    case Prompt::First:
        setPrompt(Prompt::Insisting);
        return;
    case Prompt::Insisting:
        store(false);
        setPrompt(Prompt::None);
        emit loginWindowHideRequested();
        return;
    }
}

void AgreementPresenter::linkClicked(const QString &value)
{
    emit pageRequested(pageForLink(value));
}

QString AgreementPresenter::promptText(Prompt prompt)
{
    switch (prompt) {
    case Prompt::First:
        return QStringLiteral("欢迎使用Prelvane便签！\n"
                              "在您开始使用之前，请仔细阅读《Prelvane用户协议》和《隐私政策》。\n"
                              "您的便签、分类和提醒保存在本机，并在登录后通过Prelvane服务同步到您的账号；"
                              "记住的登录密码只存放在系统的密钥环中；我们不做任何跟踪，也不收集广告统计。\n"
                              "点击“同意”即表示您已阅读并同意《Prelvane用户协议》与《隐私政策》的全部内容。");
    case Prompt::Insisting:
        return QStringLiteral(
            "我们非常重视您的个人信息。《隐私政策》说明我们在本机保存和向Prelvane服务发送哪些数据以及原因，"
            "《Prelvane用户协议》说明您使用本服务的权利和义务。\n"
            "如果您不同意，将无法登录和同步便签。您可以随时重新打开本应用，再次阅读《隐私政策》后作出选择。");
    case Prompt::None:
        break;
    }
    return QString();
}

QList<AgreementLink> AgreementPresenter::links(Prompt prompt)
{
    const QString text = promptText(prompt);
    const TextRangeList agreement = AttributedText::lp_getRangeWithTotalString(text, agreementTitle());
    const TextRangeList privacy = AttributedText::lp_getRangeWithTotalString(text, privacyTitle());
    QList<AgreementLink> out;
    switch (prompt) {
    case Prompt::First:
        // Each occurrence opens its own title, however often the wording names it.
        out = linksFor(agreement, agreementValue()) + linksFor(privacy, privacyValue());
        break;
    case Prompt::Insisting:
        if (!privacy.isEmpty())
            out.append({privacy.first(), privacyValue()});
        if (!agreement.isEmpty())
            out.append({agreement.first(), agreementValue()});
        if (privacy.size() > 1)
            out.append({privacy.last(), privacyValue()});
        break;
    case Prompt::None:
        break;
    }
    return out;
}

QString AgreementPresenter::pageForLink(const QString &value)
{
    if (value == agreementValue() || value == QStringLiteral("用户协议") ||
        value == QLatin1String("protocol"))
        return QStringLiteral("protocol");
    return QStringLiteral("secret");
}

void AgreementPresenter::setPrompt(Prompt prompt)
{
    if (m_prompt == prompt)
        return;
    m_prompt = prompt;
    emit promptChanged(prompt);
}

void AgreementPresenter::store(bool agreed)
{
    UserDefaults::setValue(key(), agreed);
    UserDefaults::sync();
}
