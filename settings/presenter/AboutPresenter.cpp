#include "settings/presenter/AboutPresenter.h"

#include "platform/base/UrlOpener.h"
#include "platform/base/UserFeedback.h"
#include "service/account/PlatformTool.h"
#include "service/api/ApiNetWorking.h"
#include "service/api/ReplyValue.h"

#include <QJsonObject>
#include <QUrl>

AboutPresenter::AboutPresenter(const Services &services, QObject *parent)
    : QObject(parent), m_services(services)
{
}

QString AboutPresenter::appVersion() const
{
    return PlatformTool::appVersion();
}

QString AboutPresenter::versionFor(const QJsonArray &terminals)
{
    for (const QJsonValue &v : terminals) {
        const QJsonObject entry = v.toObject();
        if (ReplyValue::toInt64(entry.value(QStringLiteral("id"))) == qint64(TerminalId))
            return entry.value(QStringLiteral("version")).toString();
    }
    return {};
}

QString AboutPresenter::pageFor(const QString &link)
{
    return link == AgreementLink ? QStringLiteral("protocol") : QStringLiteral("secret");
}

void AboutPresenter::loadTerminals()
{
    m_services.api->loadTerminalsWithSuccess(
        this,
        [this](const BaseSuccessModel &reply) {
            if (reply.code != 200 || !reply.hasArrayData())
                return;
            const QString version = versionFor(reply.dataArray());
            if (version.isEmpty() || version == m_serviceVersion)
                return;
            m_serviceVersion = version;
            emit changed();
        },
        [](const BaseErrorModel &) {});
}

void AboutPresenter::openLink(const QString &link)
{
    emit pageWanted(pageFor(link));
}

void AboutPresenter::openWebPath(const QString &path)
{
    const QString base = ApiNetWorking::webBaseUrl();
    if (base.isEmpty()) {
        m_services.feedback->showMessage(ApiNetWorking::noApiAddressText(), UserFeedback::by(this));
        return;
    }
    m_services.urls->openUrl(QUrl(base + path));
}

void AboutPresenter::openDownloadPage()
{
    openWebPath(QStringLiteral("/xiazai/"));
}

void AboutPresenter::openClientPage()
{
    openWebPath(QStringLiteral("/mac/"));
}
