#include "notes/reminderwindow/presenter/WIFIRemindPresenter.h"

#include "core/model/WiFiRemind.h"
#include "core/reminders/wifi/WiFiRemindManager.h"
#include "notes/reminderwindow/presenter/WifiNetworkListModel.h"
#include "platform/network/NetworkMonitor.h"
#include "platform/store/Context.h"
#include "platform/store/StoreChanges.h"
#include "service/api/ApiNetWorking.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>

#include <algorithm>

namespace {

QString textOf(const QJsonValue &v)
{
    if (v.isString())
        return v.toString();
    if (v.isDouble())
        return QString::number(qint64(v.toDouble()));
    return {};
}

} // namespace

WIFIRemindPresenter::WIFIRemindPresenter(const NoteRemindModel &remind, const Services &services,
                                         NetworkMonitor *networks, QObject *parent)
    : QObject(parent), m_remind(remind), m_services(services), m_networks(networks),
      m_model(new WifiNetworkListModel(this))
{
    if (m_services.store)
        connect(m_services.store, &Context::changesSaved, this, &WIFIRemindPresenter::onStoreChanged);
    m_join = m_remind.connectWifiType() == 0;
    readStore(true);
    ticksFromValue();
}

WIFIRemindPresenter::~WIFIRemindPresenter() = default;

const WifiNetworkRow *WIFIRemindPresenter::networkAt(int row) const
{
    return networkByKey(keyAtRow(row));
}

const WifiNetworkRow *WIFIRemindPresenter::networkByKey(quint64 key) const
{
    const auto it = m_rows.constFind(key);
    return it == m_rows.cend() ? nullptr : &it.value();
}

WifiNetworkRow *WIFIRemindPresenter::row(quint64 key)
{
    const auto it = m_rows.find(key);
    return it == m_rows.end() ? nullptr : &it.value();
}

quint64 WIFIRemindPresenter::keyAtRow(int row) const
{
    return row >= 1 && row <= int(m_order.size()) ? m_order.at(row - 1) : AnyKey;
}

int WIFIRemindPresenter::rowOfKey(quint64 key) const
{
    const qsizetype i = m_order.indexOf(key);
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
    const WifiNetworkRow *network = networkAt(row);
    return network && network->wifiId.isEmpty() && !network->adding;
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
    m_join = m_remind.connectWifiType() == 0;
    readStore(true);
    ticksFromValue();
    emit joinChanged();
    load();
}

void WIFIRemindPresenter::hide()
{
    // Rows never named do not survive the tab.
    const QList<quint64> order = m_order;
    for (quint64 key : order) {
        const WifiNetworkRow *network = networkByKey(key);
        if (network && network->name.isEmpty() && !network->object.isValid())
            removeRow(key);
    }
    if (Context *store = m_services.store) {
        const QList<WiFiRemind *> unnamed =
            store->findAllWhere<WiFiRemind>([](const WiFiRemind *w) { return w->name().isEmpty(); });
        if (!unnamed.isEmpty()) {
            for (WiFiRemind *w : unnamed)
                store->deleteObject(w);
            saveStore();
        }
    }
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
    const quint64 key = keyAtRow(row);
    WifiNetworkRow *network = this->row(key);
    network->name = name.trimmed();
    rowChanged(key);
    if (!network->name.isEmpty() && !network->alias.isEmpty())
        sendAdd(key);
}

void WIFIRemindPresenter::setAlias(int row, const QString &alias)
{
    if (m_done)
        return;
    const quint64 key = keyAtRow(row);
    WifiNetworkRow *network = this->row(key);
    if (!network || network->deleting || network->alias == alias.trimmed())
        return;
    network->alias = alias.trimmed();
    rowChanged(key);
    if (network->name.isEmpty() || network->alias.isEmpty())
        return;
    if (network->adding || network->modifying) {
        // One request per row at a time; the latest alias follows the one in flight.
        network->aliasDirty = true;
        return;
    }
    if (network->wifiId.isEmpty())
        sendAdd(key);
    else
        sendModify(key);
}

int WIFIRemindPresenter::addNetwork()
{
    if (m_done)
        return -1;
    WifiNetworkRow network;
    network.key = m_nextKey++;
    m_rows.insert(network.key, network);
    m_order << network.key;
    m_model->setKeys(m_order);
    const int r = rowOfKey(network.key);
    emit rowWanted(r);
    return r;
}

