#include "settings/view/SettingsWindow.h"

#include "app/oauthwindows/OAuthPages.h"
#include "settings/presenter/AboutPresenter.h"
#include "settings/presenter/AccountSettingsPresenter.h"
#include "settings/presenter/GeneralSettingsPresenter.h"
#include "settings/presenter/PushSettingsPresenter.h"
#include "settings/presenter/RemindSettingsPresenter.h"
#include "settings/presenter/SettingsWindowPresenter.h"
#include "settings/presenter/SkinSettingsPresenter.h"
#include "settings/presenter/SyncSettingsPresenter.h"
#include "settings/view/AboutSettingsTab.h"
#include "settings/view/AccountSettingsTab.h"
#include "settings/view/GeneralSettingsTab.h"
#include "settings/view/PushSettingsTab.h"
#include "settings/view/RemindSettingsTab.h"
#include "settings/view/SkinSettingsTab.h"
#include "settings/view/SyncSettingsTab.h"

#include <QTabWidget>
#include <QVBoxLayout>

SettingsWindow::SettingsWindow(const Services &services, QWidget *parent, AuthWebPageFactory *pages)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("settingsWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    setWindowTitle(QStringLiteral("设置"));
    setFixedSize(defaultSize());
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    // The presenters are children of this window: their sheets and spinners show on it.
    m_presenter = new SettingsWindowPresenter(services, this);
    SettingsSaver *saver = m_presenter->saver();
    if (!pages) {
        m_ownPages = std::make_unique<OAuthPages>(*services.urls);
        pages = m_ownPages.get();
    }
    m_account = new AccountSettingsTab(new AccountSettingsPresenter(services, m_presenter, pages, this));
    m_push = new PushSettingsTab(new PushSettingsPresenter(services, saver, this));
    m_sync = new SyncSettingsTab(new SyncSettingsPresenter(services, saver, this));
    m_general = new GeneralSettingsTab(new GeneralSettingsPresenter(services, saver, this));
    m_remind = new RemindSettingsTab(new RemindSettingsPresenter(services, saver, this));
    auto *skinPresenter = new SkinSettingsPresenter(services, saver, this);
    m_skin = new SkinSettingsTab(skinPresenter);
    m_about = new AboutSettingsTab(new AboutPresenter(services, this));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 8, 0, 0);
    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(QStringLiteral("settingsTabs"));
    m_tabs->setDocumentMode(true);
    m_tabs->setUsesScrollButtons(false);
    const QList<QWidget *> tabPages{m_account, m_sync, m_general, m_remind, m_push, m_skin, m_about};
    for (int i = 0; i < tabPages.size(); ++i)
        m_tabs->addTab(tabPages.at(i), SettingsWindowPresenter::tabTitle(i));
    layout->addWidget(m_tabs);

    connect(m_tabs, &QTabWidget::currentChanged, this, &SettingsWindow::tabAppeared);
    connect(skinPresenter, &SkinSettingsPresenter::closeWanted, this, &QWidget::close);
    // The settings row arrived: the push tab shows it unless the user is typing there.
    connect(m_presenter, &SettingsWindowPresenter::loaded, this, [this](SettingsSaver::Row row) {
        if (row == SettingsSaver::Row::UserSet)
            m_push->appear();
    });

    m_presenter->load();
    tabAppeared(m_tabs->currentIndex());
}

SettingsWindow::~SettingsWindow() = default;

void SettingsWindow::showTab(int index)
{
    m_tabs->setCurrentIndex(index);
}

void SettingsWindow::tabAppeared(int index)
{
    switch (index) {
    case SettingsWindowPresenter::AccountTab:
        m_account->appear();
        break;
    case SettingsWindowPresenter::PushTab:
        m_push->appear();
        break;
    case SettingsWindowPresenter::SyncTab:
        m_sync->appear();
        break;
    case SettingsWindowPresenter::GeneralTab:
        m_general->appear();
        break;
    case SettingsWindowPresenter::RemindTab:
        m_remind->appear();
        break;
    case SettingsWindowPresenter::SkinTab:
        m_skin->appear();
        break;
    case SettingsWindowPresenter::AboutTab:
        m_about->appear();
        break;
    default:
        break;
    }
}
