#include "notes/reminderwindow/presenter/WIFIRemindPresenter.h"

#include "core/model/RemindAction.h"
#include "core/model/WiFiTrigger.h"
#include "core/reminders/wifi/WiFiRemindManager.h"
#include "notes/reminderwindow/presenter/SavedWifiNetworks.h"
#include "notes/reminderwindow/presenter/WifiNetworkListModel.h"
#include "platform/network/NetworkMonitor.h"

WIFIRemindPresenter::WIFIRemindPresenter(const NoteRemindModel &remind, SavedWifiNetworks *saved,
                                         UserFeedback *feedback, NetworkMonitor *networks, QObject *parent)
    : QObject(parent), m_remind(remind), m_saved(saved), m_feedback(feedback), m_networks(networks),
      m_model(new WifiNetworkListModel(this))
{
    m_saved->setParent(this);
    connect(m_saved, &SavedWifiNetworks::keysChanged, this, &WIFIRemindPresenter::onKeysChanged);
    connect(m_saved, &SavedWifiNetworks::itemsChanged, this, &WIFIRemindPresenter::onItemsChanged);
    connect(m_saved, &SavedWifiNetworks::itemChanged, m_model, &WifiNetworkListModel::keyChanged);
    connect(m_saved, &SavedWifiNetworks::loadingChanged, this, &WIFIRemindPresenter::loadingChanged);
    connect(m_saved, &SavedWifiNetworks::listLoaded, this, [this] {
        if (!m_ticksEdited)
            ticksFromValue();
    });
    m_join = m_remind.connectWifiType() == WiFiTrigger::OnJoin;
    m_saved->reread();
    ticksFromValue();
}

WIFIRemindPresenter::~WIFIRemindPresenter() = default;

void WIFIRemindPresenter::setAnchor(const QObject *anchor)
{
    m_anchor = anchor;
    m_saved->setBusyAnchor(anchor);
}

int WIFIRemindPresenter::rowCount() const
{
    return int(m_saved->keys().size()) + 1;
}

bool WIFIRemindPresenter::isLoading() const
{
    return m_saved->isLoading();
}

const WifiNetworkRow *WIFIRemindPresenter::networkAt(int row) const
{
    return networkByKey(keyAtRow(row));
}

const WifiNetworkRow *WIFIRemindPresenter::networkByKey(quint64 key) const
{
    return m_saved->network(key);
}

quint64 WIFIRemindPresenter::keyAtRow(int row) const
{
    const QList<quint64> &keys = m_saved->keys();
    return row >= 1 && row <= int(keys.size()) ? keys.at(row - 1) : AnyKey;
}

int WIFIRemindPresenter::rowOfKey(quint64 key) const
{
    const qsizetype i = m_saved->keys().indexOf(key);
    return i < 0 ? -1 : int(i) + 1;
}

bool WIFIRemindPresenter::isTicked(int row) const
{
    if (row == 0)
        return m_ticks.contains(AnyKey);
    const quint64 key = keyAtRow(row);
    return key != AnyKey && m_ticks.contains(key);
}

bool WIFIRemindPresenter::isNameEditable(int row) const
{
    const quint64 key = keyAtRow(row);
    return key != AnyKey && m_saved->isNameEditable(key);
}

QStringList WIFIRemindPresenter::nearbyNetworks() const
{
    QStringList names;
    if (!m_networks)
        return names;
    for (const QString &name : m_networks->scannedWiFiNames())
        if (!name.isEmpty() && !names.contains(name))
            names << name;
    return names;
}

void WIFIRemindPresenter::show()
{
    if (m_done)
        return;
    // Each showing reads the value again: its ticks and its trigger.
    m_ticksEdited = false;
    m_join = m_remind.connectWifiType() == WiFiTrigger::OnJoin;
    m_saved->reread();
    ticksFromValue();
    emit joinChanged();
    m_saved->load();
}

void WIFIRemindPresenter::hide()
{
    // Rows never named do not survive the tab.
    m_saved->dropUnnamed();
}

void WIFIRemindPresenter::setJoin(bool join)
{
    if (m_done || join == m_join)
        return;
    m_join = join;
    emit joinChanged();
}

