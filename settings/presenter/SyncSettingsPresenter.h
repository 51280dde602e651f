#pragma once

#include "app/services/Services.h"
#include "platform/base/UserFeedback.h"
#include "settings/presenter/SettingsSaver.h"

#include <QObject>
#include <QStringList>

// The sync tab: which settings follow the user ("syncSettings": "1" skin,
// "2" reminders, "3" links) and the restore of a snapshot.
class SyncSettingsPresenter : public QObject
{
    Q_OBJECT
public:
    enum Item
    {
        Skin,
        Remind,
        Link
    };
    static inline const QString RestoreQuestion =
        QStringLiteral("还原将会删除所选还原日至现在的所有内容，并且无法恢复，请慎重选择！");
    static inline const QString NoDateText = QStringLiteral("请选择一个日期");

    SyncSettingsPresenter(const Services &services, SettingsSaver *saver, QObject *parent = nullptr);

    // The boxes as they show: the choice out, else the stored one.
    bool isOn(Item item) const;
    // A change of the choice is out: the three boxes wait for it.
    bool isBusy() const;
    // The list the tab writes, in the order 1, 2, 3, joined by ",".
    static QString joined(bool skin, bool remind, bool link);

    // The user switched a box: the whole choice goes out.
    void toggle(Item item, bool on);

    // The snapshot dates, as last listed (empty until the first list).
    QStringList snapshotDates() const { return m_dates; }
    // GET "user/data/snapshot/list"; only a non-empty list replaces the dates.
    void loadSnapshots();
    // Restores the snapshot of this date after the user confirmed; on code
    // 200 the new version is stored and a full pull asked for.
    void restore(const QString &snapshotDate);
    bool isRestoring() const { return m_restoring; }

signals:
    void changed();
    void snapshotsChanged();

private:
    Services m_services;
    SettingsSaver *m_saver;
    QStringList m_dates;
    bool m_restoring = false;
    BusyGuard m_restoreBusy;
};
