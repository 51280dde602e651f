#include "settings/presenter/PushSettingsPresenter.h"

#include "core/model/Classify.h"
#include "core/model/UserInfo.h"
#include "core/model/UserSet.h"
#include "core/reminders/dates/DateNumberTransform.h"
#include "platform/base/UrlOpener.h"
#include "platform/base/UserFeedback.h"
#include "platform/store/Context.h"
#include "service/api/ApiNetWorking.h"
#include "service/api/AutoJumpToken.h"
#include "settings/presenter/SettingsRows.h"
#include "settings/presenter/SettingsSaver.h"

#include <QDebug>
#include <QUrl>

namespace {

using Row = SettingsSaver::Row;

int indexOr0(const QVariant &value, int offset, int count)
{
    bool ok = false;
    const int i = value.toString().trimmed().toInt(&ok) - offset;
    return ok && i >= 0 && i < count ? i : 0;
}

QList<Classify *> offeredCategories(Context *store)
{
    if (!store)
        return {};
    // Deleted ones and those the service has not given an id yet are not its to push.
    return store->findAllSortedBy<Classify>(QStringLiteral("sort"), true, [](const Classify *c) {
        return c->actionType() != 3 && !c->classId().isEmpty() && !c->classId().startsWith(QLatin1Char('c'));
    });
}

} // namespace

QStringList PushSettingsPresenter::cycleTitles()
{
    return {QStringLiteral("不推送"), QStringLiteral("每天"), QStringLiteral("每周"), QStringLiteral("每月")};
}

QStringList PushSettingsPresenter::contentTitles()
{
    return {QStringLiteral("便签内容"), QStringLiteral("日志时间轴")};
}

QStringList PushSettingsPresenter::timeTitles(int cycle)
{
    QStringList items;
    switch (cycle) {
    case 1:
        // Fixed texts: a day with a daylight-saving change has every half hour once.
        for (int h = 0; h < 24; ++h)
            items << QStringLiteral("%1:30").arg(h, 2, 10, QLatin1Char('0'));
        break;
    case 2:
        items = DateNumberTransform::showChineseWeekWithNumberWeekArr({"1", "2", "3", "4", "5", "6", "7"});
        break;
    case 3:
        for (int d = 1; d <= 30; ++d)
            items << QStringLiteral("每月%1号").arg(d);
        break;
    default:
        items << cycleTitles().constFirst();
        break;
    }
    return items;
}

QString PushSettingsPresenter::cycleTimeValue(int cycle, int timeIndex)
{
    if (cycle == 1)
        return timeTitles(1).value(timeIndex, timeTitles(1).constFirst());
    if (cycle == 2 || cycle == 3)
        return QString::number(qBound(0, timeIndex, int(timeTitles(cycle).size()) - 1) + 1);
    return {};
}

PushSettingsPresenter::PushSettingsPresenter(const Services &services, SettingsSaver *saver, QObject *parent)
    : QObject(parent), m_services(services), m_saver(saver)
{
    connect(m_saver, &SettingsSaver::rowsChanged, this, &PushSettingsPresenter::changed);
}

int PushSettingsPresenter::cycleIndex() const
{
    return indexOr0(m_saver->stored(Row::UserSet, QStringLiteral("timerPushCycle")), 0, 4);
}

int PushSettingsPresenter::timeIndex() const
{
    const int cycle = cycleIndex();
    const QVariant stored = m_saver->stored(Row::UserSet, QStringLiteral("timerPushCycleTime"));
    if (cycle == 1)
        return qMax(0, int(timeTitles(1).indexOf(stored.toString())));
    if (cycle == 2 || cycle == 3)
        return indexOr0(stored, 1, int(timeTitles(cycle).size()));
    return 0;
}

int PushSettingsPresenter::contentIndex() const
{
    return indexOr0(m_saver->stored(Row::UserSet, QStringLiteral("timerPushCTypes")), 1, 2);
}

QString PushSettingsPresenter::address() const
{
    return m_saver->stored(Row::UserSet, QStringLiteral("timerPushEmail")).toString();
}

QString PushSettingsPresenter::countText() const
{
    return QStringLiteral("%1次").arg(
        m_saver->stored(Row::UserSet, QStringLiteral("pushEmailCount")).toInt());
}

QStringList PushSettingsPresenter::categoryTitles() const
{
    QStringList titles{QStringLiteral("全部")};
    for (const Classify *c : offeredCategories(m_services.store))
        titles << c->name();
    return titles;
}

QStringList PushSettingsPresenter::categoryIds() const
{
    QStringList ids;
    for (const Classify *c : offeredCategories(m_services.store))
        ids << c->classId();
    return ids;
}

void PushSettingsPresenter::confirmDigest(int cycle, int timeIndex, int content, const QString &address)
{
    if (m_busy[Digest])
        return;
    cycle = qBound(0, cycle, 3);
    QJsonObject values{{QStringLiteral("timerPushCTypes"), QString::number(qBound(0, content, 1) + 1)},
                       {QStringLiteral("timerPushEmail"), address},
                       {QStringLiteral("timerPushCycle"), QString::number(cycle)}};
    if (cycle != 0)
        values.insert(QStringLiteral("timerPushCycleTime"), cycleTimeValue(cycle, timeIndex));
    ask({Digest, values}, address);
}

