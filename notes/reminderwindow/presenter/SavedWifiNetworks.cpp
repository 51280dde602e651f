#include "notes/reminderwindow/presenter/SavedWifiNetworks.h"

#include "app/services/StoreSaver.h"
#include "core/model/RowAction.h"
#include "core/model/WiFiRemind.h"
#include "platform/store/Context.h"
#include "platform/store/StoreChanges.h"
#include "service/api/ApiNetWorking.h"
#include "service/api/ReplyValue.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QSet>

#include <algorithm>

SavedWifiNetworks::SavedWifiNetworks(Context *store, ApiNetWorking *api, UserFeedback *feedback,
                                     QObject *parent)
    : QObject(parent), m_store(store), m_api(api), m_feedback(feedback)
{
    if (m_store)
        connect(m_store, &Context::changesSaved, this, &SavedWifiNetworks::onStoreChanged);
}

SavedWifiNetworks::~SavedWifiNetworks() = default;

const WifiNetworkRow *SavedWifiNetworks::network(quint64 key) const
{
    const auto it = m_rows.constFind(key);
    return it == m_rows.cend() ? nullptr : &it.value();
}

WifiNetworkRow *SavedWifiNetworks::row(quint64 key)
{
    const auto it = m_rows.find(key);
    return it == m_rows.end() ? nullptr : &it.value();
}

bool SavedWifiNetworks::isNameEditable(quint64 key) const
{
    const WifiNetworkRow *r = network(key);
    return r && r->wifiId.isEmpty() && !r->adding;
}

void SavedWifiNetworks::dropUnnamed()
{
    const QList<quint64> order = m_order;
    for (quint64 key : order) {
        const WifiNetworkRow *r = network(key);
        if (r && r->name.isEmpty() && !r->object.isValid())
            removeRow(key);
    }
    if (m_store) {
        const QList<WiFiRemind *> unnamed =
            m_store->findAllWhere<WiFiRemind>([](const WiFiRemind *w) { return w->name().isEmpty(); });
        if (!unnamed.isEmpty()) {
            for (WiFiRemind *w : unnamed)
                m_store->deleteObject(w);
            saveStore();
        }
    }
}

quint64 SavedWifiNetworks::append(const QString &name)
{
    WifiNetworkRow r;
    r.key = m_nextKey++;
    r.name = name;
    m_rows.insert(r.key, r);
    m_order << r.key;
    emit keysChanged();
    if (!name.isEmpty())
        sendAdd(r.key);
    return r.key;
}

void SavedWifiNetworks::setName(quint64 key, const QString &name)
{
    if (!isNameEditable(key))
        return;
    WifiNetworkRow *r = row(key);
    r->name = name.trimmed();
    emit itemChanged(key);
    if (!r->name.isEmpty() && !r->alias.isEmpty())
        sendAdd(key);
}

void SavedWifiNetworks::setAlias(quint64 key, const QString &alias)
{
    WifiNetworkRow *r = row(key);
    if (!r || r->deleting || r->alias == alias.trimmed())
        return;
    r->alias = alias.trimmed();
    emit itemChanged(key);
    if (r->name.isEmpty() || r->alias.isEmpty())
        return;
    if (r->adding || r->modifying) {
        // One request per row at a time; the latest alias follows the one in flight.
        r->aliasDirty = true;
        return;
    }
    if (r->wifiId.isEmpty())
        sendAdd(key);
    else
        sendModify(key);
}

void SavedWifiNetworks::remove(quint64 key)
{
    WifiNetworkRow *r = row(key);
    if (!r || r->adding || r->deleting)
        return;
    if (!r->wifiId.isEmpty()) {
        sendDelete(key);
        return;
    }
    // Never on the service: it goes here only.
    if (r->object.isValid() && m_store) {
        if (WiFiRemind *w = m_store->existing<WiFiRemind>(r->object)) {
            m_store->deleteObject(w);
            saveStore();
        }
    }
    removeRow(key);
}

void SavedWifiNetworks::finish()
{
    m_finished = true;
    m_busy.clear();
}

