#pragma once

#include "app/services/Services.h"

#include <QDialog>

class AboutSettingsTab;
class GeneralSettingsTab;
class QTabWidget;
class RemindSettingsTab;
class SettingsWindowPresenter;
class SkinSettingsTab;
class SyncSettingsTab;

// The settings window: seven tabs, made anew at every opening, which loads
// the profile and the settings again. Modal over the program, without
// minimise and zoom buttons; deletes itself when closed.
class SettingsWindow : public QDialog
{
    Q_OBJECT
public:
    explicit SettingsWindow(const Services &services, QWidget *parent = nullptr);
    ~SettingsWindow() override;

    static QSize defaultSize() { return {580, 440}; }

    SettingsWindowPresenter *presenter() const { return m_presenter; }
    QTabWidget *tabs() const { return m_tabs; }
    SyncSettingsTab *syncTab() const { return m_sync; }
    GeneralSettingsTab *generalTab() const { return m_general; }
    RemindSettingsTab *remindTab() const { return m_remind; }
    SkinSettingsTab *skinTab() const { return m_skin; }
    AboutSettingsTab *aboutTab() const { return m_about; }

    // Brings a tab to the front (as a click on its title does).
    void showTab(int index);

private:
    void tabAppeared(int index);

    SettingsWindowPresenter *m_presenter;
    QTabWidget *m_tabs;
    SyncSettingsTab *m_sync;
    GeneralSettingsTab *m_general;
    RemindSettingsTab *m_remind;
    SkinSettingsTab *m_skin;
    AboutSettingsTab *m_about;
};
