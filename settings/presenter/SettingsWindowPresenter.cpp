#include "settings/presenter/SettingsWindowPresenter.h"

#include "core/model/UserInfo.h"
#include "core/model/UserSet.h"
#include "platform/base/AppEvents.h"
#include "platform/store/Context.h"
#include "service/api/ApiNetWorking.h"
#include "settings/presenter/SettingsRows.h"

#include <QDebug>

QString SettingsWindowPresenter::tabTitle(int tab)
{
    static const QStringList titles{
        QStringLiteral("账号"),     QStringLiteral("同步"), QStringLiteral("通用"), QStringLiteral("提醒"),
        QStringLiteral("邮件推送"), QStringLiteral("皮肤"), QStringLiteral("关于")};
    return titles.value(tab);
}

SettingsWindowPresenter::SettingsWindowPresenter(const Services &services, QObject *parent)
    : QObject(parent), m_services(services), m_saver(new SettingsSaver(services, this))
{
}

void SettingsWindowPresenter::load()
{
    const quint64 sentAt = m_saver->sentCount();
    m_services.api->loadUserInfoWithSuccess(
        this,
        [this, sentAt](const BaseSuccessModel &reply) {
            if (reply.code == 200 && reply.hasObjectData())
                import(SettingsSaver::Row::UserInfo, reply.dataObject(), sentAt);
        },
        [](const BaseErrorModel &) {});
    m_services.api->loadSystemSettingsWithSuccess(
        this,
        [this, sentAt](const BaseSuccessModel &reply) {
            if (reply.code == 200 && reply.hasObjectData())
                import(SettingsSaver::Row::UserSet, reply.dataObject(), sentAt);
        },
        [](const BaseErrorModel &) {});
}

void SettingsWindowPresenter::reloadProfile()
{
    const quint64 sentAt = m_saver->sentCount();
    m_services.api->loadUserInfoWithSuccess(
        this,
        [this, sentAt](const BaseSuccessModel &reply) {
            if (reply.code != 200 || !reply.hasObjectData())
                return;
            import(SettingsSaver::Row::UserInfo, reply.dataObject(), sentAt);
            emit m_services.events->reloadDatasForTitleBar();
        },
        [](const BaseErrorModel &) {});
}

void SettingsWindowPresenter::import(SettingsSaver::Row row, const QJsonObject &data, quint64 sentAfter)
{
    if (!m_services.store)
        return;
    QJsonObject values = data;
    // A change sent after this load went out knows better than the load.
    for (const QString &key : data.keys())
        if (m_saver->lastSent(row, key) > sentAfter)
            values.remove(key);
    ManagedObject *target = nullptr;
    if (row == SettingsSaver::Row::UserInfo) {
        UserInfo *info = SettingsRows::userInfo(m_services, true);
        if (!info)
            return; // nobody is signed in
        const QVariant id = info->value(QStringLiteral("userId"));
        info->importValuesForKeys(values);
        // The row stays the signed-in user's, whatever the reply names.
        info->setValue(QStringLiteral("userId"), id);
        target = info;
    } else {
        UserSet *set = SettingsRows::userSet(*m_services.store, true);
        set->importValuesForKeys(values);
        target = set;
    }
    if (target->hasChanges()) {
        if (const SaveResult r = m_services.store->saveAndWait(); !r)
            qWarning() << "settings: the loaded row could not be saved:" << r.error;
    }
    emit loaded(row);
    emit m_saver->rowsChanged();
}
