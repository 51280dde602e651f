#pragma once

#include "app/services/Services.h"
#include "settings/presenter/SettingsSaver.h"

#include <QObject>
#include <QStringList>

// The skin tab: the catalogue's skins as swatches, the current one selected;
// confirm sends the user's pick as "newSkinColor" and, once accepted, makes
// it the current skin, redraws the title bar and the category column and
// closes the window.
class SkinSettingsPresenter : public QObject
{
    Q_OBJECT
public:
    SkinSettingsPresenter(const Services &services, SettingsSaver *saver, QObject *parent = nullptr);

    // The skins' names (hex colours), by their sort order; read afresh.
    QStringList skins() const;
    // The index of the current skin in skins(), or -1.
    int currentIndex() const;
    // The user's pick ("" until the user picks one).
    QString picked() const { return m_picked; }
    bool isBusy() const;

    void pick(int index);
    // Without a pick the window closes; else the pick goes out.
    void confirm();

signals:
    void changed();
    void closeWanted();

private:
    Services m_services;
    SettingsSaver *m_saver;
    QString m_picked;
};
