#pragma once

#include "app/services/Services.h"

#include <QDialog>

#include <memory>

class AboutSettingsTab;
class AccountSettingsTab;
class AuthWebPageFactory;
class OAuthPages;
class PushSettingsTab;
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
    // `pages` opens the authorisation windows of the account tab; without
    // it the window uses the program's own (web view plugin or browser).
    explicit SettingsWindow(const Services &services, QWidget *parent = nullptr,
                            AuthWebPageFactory *pages = nullptr);
    ~SettingsWindow() override;

    static QSize defaultSize() { return {580, 440}; }

    SettingsWindowPresenter *presenter() const { return m_presenter; }
    QTabWidget *tabs() const { return m_tabs; }
    AccountSettingsTab *accountTab() const { return m_account; }
    PushSettingsTab *pushTab() const { return m_push; }
    SyncSettingsTab *syncTab() const { return m_sync; }
    GeneralSettingsTab *generalTab() const { return m_general; }
    RemindSettingsTab *remindTab() const { return m_remind; }
    SkinSettingsTab *skinTab() const { return m_skin; }
    AboutSettingsTab *aboutTab() const { return m_about; }

    // Brings a tab to the front (as a click on its title does).
    void showTab(int index);

private:
    void tabAppeared(int index);

    std::unique_ptr<OAuthPages> m_ownPages;
    SettingsWindowPresenter *m_presenter;
    AccountSettingsTab *m_account;
    PushSettingsTab *m_push;
    QTabWidget *m_tabs;
    SyncSettingsTab *m_sync;
    GeneralSettingsTab *m_general;
    RemindSettingsTab *m_remind;
    SkinSettingsTab *m_skin;
    AboutSettingsTab *m_about;
};