void WIFIRemindPresenter::chooseNearby(const QString &name)
{
    if (m_done || name.isEmpty())
        return;
    for (quint64 key : std::as_const(m_order)) {
        if (networkByKey(key)->name == name) {
            // Already saved: tick it rather than send it again.
            setTicked(rowOfKey(key), true);
            emit rowWanted(rowOfKey(key));
            return;
        }
    }
    WifiNetworkRow network;
    network.key = m_nextKey++;
    network.name = name;
    m_rows.insert(network.key, network);
    m_order << network.key;
    m_model->setKeys(m_order);
    emit rowWanted(rowOfKey(network.key));
    sendAdd(network.key);
}

void WIFIRemindPresenter::deleteNetwork(int row)
{
    if (m_done)
        return;
    const quint64 key = keyAtRow(row);
    WifiNetworkRow *network = this->row(key);
    if (!network || network->adding || network->deleting)
        return;
    if (!network->wifiId.isEmpty()) {
        sendDelete(key);
        return;
    }
    // Never on the service: it goes here only.
    if (network->object.isValid() && m_services.store) {
        if (WiFiRemind *w = m_services.store->existing<WiFiRemind>(network->object)) {
            m_services.store->deleteObject(w);
            saveStore();
        }
    }
    removeRow(key);
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
            if (m_services.feedback)
                m_services.feedback->showMessage(QStringLiteral("选中的无线没有设置名字"), asker());
            return;
        }
        // A network the service has not taken yet has no id to remind by.
        if (!network->wifiId.isEmpty())
            ids << network->wifiId;
    }
    m_done = true;
    m_busy.clear();
    if (!ids.isEmpty()) {
        NoteRemindModel result;
        result.setRemindActionType(2);
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
    m_busy.clear();
    emit closeRequested();
}

void WIFIRemindPresenter::load()
{
    if (!m_services.api)
        return;
    m_loading = true;
    emit loadingChanged();
    m_services.api->loadWiFiListWithSuccess(
        this,
        [this](const BaseSuccessModel &reply) {
            m_loading = false;
            emit loadingChanged();
            if (reply.isSuccess() && reply.hasArrayData())
                onLoaded(reply.data);
        },
        [this](const BaseErrorModel &) {
            m_loading = false;
            emit loadingChanged();
        });
}

void WIFIRemindPresenter::onLoaded(const QJsonValue &data)
{
    Context *store = m_services.store;
    if (!store || m_done)
        return;
    // The list replaces the saved networks, matched by "wifiId" so that kept rows keep their keys.
    QHash<QString, WiFiRemind *> saved;
    QList<WiFiRemind *> others;
    for (WiFiRemind *w : store->findAll<WiFiRemind>()) {
        if (w->wifiId().isEmpty() || saved.contains(w->wifiId()))
            others << w;
        else
            saved.insert(w->wifiId(), w);
    }
    QSet<WiFiRemind *> listed;
    for (const QJsonValue &v : data.toArray()) {
        const QJsonObject entry = v.toObject();
        const QString wifiId = textOf(entry.value(QStringLiteral("wifiId")));
        if (wifiId.isEmpty() || textOf(entry.value(QStringLiteral("actionType"))) == QLatin1String("3"))
            continue;
        WiFiRemind *w = saved.value(wifiId);
        if (!w || listed.contains(w)) {
            w = store->create<WiFiRemind>();
            saved.insert(wifiId, w);
        }
        listed.insert(w);
        w->importValuesForKeys(entry);
        w->setWifiId(wifiId);
    }
    QList<WiFiRemind *> gone = others;
    for (WiFiRemind *w : std::as_const(saved))
        if (!listed.contains(w))
            gone << w;
    for (WiFiRemind *w : std::as_const(gone))
        store->deleteObject(w);
    saveStore();
    // The list's order, as the service gives it.
    readStore(true);
    if (!m_ticksEdited)
        ticksFromValue();
}

