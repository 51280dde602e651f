#pragma once

#include "notes/reminderwindow/view/RemindPopover.h"

#include <QStringList>

class QListView;
class QStringListModel;

// The popover of nearby networks (the last scan, no new scan): picking one hands its name back and closes.
class WiFiListViewController : public RemindPopover
{
    Q_OBJECT
public:
    explicit WiFiListViewController(const QStringList &networks, QWidget *parent = nullptr);

    QListView *list() const { return m_list; }

signals:
    void networkChosen(const QString &name);

private:
    void choose(int row);

    QStringListModel *m_model;
    QListView *m_list;
};
