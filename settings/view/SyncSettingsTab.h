#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QPushButton;
class SyncSettingsPresenter;

// The sync tab: the three boxes of what follows the user, and the snapshot
// pop-up with its restore button.
class SyncSettingsTab : public QWidget
{
    Q_OBJECT
public:
    explicit SyncSettingsTab(SyncSettingsPresenter *presenter, QWidget *parent = nullptr);

    SyncSettingsPresenter *presenter() const { return m_presenter; }
    QCheckBox *skinBox() const { return m_skin; }
    QCheckBox *remindBox() const { return m_remind; }
    QCheckBox *linkBox() const { return m_link; }
    QComboBox *snapshots() const { return m_dates; }
    QPushButton *restoreButton() const { return m_restore; }

    // The tab comes to the front: the snapshot list is asked for again.
    void appear();

private:
    void render();
    void showSnapshots();

    SyncSettingsPresenter *m_presenter;
    QCheckBox *m_skin;
    QCheckBox *m_remind;
    QCheckBox *m_link;
    QComboBox *m_dates;
    QPushButton *m_restore;
};
