#pragma once

#include "core/model/NoteRemindModel.h"

#include <QWidget>

class NetworkMonitor;
class QPushButton;
class QRadioButton;
class QTableView;
class QToolButton;
class WIFIRemindPresenter;
struct Services;

// The Wi-Fi tab of the reminder window: join or leave, the saved networks with their ticks, names and
// aliases, add, delete and the nearby networks. It forwards the user's actions to its presenter.
class WIFIRemindViewController : public QWidget
{
    Q_OBJECT
public:
    WIFIRemindViewController(const NoteRemindModel &remind, const Services &services,
                             NetworkMonitor *networks, QWidget *parent = nullptr);

    WIFIRemindPresenter *presenter() const { return m_presenter; }
    QTableView *table() const { return m_table; }
    QToolButton *nearbyButton() const { return m_nearbyButton; }

signals:
    void confirmed(const NoteRemindModel &remind);
    void closeRequested();

protected:
    // Each showing reads the value and the saved networks again; hiding drops rows never named.
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void render();
    void openNearby();
    void showRow(int row);

    WIFIRemindPresenter *m_presenter;
    QRadioButton *m_onWifiRadio;
    QRadioButton *m_offWifiRadio;
    QTableView *m_table;
    QToolButton *m_addButton;
    QToolButton *m_deleteButton;
    QToolButton *m_nearbyButton;
};
