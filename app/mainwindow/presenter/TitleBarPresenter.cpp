#include "app/mainwindow/presenter/TitleBarPresenter.h"

#include "core/model/UISkin.h"
#include "core/model/UserInfo.h"
#include "core/model/UserManager.h"
#include "core/skins/SkinManager.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Missing.h"
#include "platform/base/UrlOpener.h"
#include "service/account/PlatformTool.h"
#include "service/api/ApiNetWorking.h"
#include "service/api/ReplyValue.h"

#include <QJsonObject>
#include <QUrl>

TitleBarPresenter::TitleBarPresenter(const Services &services, QObject *parent)
    : QObject(parent), m_services(services)
{
    connect(m_services.events, &AppEvents::reloadDatasForTitleBar, this, &TitleBarPresenter::refresh);
    refresh();
}

void TitleBarPresenter::refresh()
{
    const UserInfo *info = m_services.users->getCurrentInfo();
    m_nick = info && !info->nick().isEmpty() ? info->nick() : QStringLiteral("昵称");
    m_avatar = info ? info->avatar() : QString();
    const UISkin *skin = m_services.skins->getCurrSkin();
    m_barColor = skin && !skin->barColor().isEmpty() ? skin->barColor() : QStringLiteral("#10b56c");
    emit changed();
}

std::optional<TitleBarPresenter::Update> TitleBarPresenter::updateFrom(const QJsonArray &terminals,
                                                                       const QString &runningVersion)
{
    for (const QJsonValue &v : terminals) {
        const QJsonObject entry = v.toObject();
        if (ReplyValue::toInt64(entry.value(QStringLiteral("id"))) != TerminalId)
            continue;
        if (entry.value(QStringLiteral("version")).toString() == runningVersion)
            return std::nullopt;
        const QJsonValue remarks = entry.value(QStringLiteral("versionChangeRemarks"));
        return Update{QStringLiteral("更新说明"), Missing::isMissing(remarks) || !remarks.isString()
                                                      ? QStringLiteral("有新版本，请及时更新！")
                                                      : remarks.toString()};
    }
    return std::nullopt;
}

void TitleBarPresenter::checkAppUpdate()
{
    m_services.api->loadTerminalsWithSuccess(
        this,
        [this](const BaseSuccessModel &reply) {
            if (reply.code != 200 || !reply.hasArrayData())
                return;
            if (const auto update = updateFrom(reply.dataArray(), PlatformTool::appVersion()))
                emit updateAvailable(*update);
        },
        [](const BaseErrorModel &) {});
}

void TitleBarPresenter::updateAnswered(int result)
{
    if (result != 2)
        return;
    const QString base = ApiNetWorking::webBaseUrl();
    if (!base.isEmpty())
        m_services.urls->openUrl(QUrl(base + QStringLiteral("/mac/")));
}