void WIFIRemindPresenter::readStore(bool resort)
{
    Context *store = m_services.store;
    QList<WiFiRemind *> stored;
    if (store) {
        stored = store->findAll<WiFiRemind>();
        // Text order of the ids, as the service lists them; ties keep the store's order.
        std::stable_sort(stored.begin(), stored.end(),
                         [](const WiFiRemind *a, const WiFiRemind *b) { return a->wifiId() < b->wifiId(); });
    }
    QHash<ObjectId, quint64> keyOfObject;
    QHash<QString, quint64> keyOfId;
    for (const WifiNetworkRow &r : std::as_const(m_rows)) {
        if (r.object.isValid())
            keyOfObject.insert(r.object, r.key);
        else if (!r.wifiId.isEmpty())
            keyOfId.insert(r.wifiId, r.key);
    }
    QList<quint64> storedOrder;
    QSet<quint64> seen;
    for (const WiFiRemind *w : std::as_const(stored)) {
        if (w->name().isEmpty() && w->wifiId().isEmpty())
            continue;
        quint64 key = keyOfObject.value(w->objectId(), 0);
        if (!key && !w->wifiId().isEmpty())
            key = keyOfId.value(w->wifiId(), 0);
        if (key && seen.contains(key))
            key = 0;
        if (!key) {
            key = m_nextKey++;
            m_rows.insert(key, WifiNetworkRow{key, {}, {}, {}, {}, false, false, false, false});
        }
        seen.insert(key);
        WifiNetworkRow &r = m_rows[key];
        r.object = w->objectId();
        r.wifiId = w->wifiId();
        // A row being edited or sent keeps what the user typed.
        if (!r.adding && !r.modifying && !r.aliasDirty) {
            r.name = w->name();
            r.alias = w->alias();
        }
        storedOrder << key;
    }
    QList<quint64> order;
    if (resort) {
        // Saved networks first, then the rows not in the store in the order they were made.
        order = storedOrder;
        for (quint64 key : std::as_const(m_order))
            if (!seen.contains(key) && !m_rows[key].object.isValid())
                order << key;
    } else {
        // Rows stay where they are while the tab is shown; saved networks new to it come last.
        for (quint64 key : std::as_const(m_order))
            if (seen.contains(key) || !m_rows[key].object.isValid())
                order << key;
        for (quint64 key : std::as_const(storedOrder))
            if (!order.contains(key))
                order << key;
    }
    const QSet<quint64> kept(order.cbegin(), order.cend());
    for (auto it = m_rows.begin(); it != m_rows.end();) {
        if (kept.contains(it.key())) {
            ++it;
        } else {
            m_ticks.removeAll(it.key());
            m_busy.erase(it.key());
            it = m_rows.erase(it);
        }
    }
    m_order = order;
    m_model->setKeys(m_order);
    for (quint64 key : std::as_const(m_order))
        m_model->keyChanged(key);
    m_model->ticksChanged();
}

void WIFIRemindPresenter::onStoreChanged(const StoreChanges &changes)
{
    if (changes.replaced || !changes.entity(WiFiRemind::entity().name).isEmpty())
        readStore();
}

void WIFIRemindPresenter::ticksFromValue()
{
    m_ticks.clear();
    const QString ids = m_remind.connectWifiIds();
    if (WiFiRemindManager::isAnyNetwork(ids)) {
        m_ticks << AnyKey;
    } else {
        for (const QString &id : WiFiRemindManager::wifiIdList(ids)) {
            for (quint64 key : std::as_const(m_order)) {
                if (m_rows[key].wifiId == id) {
                    if (!m_ticks.contains(key))
                        m_ticks << key;
                    break;
                }
            }
        }
    }
    m_model->ticksChanged();
}

