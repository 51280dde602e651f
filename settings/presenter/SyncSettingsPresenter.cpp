#include "settings/presenter/SyncSettingsPresenter.h"

#include "platform/base/AppEvents.h"
#include "platform/base/UserDefaults.h"
#include "service/account/SignInKeys.h"
#include "service/api/ApiNetWorking.h"
#include "service/api/ReplyValue.h"
#include "settings/presenter/SettingsList.h"

#include <QJsonArray>

namespace {

const QString kAttribute = QStringLiteral("syncSettings");

QString elementOf(SyncSettingsPresenter::Item item)
{
    return QString::number(int(item) + 1);
}

} // namespace

SyncSettingsPresenter::SyncSettingsPresenter(const Services &services, SettingsSaver *saver, QObject *parent)
    : QObject(parent), m_services(services), m_saver(saver)
{
    connect(m_saver, &SettingsSaver::rowsChanged, this, &SyncSettingsPresenter::changed);
}

bool SyncSettingsPresenter::isOn(Item item) const
{
    return SettingsList::contains(m_saver->shown(SettingsSaver::Row::UserInfo, kAttribute).toString(),
                                  elementOf(item));
}

bool SyncSettingsPresenter::isBusy() const
{
    return m_saver->isPending(SettingsSaver::Row::UserInfo, kAttribute);
}

QString SyncSettingsPresenter::joined(bool skin, bool remind, bool link)
{
    QStringList parts;
    if (skin)
        parts << QStringLiteral("1");
    if (remind)
        parts << QStringLiteral("2");
    if (link)
        parts << QStringLiteral("3");
    return parts.join(QLatin1Char(','));
}

void SyncSettingsPresenter::toggle(Item item, bool on)
{
    if (isBusy())
        return;
    bool state[3] = {isOn(Skin), isOn(Remind), isOn(Link)};
    state[item] = on;
    m_saver->send({SettingsSaver::Row::UserInfo,
                   QJsonObject{{kAttribute, joined(state[0], state[1], state[2])}},
                   SettingsSaver::Overlay::Busy, this});
}

void SyncSettingsPresenter::loadSnapshots()
{
    m_services.api->loadRecoverDateListForNoteDatasWithSuccess(
        this,
        [this](const BaseSuccessModel &reply) {
            if (reply.code != 200 || !reply.hasArrayData() || reply.dataArray().isEmpty())
                return;
            QStringList dates;
            for (const QJsonValue &v : reply.dataArray()) {
                // An entry without a date could never be restored.
                const QString date = v.toObject().value(QStringLiteral("snapshotDate")).toString();
                if (!date.isEmpty())
                    dates << date;
            }
            if (dates.isEmpty())
                return;
            m_dates = dates;
            emit snapshotsChanged();
        },
        [](const BaseErrorModel &) {});
}

void SyncSettingsPresenter::restore(const QString &snapshotDate)
{
    if (m_restoring)
        return;
    if (snapshotDate.isEmpty()) {
        m_services.feedback->showMessage(NoDateText, UserFeedback::by(this));
        return;
    }
    m_services.feedback->showConfirm(RestoreQuestion, UserFeedback::by(this), [this, snapshotDate](bool ok) {
        if (!ok || m_restoring)
            return;
        m_restoring = true;
        m_restoreBusy = BusyGuard(this, m_services.feedback);
        emit changed();
        QJsonObject params{{QStringLiteral("snapshotDate"), snapshotDate}};
        m_services.api->recoverNoteDatasWithParams(
            SettingsSaver::parametersFor(params), this,
            [this](const BaseSuccessModel &reply) {
                m_restoring = false;
                m_restoreBusy.release();
                emit changed();
                if (reply.code != 200)
                    return;
                const QString text = ReplyValue::idText(reply.dataObject().value(SignInKeys::Version));
                if (!text.isEmpty()) {
                    UserDefaults::setValue(SignInKeys::Version, text);
                    UserDefaults::sync();
                }
                emit m_services.events->syncPullNoteDatas(QStringLiteral("0"));
            },
            [this](const BaseErrorModel &) {
                m_restoring = false;
                m_restoreBusy.release();
                emit changed();
            });
    });
}
