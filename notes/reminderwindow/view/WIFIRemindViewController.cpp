#include "notes/reminderwindow/view/WIFIRemindViewController.h"

#include "app/services/Services.h"
#include "notes/reminderwindow/presenter/SavedWifiNetworks.h"
#include "notes/reminderwindow/presenter/WIFIRemindPresenter.h"
#include "notes/reminderwindow/presenter/WifiNetworkListModel.h"
#include "notes/reminderwindow/view/ConfirmButtonRow.h"
#include "notes/reminderwindow/view/WiFiListViewController.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

WIFIRemindViewController::WIFIRemindViewController(const NoteRemindModel &remind, const Services &services,
                                                   NetworkMonitor *networks, QWidget *parent)
    : QWidget(parent), m_presenter(new WIFIRemindPresenter(
                           remind, new SavedWifiNetworks(services.store, services.api, services.feedback),
                           services.feedback, networks, this))
{
    m_presenter->setAnchor(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(8);

    auto *radios = new QHBoxLayout;
    m_onWifiRadio = new QRadioButton(QStringLiteral("连接时提醒"), this);
    m_offWifiRadio = new QRadioButton(QStringLiteral("断开时提醒"), this);
    auto *group = new QButtonGroup(this);
    group->addButton(m_onWifiRadio);
    group->addButton(m_offWifiRadio);
    radios->addWidget(m_onWifiRadio);
    radios->addWidget(m_offWifiRadio);
    radios->addStretch();
    layout->addLayout(radios);

    m_table = new QTableView(this);
    m_table->setModel(m_presenter->model());
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                             QAbstractItemView::SelectedClicked);
    m_table->setShowGrid(false);
    m_table->setWordWrap(false);
    m_table->setTextElideMode(Qt::ElideMiddle);
    m_table->verticalHeader()->hide();
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(26);
    m_table->horizontalHeader()->setSectionResizeMode(WifiNetworkListModel::NameColumn, QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(WifiNetworkListModel::AliasColumn, QHeaderView::Fixed);
    m_table->horizontalHeader()->resizeSection(WifiNetworkListModel::AliasColumn, 90);
    m_table->horizontalHeader()->setHighlightSections(false);
    layout->addWidget(m_table, 1);

    auto *tools = new QHBoxLayout;
    tools->setSpacing(4);
    m_addButton = new QToolButton(this);
    m_addButton->setText(QStringLiteral("+"));
    m_addButton->setToolTip(QStringLiteral("添加无线"));
    m_deleteButton = new QToolButton(this);
    m_deleteButton->setText(QStringLiteral("−"));
    m_deleteButton->setToolTip(QStringLiteral("删除选中的无线"));
    m_nearbyButton = new QToolButton(this);
    m_nearbyButton->setText(QStringLiteral("附近的无线"));
    tools->addWidget(m_addButton);
    tools->addWidget(m_deleteButton);
    tools->addStretch();
    tools->addWidget(m_nearbyButton);
    layout->addLayout(tools);

    auto *buttons = new ConfirmButtonRow(this);
    QPushButton *cancel = buttons->cancel();
    QPushButton *done = buttons->done();
    layout->addLayout(buttons);

    setTabOrder(m_onWifiRadio, m_table);
    setTabOrder(m_table, m_addButton);
    setTabOrder(m_addButton, m_deleteButton);
    setTabOrder(m_deleteButton, m_nearbyButton);
    setTabOrder(m_nearbyButton, cancel);
    setTabOrder(cancel, done);

    connect(m_onWifiRadio, &QRadioButton::clicked, this, [this] { m_presenter->setJoin(true); });
    connect(m_offWifiRadio, &QRadioButton::clicked, this, [this] { m_presenter->setJoin(false); });
    connect(m_addButton, &QToolButton::clicked, m_presenter, &WIFIRemindPresenter::addNetwork);
    connect(m_deleteButton, &QToolButton::clicked, this, [this] {
        const QModelIndex current = m_table->selectionModel()->currentIndex();
        if (current.isValid() && m_table->selectionModel()->isRowSelected(current.row(), {}))
            m_presenter->deleteNetwork(current.row());
    });
    connect(m_nearbyButton, &QToolButton::clicked, this, &WIFIRemindViewController::openNearby);
    connect(cancel, &QPushButton::clicked, m_presenter, &WIFIRemindPresenter::cancel);
    // A click on a button takes the focus from a name or alias being typed, which commits it first.
    connect(done, &QPushButton::clicked, m_presenter, &WIFIRemindPresenter::confirm);

    connect(m_presenter, &WIFIRemindPresenter::joinChanged, this, &WIFIRemindViewController::render);
    connect(m_presenter, &WIFIRemindPresenter::rowWanted, this, &WIFIRemindViewController::showRow);
    connect(m_presenter, &WIFIRemindPresenter::confirmed, this, &WIFIRemindViewController::confirmed);
    connect(m_presenter, &WIFIRemindPresenter::closeRequested, this,
            &WIFIRemindViewController::closeRequested);

    render();
}

void WIFIRemindViewController::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        m_presenter->show();
}

void WIFIRemindViewController::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        m_presenter->hide();
}

void WIFIRemindViewController::render()
{
    const QSignalBlocker b1(m_onWifiRadio), b2(m_offWifiRadio);
    m_onWifiRadio->setChecked(m_presenter->isJoin());
    m_offWifiRadio->setChecked(!m_presenter->isJoin());
}

void WIFIRemindViewController::openNearby()
{
    auto *popover = new WiFiListViewController(m_presenter->nearbyNetworks(), this);
    connect(popover, &WiFiListViewController::networkChosen, m_presenter, &WIFIRemindPresenter::chooseNearby);
    popover->popUpBeside(m_nearbyButton);
}

void WIFIRemindViewController::showRow(int row)
{
    if (row < 0)
        return;
    const QModelIndex name = m_presenter->model()->index(row, WifiNetworkListModel::NameColumn);
    m_table->scrollTo(name);
    m_table->setCurrentIndex(name);
    // A new empty row is for typing into at once.
    const WifiNetworkRow *network = m_presenter->networkAt(row);
    if (network && network->name.isEmpty() && m_presenter->isNameEditable(row))
        m_table->edit(name);
}