void SavedWifiNetworks::load()
{
    if (!m_api)
        return;
    m_loading = true;
    emit loadingChanged();
    m_api->loadWiFiListWithSuccess(
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

void SavedWifiNetworks::onLoaded(const QJsonValue &data)
{
    if (!m_store || m_finished)
        return;
    // The list replaces the saved networks, matched by "wifiId" so that kept rows keep their keys.
    QHash<QString, WiFiRemind *> saved;
    QList<WiFiRemind *> others;
    for (WiFiRemind *w : m_store->findAll<WiFiRemind>()) {
        if (w->wifiId().isEmpty() || saved.contains(w->wifiId()))
            others << w;
        else
            saved.insert(w->wifiId(), w);
    }
    QSet<WiFiRemind *> listed;
    for (const QJsonValue &v : data.toArray()) {
        const QJsonObject entry = v.toObject();
        const QString wifiId = ReplyValue::idText(entry.value(QStringLiteral("wifiId")));
        if (wifiId.isEmpty() ||
            ReplyValue::code(entry.value(QStringLiteral("actionType"))) == RowAction::Deleted)
            continue;
        WiFiRemind *w = saved.value(wifiId);
        if (!w || listed.contains(w)) {
            w = m_store->create<WiFiRemind>();
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
        m_store->deleteObject(w);
    saveStore();
    // The list's order, as the service gives it.
    readStore(true);
    emit listLoaded();
}

void SavedWifiNetworks::readStore(bool resort)
{
    QList<WiFiRemind *> stored;
    if (m_store) {
        stored = m_store->findAll<WiFiRemind>();
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
            m_busy.erase(it.key());
            it = m_rows.erase(it);
        }
    }
    m_order = order;
    emit itemsChanged();
}

void SavedWifiNetworks::onStoreChanged(const StoreChanges &changes)
{
    if (changes.replaced || !changes.entity(WiFiRemind::entity().name).isEmpty())
        readStore();
}

void SavedWifiNetworks::sendAdd(quint64 key)
{
    WifiNetworkRow *network = row(key);
    if (!network || network->name.isEmpty() || network->adding || !network->wifiId.isEmpty() || !m_api)
        return;
    network->adding = true;
    network->aliasDirty = false;
    const QString name = network->name;
    const QString alias = network->alias;
    ApiNetWorking::Params params{{QStringLiteral("name"), name}};
    if (!alias.isEmpty())
        params.insert(QStringLiteral("alias"), alias);
    m_busy.insert_or_assign(key, BusyGuard(m_anchor ? m_anchor : this, m_feedback));
    emit itemChanged(key);
    const auto finished = [this, key] {
        m_busy.erase(key);
        if (WifiNetworkRow *r = row(key)) {
            r->adding = false;
            emit itemChanged(key);
        }
    };
    m_api->addWiFiWithParams(
        params, this,
        [this, key, name, alias, finished](const BaseSuccessModel &reply) {
            finished();
            WifiNetworkRow *r = row(key);
            const QString wifiId = ReplyValue::idText(reply.dataObject().value(QStringLiteral("wifiId")));
            if (!r || !reply.isSuccess() || wifiId.isEmpty())
                return;
            // The id goes onto the row that was sent, never onto another of the same name.
            WiFiRemind *w =
                m_store && r->object.isValid() ? m_store->existing<WiFiRemind>(r->object) : nullptr;
            if (m_store && !w)
                w = m_store->create<WiFiRemind>();
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
                emit itemChanged(key);
                if (again)
                    sendModify(key);
                else
                    after->aliasDirty = false;
            }
        },
        [finished](const BaseErrorModel &) { finished(); });
}

void SavedWifiNetworks::sendModify(quint64 key)
{
    WifiNetworkRow *network = row(key);
    if (!network || network->wifiId.isEmpty() || network->name.isEmpty() || !m_api)
        return;
    network->modifying = true;
    network->aliasDirty = false;
    const QString name = network->name;
    const QString alias = network->alias;
    emit itemChanged(key);
    const auto finished = [this, key](bool ok, const QString &sent) {
        WifiNetworkRow *r = row(key);
        if (!r)
            return;
        const bool again = r->aliasDirty && r->alias != sent && !r->alias.isEmpty();
        if (ok && m_store && r->object.isValid()) {
            if (WiFiRemind *w = m_store->existing<WiFiRemind>(r->object)) {
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
        emit itemChanged(key);
    };
    m_api->modifyWiFiWithParams(
        {{QStringLiteral("name"), name}, {QStringLiteral("alias"), alias}}, this,
        [finished, alias](const BaseSuccessModel &reply) { finished(reply.isSuccess(), alias); },
        [finished, alias](const BaseErrorModel &) { finished(false, alias); });
}

void SavedWifiNetworks::sendDelete(quint64 key)
{
    WifiNetworkRow *network = row(key);
    if (!network || !m_api)
        return;
    network->deleting = true;
    emit itemChanged(key);
    // The network is the one chosen now, whatever is selected when the answer comes.
    const ObjectId object = network->object;
    const auto finished = [this, key, object](bool ok) {
        if (ok && m_store && object.isValid()) {
            if (WiFiRemind *w = m_store->existing<WiFiRemind>(object)) {
                m_store->deleteObject(w);
                saveStore();
            }
        }
        if (WifiNetworkRow *r = row(key)) {
            r->deleting = false;
            if (ok)
                removeRow(key);
            else
                emit itemChanged(key);
        }
    };
    m_api->deleteWiFiWithParams(
        {{QStringLiteral("name"), network->name}}, this,
        [finished](const BaseSuccessModel &reply) { finished(reply.isSuccess()); },
        [finished](const BaseErrorModel &) { finished(false); });
}

void SavedWifiNetworks::removeRow(quint64 key)
{
    m_rows.remove(key);
    m_order.removeAll(key);
    m_busy.erase(key);
    emit keysChanged();
}

void SavedWifiNetworks::saveStore()
{
    // A failed save keeps its changes pending for the next one; the user is told.
    if (const SaveResult result = m_store->saveAndWait(); !result) {
        qWarning("Wi-Fi networks not saved: %s", qPrintable(result.error));
        m_feedback->showMessage(StoreSaver::failedText(), UserFeedback::Asker{});
    }
}
