#pragma once

#include "app/services/Services.h"
#include "settings/presenter/SettingsSaver.h"

#include <QObject>

// The settings window's own steps: the two loads of each opening (profile
// and settings, imported into their rows, a missing row made) and the saver
// every tab saves through. Make it with the window as parent: sheets and
// spinners of the window's presenters go on that window.
class SettingsWindowPresenter : public QObject
{
    Q_OBJECT
public:
    // The tabs, in their order.
    enum Tab
    {
        AccountTab,
        SyncTab,
        GeneralTab,
        RemindTab,
        PushTab,
        SkinTab,
        AboutTab,
        TabCount
    };
    static QString tabTitle(int tab);

    explicit SettingsWindowPresenter(const Services &services, QObject *parent = nullptr);

    SettingsSaver *saver() const { return m_saver; }
    const Services &services() const { return m_services; }

    // GET "user/userInfo" and "user/sysSet"; each reply with code 200 is
    // imported into its row (made when missing) and saved. The controls then
    // show it (the saver's rowsChanged); nothing is sent. An attribute that a
    // change sent after the load carries is left to that change.
    void load();
    // GET "user/userInfo" after a change of the profile elsewhere (binding,
    // the avatar): on code 200 the row takes the reply and the title bar is
    // told to refresh.
    void reloadProfile();

signals:
    void loaded(SettingsSaver::Row row);

private:
    void import(SettingsSaver::Row row, const QJsonObject &data, quint64 sentAfter);

    Services m_services;
    SettingsSaver *m_saver;
};
