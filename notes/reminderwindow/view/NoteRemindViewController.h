#pragma once

#include "core/model/NoteRemindModel.h"

#include <QDialog>

class DateRemindViewController;
class NetworkMonitor;
class QTabWidget;
class WIFIRemindViewController;
struct Services;

// The reminder window: a modal window of two tabs, the date reminder and the Wi-Fi reminder, each editing
// its own copy of the value. It opens on the Wi-Fi tab when the value names networks. A tab's confirm hands
// the new value back through remindConfirmed and closes the window; cancel, Escape or closing it hand
// nothing back. It deletes itself once closed.
class NoteRemindViewController : public QDialog
{
    Q_OBJECT
public:
    static constexpr int DateTab = 0;
    static constexpr int WifiTab = 1;

    NoteRemindViewController(const NoteRemindModel &remind, const Services &services,
                             NetworkMonitor *networks, QWidget *parent = nullptr);

    // The tab a value opens on.
    static int tabForValue(const NoteRemindModel &remind);

    // Shows the window modal to the whole application, without a nested event loop.
    void present();

    QTabWidget *tabs() const { return m_tabs; }
    DateRemindViewController *dateTab() const { return m_dateTab; }
    WIFIRemindViewController *wifiTab() const { return m_wifiTab; }

signals:
    void remindConfirmed(const NoteRemindModel &remind);

private:
    void handBack(const NoteRemindModel &remind);
    void closeWindow();

    QTabWidget *m_tabs;
    DateRemindViewController *m_dateTab;
    WIFIRemindViewController *m_wifiTab;
    bool m_answered = false;
};
