#include "notes/reminderwindow/view/NoteRemindViewController.h"

#include "notes/reminderwindow/view/DateRemindViewController.h"
#include "notes/reminderwindow/view/WIFIRemindViewController.h"

#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

NoteRemindViewController::NoteRemindViewController(const NoteRemindModel &remind, const Services &services,
                                                   NetworkMonitor *networks, QWidget *parent)
    // Close only: a window manager offers minimise and maximise unless the buttons are named.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_tabs(new QTabWidget(this)), m_dateTab(new DateRemindViewController(remind, services)),
      m_wifiTab(new WIFIRemindViewController(remind, services, networks))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QString());
    setFixedSize(300, 350);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 6, 0, 0);
    m_tabs->setDocumentMode(true);
    m_tabs->addTab(m_dateTab, QStringLiteral("日期提醒"));
    m_tabs->addTab(m_wifiTab, QStringLiteral("无线提醒"));
    m_tabs->tabBar()->setExpanding(false);
    layout->addWidget(m_tabs);
    m_tabs->setCurrentIndex(tabForValue(remind));

    connect(m_dateTab, &DateRemindViewController::confirmed, this, &NoteRemindViewController::handBack);
    connect(m_wifiTab, &WIFIRemindViewController::confirmed, this, &NoteRemindViewController::handBack);
    connect(m_dateTab, &DateRemindViewController::closeRequested, this,
            &NoteRemindViewController::closeWindow);
    connect(m_wifiTab, &WIFIRemindViewController::closeRequested, this,
            &NoteRemindViewController::closeWindow);
}

int NoteRemindViewController::tabForValue(const NoteRemindModel &remind)
{
    return remind.connectWifiIds().isEmpty() ? DateTab : WifiTab;
}

void NoteRemindViewController::present()
{
    setWindowModality(Qt::ApplicationModal);
    show();
    raise();
    activateWindow();
}

void NoteRemindViewController::handBack(const NoteRemindModel &remind)
{
    if (m_answered)
        return;
    m_answered = true;
    emit remindConfirmed(remind);
}

void NoteRemindViewController::closeWindow()
{
    if (m_answered)
        accept();
    else
        reject();
}
