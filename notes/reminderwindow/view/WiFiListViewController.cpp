#include "notes/reminderwindow/view/WiFiListViewController.h"

#include <QLabel>
#include <QListView>
#include <QStringListModel>
#include <QVBoxLayout>

WiFiListViewController::WiFiListViewController(const QStringList &networks, QWidget *parent)
    : RemindPopover(parent), m_model(new QStringListModel(networks, this)), m_list(new QListView(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    if (networks.isEmpty()) {
        auto *empty = new QLabel(QStringLiteral("附近没有找到无线网络"), this);
        empty->setAlignment(Qt::AlignCenter);
        empty->setMinimumSize(200, 60);
        layout->addWidget(empty);
        m_list->hide();
    }
    m_list->setModel(m_model);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setUniformItemSizes(true);
    m_list->setTextElideMode(Qt::ElideMiddle);
    m_list->setStyleSheet(
        QStringLiteral("QListView::item { height: 30px; border-bottom: 1px solid palette(mid); }"));
    const int rows = qBound(1, int(networks.size()), 8);
    m_list->setFixedSize(220, rows * 31 + 2 * m_list->frameWidth());
    layout->addWidget(m_list);

    // Only a real choice (a click or Enter on a row) adds a network.
    connect(m_list, &QListView::activated, this, [this](const QModelIndex &index) { choose(index.row()); });
    connect(m_list, &QListView::clicked, this, [this](const QModelIndex &index) { choose(index.row()); });
    connect(this, &RemindPopover::acceptRequested, this, [this] {
        if (m_list->currentIndex().isValid())
            choose(m_list->currentIndex().row());
    });
    m_list->setFocus();
}

void WiFiListViewController::choose(int row)
{
    const QStringList names = m_model->stringList();
    if (row < 0 || row >= names.size())
        return;
    const QString name = names.at(row);
    close();
    emit networkChosen(name);
}
