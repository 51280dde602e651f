#include "settings/presenter/SettingsSaver.h"

#include "core/model/UserInfo.h"
#include "core/model/UserSet.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "service/account/SignInKeys.h"
#include "service/api/ApiNetWorking.h"
#include "settings/presenter/SettingsRows.h"

#include <QDebug>

SettingsSaver::SettingsSaver(const Services &services, QObject *parent)
    : QObject(parent), m_services(services)
{
    if (m_services.store)
        connect(m_services.store, &Context::changesSaved, this, &SettingsSaver::rowsChanged);
}

SettingsSaver::~SettingsSaver() = default;

QString SettingsSaver::keyOf(Row row, const QString &attribute)
{
    return (row == Row::UserInfo ? QStringLiteral("i:") : QStringLiteral("s:")) + attribute;
}

QJsonObject SettingsSaver::parametersFor(const QJsonObject &values)
{
    QJsonObject params = values;
    const QString version = UserDefaults::string(SignInKeys::Version);
    if (!version.isEmpty())
        params.insert(SignInKeys::Version, version);
    else
        params.remove(SignInKeys::Version);
    return params;
}

bool SettingsSaver::send(Change change)
{
    change.values.remove(SignInKeys::Version);
    if (change.values.isEmpty())
        return false;
    for (auto it = change.values.constBegin(); it != change.values.constEnd(); ++it)
        if (isPending(change.row, it.key()))
            return false;

    const quint64 id = ++m_sent;
    for (auto it = change.values.constBegin(); it != change.values.constEnd(); ++it) {
        m_pending.insert(keyOf(change.row, it.key()), it.value());
        m_lastSent.insert(keyOf(change.row, it.key()), id);
    }
    if (change.overlay == Overlay::Busy)
        m_busy.emplace(id, BusyGuard(change.anchor ? change.anchor : this, m_services.feedback));

    const QJsonObject params = parametersFor(change.values);
    auto success = [this, id, change](const BaseSuccessModel &reply) {
        finish(id, change, reply.code == 200);
    };
    auto failure = [this, id, change](const BaseErrorModel &) { finish(id, change, false); };
    if (change.row == Row::UserInfo)
        m_services.api->modifyUserInfoWithParams(params, this, success, failure);
    else
        m_services.api->modifySystemSettingsWithParams(params, this, success, failure);
    emit rowsChanged();
    return true;
}

void SettingsSaver::finish(quint64 id, const Change &change, bool accepted)
{
    m_busy.erase(id);
    for (auto it = change.values.constBegin(); it != change.values.constEnd(); ++it)
        m_pending.remove(keyOf(change.row, it.key()));
    if (accepted && m_services.store) {
        ManagedObject *row =
            change.row == Row::UserInfo
                ? static_cast<ManagedObject *>(SettingsRows::userInfo(m_services, true))
                : static_cast<ManagedObject *>(SettingsRows::userSet(*m_services.store, true));
        if (row) {
            for (auto it = change.values.constBegin(); it != change.values.constEnd(); ++it)
                row->setValue(it.key(), it.value().toVariant());
            if (const SaveResult r = m_services.store->saveAndWait(); !r)
                qWarning() << "settings: the accepted change could not be saved:" << r.error;
        }
    }
    const QStringList attributes = change.values.keys();
    emit answered(change.row, attributes, accepted);
    emit rowsChanged();
    if (accepted && change.accepted)
        change.accepted();
}

bool SettingsSaver::isPending(Row row, const QString &attribute) const
{
    return m_pending.contains(keyOf(row, attribute));
}

QVariant SettingsSaver::stored(Row row, const QString &attribute) const
{
    if (!m_services.store)
        return {};
    const ManagedObject *r =
        row == Row::UserInfo ? static_cast<const ManagedObject *>(SettingsRows::userInfo(m_services))
                             : static_cast<const ManagedObject *>(SettingsRows::userSet(*m_services.store));
    return r ? r->value(attribute) : QVariant();
}

QVariant SettingsSaver::shown(Row row, const QString &attribute) const
{
    const auto it = m_pending.constFind(keyOf(row, attribute));
    if (it != m_pending.constEnd())
        return it->toVariant();
    return stored(row, attribute);
}

quint64 SettingsSaver::lastSent(Row row, const QString &attribute) const
{
    return m_lastSent.value(keyOf(row, attribute), 0);
}