void PushSettingsPresenter::confirmOneOff(int categoryIndex, const QString &address)
{
    if (m_busy[OneOff])
        return;
    QJsonObject values{{QStringLiteral("pushType"), QStringLiteral("1")},
                       {QStringLiteral("address"), address}};
    if (categoryIndex > 0) {
        const QStringList ids = categoryIds();
        if (categoryIndex - 1 >= ids.size())
            return; // the list changed under the pop-up; it is filled again
        values.insert(QStringLiteral("classIds"), ids.at(categoryIndex - 1));
    }
    ask({OneOff, values}, address);
}

void PushSettingsPresenter::ask(const Request &request, const QString &address)
{
    if (address.trimmed().isEmpty()) {
        m_services.feedback->showMessage(NoAddressText, UserFeedback::by(this));
        return;
    }
    if (m_proof)
        return; // one overlay at a time
    const UserInfo *info = SettingsRows::userInfo(m_services);
    const QString mobile = info ? info->value(QStringLiteral("mobile")).toString().trimmed() : QString();
    // An account made through WeChat or QQ has a name but no password to give.
    const bool hasPassword = info && !info->value(QStringLiteral("isEmptyPassword")).toBool();
    const QString account =
        info && hasPassword ? info->value(QStringLiteral("account")).toString().trimmed() : QString();
    if (mobile.isEmpty() && account.isEmpty()) {
        m_services.feedback->showConfirm(NoIdentityText, UserFeedback::by(this), [this](bool ok) {
            if (!ok)
                return;
            AutoJumpToken::getAutoJumpTokenWithUrl(QStringLiteral("/user"), m_services.store,
                                                   *m_services.deviceId, this, [this](const QString &link) {
                                                       if (link.isEmpty())
                                                           m_services.feedback->showMessage(
                                                               ApiNetWorking::noApiAddressText(),
                                                               UserFeedback::by(this));
                                                       else
                                                           m_services.urls->openUrl(QUrl(link));
                                                   });
        });
        return;
    }
    const auto type = mobile.isEmpty() ? PushProofPresenter::Password : PushProofPresenter::TextCode;
    auto *proof = new PushProofPresenter(m_services, type, mobile.isEmpty() ? account : mobile, this);
    m_proof = proof;
    connect(proof, &PushProofPresenter::completed, this,
            [this, request](PushProofPresenter::Type t, const QString &text) {
                closeProof();
                send(request, t, text);
            });
    connect(proof, &PushProofPresenter::cancelled, this, &PushSettingsPresenter::closeProof);
    emit proofWanted(proof);
}

void PushSettingsPresenter::closeProof()
{
    if (m_proof)
        m_proof->deleteLater();
    m_proof = nullptr;
}

void PushSettingsPresenter::send(const Request &request, PushProofPresenter::Type type, const QString &proof)
{
    QJsonObject values = request.values;
    values.insert(QStringLiteral("validateType"), QString::number(int(type) + 1));
    values.insert(QStringLiteral("vCode"), proof);
    const QJsonObject params = SettingsSaver::parametersFor(values);
    m_busy[request.form] = true;
    emit changed();
    auto success = [this, request](const BaseSuccessModel &reply) { answered(request, reply); };
    auto failure = [this, request](const BaseErrorModel &) {
        m_busy[request.form] = false;
        emit changed();
    };
    if (request.form == Digest)
        m_services.api->timePushWithParams(params, this, success, failure);
    else
        m_services.api->notePushWithParams(params, this, success, failure);
}

void PushSettingsPresenter::answered(const Request &request, const BaseSuccessModel &reply)
{
    m_busy[request.form] = false;
    if (reply.code != 200) {
        emit changed();
        return;
    }
    ApiNetWorking::storeVersionIfNext(reply.dataObject().value(QStringLiteral("version")));
    if (request.form == Digest && m_services.store) {
        UserSet *set = SettingsRows::userSet(*m_services.store, true);
        // What was sent, never the proof; the time only with a cycle, the address only with text.
        set->setValue(QStringLiteral("timerPushCycle"),
                      request.values.value(QStringLiteral("timerPushCycle")).toString().toInt());
        for (const char *key : {"timerPushCTypes", "timerPushCycleTime"})
            if (request.values.contains(QLatin1String(key)))
                set->setValue(QLatin1String(key), request.values.value(QLatin1String(key)).toString());
        const QString address = request.values.value(QStringLiteral("timerPushEmail")).toString();
        if (!address.isEmpty())
            set->setValue(QStringLiteral("timerPushEmail"), address);
        if (const SaveResult r = m_services.store->saveAndWait(); !r)
            qWarning() << "settings: the digest could not be saved:" << r.error;
    }
    m_services.feedback->showToast(DoneText, this);
    emit changed();
}
