#include "settings/presenter/RemindSettingsPresenter.h"

#include "core/reminders/scheduling/LocalNotificationManager.h"
#include "platform/base/Scheduler.h"
#include "platform/base/UserFeedback.h"
#include "platform/sound/player/SoundPlayer.h"
#include "settings/presenter/SettingsList.h"

namespace {

using Row = SettingsSaver::Row;
const QString kTypes = QStringLiteral("remindTypes");
const QString kName = QStringLiteral("remindSoundName");
const QString kPath = QStringLiteral("remindSoundPath");
const QString kImportant = QStringLiteral("importantRemindInterval");
const QString kWifi = QStringLiteral("wifiSilenceRemindInterval");

int intervalIndex(const QVariant &stored, const QStringList &values)
{
    if (!stored.isValid() || stored.isNull())
        return -1;
    bool ok = false;
    const qint64 v = stored.toLongLong(&ok);
    return ok ? int(values.indexOf(QString::number(v))) : -1;
}

} // namespace

QStringList RemindSettingsPresenter::soundNames()
{
    return {QStringLiteral("标准铃声1"), QStringLiteral("标准铃声2"), QStringLiteral("音乐铃声1"),
            QStringLiteral("音乐铃声2"), QStringLiteral("音乐铃声3"), QStringLiteral("门铃声音2"),
            QStringLiteral("门铃声音3"), QStringLiteral("人声提示1"), QStringLiteral("人声提示2"),
            QStringLiteral("机场提示音")};
}

QString RemindSettingsPresenter::soundFileName(const QString &name)
{
    static const QStringList wav{QStringLiteral("标准铃声1"), QStringLiteral("标准铃声2"),
                                 QStringLiteral("音乐铃声2"), QStringLiteral("门铃声音3"),
                                 QStringLiteral("人声提示2"), QStringLiteral("机场提示音")};
    return QStringLiteral("%1.%2").arg(name,
                                       wav.contains(name) ? QStringLiteral("wav") : QStringLiteral("mp3"));
}

QStringList RemindSettingsPresenter::importantTitles()
{
    QStringList titles;
    for (const QString &v : importantValues())
        titles << QStringLiteral("%1分钟").arg(v);
    return titles;
}

QStringList RemindSettingsPresenter::wifiTitles()
{
    QStringList titles;
    const QStringList values = wifiValues();
    for (int i = 0; i < values.size(); ++i)
        titles << (i == 0 ? QStringLiteral("无间隔") : QStringLiteral("%1小时").arg(values.at(i)));
    return titles;
}

QString RemindSettingsPresenter::withSound(const QString &remindTypes, bool on)
{
    QStringList parts = SettingsList::elements(remindTypes);
    if (on) {
        if (!parts.contains(QStringLiteral("2")))
            parts.insert(parts.isEmpty() ? 0 : 1, QStringLiteral("2"));
    } else {
        parts.removeAll(QStringLiteral("2"));
    }
    return parts.join(QLatin1Char(','));
}

RemindSettingsPresenter::RemindSettingsPresenter(const Services &services, SettingsSaver *saver,
                                                 QObject *parent)
    : QObject(parent), m_services(services), m_saver(saver)
{
    connect(m_saver, &SettingsSaver::rowsChanged, this, &RemindSettingsPresenter::changed);
}

bool RemindSettingsPresenter::soundOn() const
{
    return SettingsList::contains(m_saver->shown(Row::UserSet, kTypes).toString(), QStringLiteral("2"));
}

int RemindSettingsPresenter::soundIndex() const
{
    return int(soundNames().indexOf(m_saver->shown(Row::UserSet, kName).toString()));
}

int RemindSettingsPresenter::importantIndex() const
{
    return intervalIndex(m_saver->shown(Row::UserSet, kImportant), importantValues());
}

int RemindSettingsPresenter::wifiIndex() const
{
    return intervalIndex(m_saver->shown(Row::UserSet, kWifi), wifiValues());
}

bool RemindSettingsPresenter::soundBoxBusy() const
{
    return m_saver->isPending(Row::UserSet, kTypes);
}

bool RemindSettingsPresenter::soundBusy() const
{
    return m_saver->isPending(Row::UserSet, kName);
}

bool RemindSettingsPresenter::importantBusy() const
{
    return m_saver->isPending(Row::UserSet, kImportant);
}

bool RemindSettingsPresenter::wifiBusy() const
{
    return m_saver->isPending(Row::UserSet, kWifi);
}

void RemindSettingsPresenter::setSoundOn(bool on)
{
    const QString types = withSound(m_saver->stored(Row::UserSet, kTypes).toString(), on);
    m_saver->send({Row::UserSet, QJsonObject{{kTypes, types}}, SettingsSaver::Overlay::Busy, this});
}

void RemindSettingsPresenter::chooseSound(int index)
{
    const QStringList names = soundNames();
    if (index < 0 || index >= names.size() || soundBusy())
        return;
    const QString name = names.at(index);
    if (name == m_saver->stored(Row::UserSet, kName).toString())
        return;
    m_saver->send({Row::UserSet, QJsonObject{{kName, name}, {kPath, soundFileName(name)}},
                   SettingsSaver::Overlay::Busy, this});
}

void RemindSettingsPresenter::chooseInterval(const QString &attribute, const QStringList &values, int index)
{
    if (index < 0 || index >= values.size() || m_saver->isPending(Row::UserSet, attribute))
        return;
    if (intervalIndex(m_saver->stored(Row::UserSet, attribute), values) == index)
        return;
    m_saver->send(
        {Row::UserSet, QJsonObject{{attribute, values.at(index)}}, SettingsSaver::Overlay::Busy, this});
}

void RemindSettingsPresenter::chooseImportant(int index)
{
    chooseInterval(kImportant, importantValues(), index);
}

void RemindSettingsPresenter::chooseWifi(int index)
{
    chooseInterval(kWifi, wifiValues(), index);
}

void RemindSettingsPresenter::preview(int index)
{
    const QStringList names = soundNames();
    if (m_previewPaused || index < 0 || index >= names.size())
        return;
    m_previewPaused = true;
    emit changed();
    m_services.scheduler->schedule(PreviewPause, this, [this] {
        m_previewPaused = false;
        emit changed();
    });
    const QString file = LocalNotificationManager::soundFileForName(soundFileName(names.at(index)));
    const SoundPlayer::Result result =
        m_services.sounds ? m_services.sounds->play(file) : SoundPlayer::Result::Unavailable;
    if (result == SoundPlayer::Result::NoAudioOutput)
        m_services.feedback->showToast(NoAudioText, this);
    else if (result == SoundPlayer::Result::Unavailable)
        m_services.feedback->showToast(NoPlayerText, this);
}