void WIFIRemindPresenter::setTicked(int row, bool ticked)
{
    if (m_done || row < 0 || row >= rowCount())
        return;
    const quint64 key = keyAtRow(row);
    m_ticksEdited = true;
    if (!ticked) {
        m_ticks.removeAll(key);
    } else if (key == AnyKey) {
        // Any network and chosen networks exclude each other.
        m_ticks = {AnyKey};
    } else if (!m_ticks.contains(key)) {
        m_ticks.removeAll(AnyKey);
        m_ticks << key;
    }
    m_model->ticksChanged();
}

void WIFIRemindPresenter::setName(int row, const QString &name)
{
    if (m_done || !isNameEditable(row))
        return;
    m_saved->setName(keyAtRow(row), name);
}

void WIFIRemindPresenter::setAlias(int row, const QString &alias)
{
    if (m_done)
        return;
    const quint64 key = keyAtRow(row);
    if (key != AnyKey)
        m_saved->setAlias(key, alias);
}

int WIFIRemindPresenter::addNetwork()
{
    if (m_done)
        return -1;
    const int r = rowOfKey(m_saved->append());
    emit rowWanted(r);
    return r;
}

void WIFIRemindPresenter::chooseNearby(const QString &name)
{
    if (m_done || name.isEmpty())
        return;
    for (quint64 key : m_saved->keys()) {
        if (networkByKey(key)->name == name) {
            // Already saved: tick it rather than send it again.
            setTicked(rowOfKey(key), true);
            emit rowWanted(rowOfKey(key));
            return;
        }
    }
    emit rowWanted(rowOfKey(m_saved->append(name)));
}

void WIFIRemindPresenter::deleteNetwork(int row)
{
    if (m_done)
        return;
    const quint64 key = keyAtRow(row);
    if (key != AnyKey)
        m_saved->remove(key);
}

void WIFIRemindPresenter::confirm()
{
    if (m_done)
        return;
    QStringList ids;
    for (quint64 key : std::as_const(m_ticks)) {
        if (key == AnyKey) {
            ids << QStringLiteral("0");
            continue;
        }
        const WifiNetworkRow *network = networkByKey(key);
        if (!network)
            continue;
        if (network->name.isEmpty()) {
            if (m_feedback)
                m_feedback->showMessage(QStringLiteral("选中的无线没有设置名字"), asker());
            return;
        }
        // A network the service has not taken yet has no id to remind by.
        if (!network->wifiId.isEmpty())
            ids << network->wifiId;
    }
    m_done = true;
    m_saved->finish();
    if (!ids.isEmpty()) {
        NoteRemindModel result;
        result.setRemindActionType(RemindAction::Set);
        result.setConnectWifiIds(ids.join(QLatin1Char(',')));
        result.setConnectWifiType(m_join ? 0 : 1);
        m_remind = result;
        emit confirmed(result);
    }
    emit closeRequested();
}

void WIFIRemindPresenter::cancel()
{
    if (m_done)
        return;
    m_done = true;
    m_saved->finish();
    emit closeRequested();
}

void WIFIRemindPresenter::dropGoneTicks()
{
    m_ticks.removeIf([this](quint64 key) { return key != AnyKey && !m_saved->network(key); });
}

void WIFIRemindPresenter::onKeysChanged()
{
    dropGoneTicks();
    m_model->setKeys(m_saved->keys());
}

void WIFIRemindPresenter::onItemsChanged()
{
    dropGoneTicks();
    m_model->setKeys(m_saved->keys());
    for (quint64 key : m_saved->keys())
        m_model->keyChanged(key);
    m_model->ticksChanged();
}

void WIFIRemindPresenter::ticksFromValue()
{
    m_ticks.clear();
    const QString ids = m_remind.connectWifiIds();
    if (WiFiRemindManager::isAnyNetwork(ids)) {
        m_ticks << AnyKey;
    } else {
        for (const QString &id : WiFiRemindManager::wifiIdList(ids)) {
            for (quint64 key : m_saved->keys()) {
                if (m_saved->network(key)->wifiId == id) {
                    if (!m_ticks.contains(key))
                        m_ticks << key;
                    break;
                }
            }
        }
    }
    m_model->ticksChanged();
}