void WIFIRemindPresenter::sendAdd(quint64 key)
{
    WifiNetworkRow *network = row(key);
    if (!network || network->name.isEmpty() || network->adding || !network->wifiId.isEmpty() ||
        !m_services.api)
        return;
    network->adding = true;
    network->aliasDirty = false;
    const QString name = network->name;
    const QString alias = network->alias;
    ApiNetWorking::Params params{{QStringLiteral("name"), name}};
    if (!alias.isEmpty())
        params.insert(QStringLiteral("alias"), alias);
    m_busy.insert_or_assign(key, BusyGuard(m_anchor ? m_anchor : this, m_services.feedback));
    rowChanged(key);
    const auto finished = [this, key] {
        m_busy.erase(key);
        if (WifiNetworkRow *r = row(key)) {
            r->adding = false;
            rowChanged(key);
        }
    };
    m_services.api->addWiFiWithParams(
        params, this,
        [this, key, name, alias, finished](const BaseSuccessModel &reply) {
            finished();
            WifiNetworkRow *r = row(key);
            const QString wifiId = textOf(reply.dataObject().value(QStringLiteral("wifiId")));
            if (!r || !reply.isSuccess() || wifiId.isEmpty())
                return;
            // The id goes onto the row that was sent, never onto another of the same name.
            Context *store = m_services.store;
            WiFiRemind *w = store && r->object.isValid() ? store->existing<WiFiRemind>(r->object) : nullptr;
            if (store && !w)
                w = store->create<WiFiRemind>();
            r->wifiId = wifiId;
            const bool again = r->aliasDirty && r->alias != alias && !r->alias.isEmpty();
            if (w) {
                w->setWifiId(wifiId);
                w->setName(name);
                w->setAlias(alias);
                r->object = w->objectId();
                // An alias typed meanwhile (aliasDirty) outlives the refresh that the save brings.
                saveStore();
            }
            if (WifiNetworkRow *after = row(key)) {
                rowChanged(key);
                if (again)
                    sendModify(key);
                else
                    after->aliasDirty = false;
            }
        },
        [finished](const BaseErrorModel &) { finished(); });
}

void WIFIRemindPresenter::sendModify(quint64 key)
{
    WifiNetworkRow *network = row(key);
    if (!network || network->wifiId.isEmpty() || network->name.isEmpty() || !m_services.api)
        return;
    network->modifying = true;
    network->aliasDirty = false;
    const QString name = network->name;
    const QString alias = network->alias;
    rowChanged(key);
    const auto finished = [this, key](bool ok, const QString &sent) {
        WifiNetworkRow *r = row(key);
        if (!r)
            return;
        const bool again = r->aliasDirty && r->alias != sent && !r->alias.isEmpty();
        Context *store = m_services.store;
        if (ok && store && r->object.isValid()) {
            if (WiFiRemind *w = store->existing<WiFiRemind>(r->object)) {
                w->setAlias(sent);
                // Still modifying: the refresh that the save brings keeps the alias typed meanwhile.
                saveStore();
            }
        }
        r = row(key);
        if (!r)
            return;
        r->modifying = false;
        if (again) {
            sendModify(key);
            return;
        }
        r->aliasDirty = false;
        if (!ok) {
            // Refused: the row shows the saved alias again.
            readStore();
        }
        rowChanged(key);
    };
    m_services.api->modifyWiFiWithParams(
        {{QStringLiteral("name"), name}, {QStringLiteral("alias"), alias}}, this,
        [finished, alias](const BaseSuccessModel &reply) { finished(reply.isSuccess(), alias); },
        [finished, alias](const BaseErrorModel &) { finished(false, alias); });
}

void WIFIRemindPresenter::sendDelete(quint64 key)
{
    WifiNetworkRow *network = row(key);
    if (!network || !m_services.api)
        return;
    network->deleting = true;
    rowChanged(key);
    // The network is the one chosen now, whatever is selected when the answer comes.
    const ObjectId object = network->object;
    const auto finished = [this, key, object](bool ok) {
        if (ok && m_services.store && object.isValid()) {
            if (WiFiRemind *w = m_services.store->existing<WiFiRemind>(object)) {
                m_services.store->deleteObject(w);
                saveStore();
            }
        }
        if (WifiNetworkRow *r = row(key)) {
            r->deleting = false;
            if (ok)
                removeRow(key);
            else
                rowChanged(key);
        }
    };
    m_services.api->deleteWiFiWithParams(
        {{QStringLiteral("name"), network->name}}, this,
        [finished](const BaseSuccessModel &reply) { finished(reply.isSuccess()); },
        [finished](const BaseErrorModel &) { finished(false); });
}

void WIFIRemindPresenter::removeRow(quint64 key)
{
    m_rows.remove(key);
    m_order.removeAll(key);
    m_ticks.removeAll(key);
    m_busy.erase(key);
    m_model->setKeys(m_order);
}

void WIFIRemindPresenter::saveStore()
{
    // A failed save keeps its changes pending for the next one; the context has logged why.
    if (const SaveResult result = m_services.store->saveAndWait(); !result)
        qWarning("Wi-Fi networks not saved: %s", qPrintable(result.error));
}

void WIFIRemindPresenter::rowChanged(quint64 key)
{
    m_model->keyChanged(key);
}
