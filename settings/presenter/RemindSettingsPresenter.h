#pragma once

#include "app/services/Services.h"
#include "settings/presenter/SettingsSaver.h"

#include <QObject>
#include <QStringList>

// The reminder tab: whether reminders play a sound ("2" in "remindTypes"),
// which of the ten sounds, the repeat of important reminders and the silence
// after a Wi-Fi reminder, and a preview of the chosen sound.
class RemindSettingsPresenter : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 PreviewPause = 3000; // ms the preview stays disabled
    static inline const QString NoAudioText = QStringLiteral("没有可用的音频输出设备，无法试听");
    static inline const QString NoPlayerText = QStringLiteral("无法播放声音：缺少播放组件");

    // The ten sounds, in the pop-up's order.
    static QStringList soundNames();
    // "%@.%@" of the name and its extension: "wav" for six names, "mp3" for the others.
    static QString soundFileName(const QString &name);
    static QStringList importantValues()
    {
        return {QStringLiteral("5"), QStringLiteral("10"), QStringLiteral("30")};
    }
    static QStringList wifiValues()
    {
        return {QStringLiteral("0"), QStringLiteral("3"), QStringLiteral("8"), QStringLiteral("12"),
                QStringLiteral("20")};
    }
    static QStringList importantTitles();
    static QStringList wifiTitles();
    // "remindTypes" with the sound switched on or off: empty elements are
    // dropped; on adds "2" after the first element (alone when there is none).
    static QString withSound(const QString &remindTypes, bool on);

    RemindSettingsPresenter(const Services &services, SettingsSaver *saver, QObject *parent = nullptr);

    bool soundOn() const;
    // Pop-up indexes; -1 when the stored value is none of the pop-up's.
    int soundIndex() const;
    int importantIndex() const;
    int wifiIndex() const;
    bool soundBoxBusy() const;
    bool soundBusy() const;
    bool importantBusy() const;
    bool wifiBusy() const;
    bool previewEnabled() const { return !m_previewPaused; }

    void setSoundOn(bool on);
    void chooseSound(int index);
    void chooseImportant(int index);
    void chooseWifi(int index);
    // Plays the sound at this pop-up index once; the preview pauses 3 s.
    void preview(int index);

signals:
    void changed();

private:
    void chooseInterval(const QString &attribute, const QStringList &values, int index);

    Services m_services;
    SettingsSaver *m_saver;
    bool m_previewPaused = false;
};
