#include "app/services/Services.h"
#include "core/model/WiFiRemind.h"
#include "notes/reminderwindow/presenter/SavedWifiNetworks.h"
#include "notes/reminderwindow/presenter/WIFIRemindPresenter.h"
#include "notes/reminderwindow/presenter/WifiNetworkListModel.h"
#include "platform/store/Context.h"
#include "tests/service/ServiceFixture.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestGraph.h"
#include "tests/support/doubles/FakeNetworkMonitor.h"

#include <QJsonArray>
#include <QSignalSpy>

#include <memory>

Q_DECLARE_METATYPE(NoteRemindModel)

namespace {

const QString AddPath = QStringLiteral("user/wifi/add");
const QString ModifyPath = QStringLiteral("user/wifi/modify");
const QString DeletePath = QStringLiteral("user/wifi/delete");
const QString ListPath = QStringLiteral("user/wifi/list");

QJsonObject network(const char *id, const char *name, const QString &alias = {})
{
    return {{"wifiId", id}, {"name", name}, {"alias", alias}};
}

NoteRemindModel wifiValue(const QString &ids, qint64 type = 0)
{
    NoteRemindModel m;
    m.setRemindActionType(2);
    m.setConnectWifiIds(ids);
    m.setConnectWifiType(type);
    return m;
}

StandinFault fault(StandinFault::Kind kind)
{
    StandinFault f;
    f.kind = kind;
    f.code = 500;
    f.msg = QStringLiteral("服务繁忙");
    return f;
}

} // namespace

class TestWifiRemindPresenter : public QObject
{
    Q_OBJECT

    StoreFixture m_store;
    std::unique_ptr<ServiceFixture> f;
    FakeNetworkMonitor m_networks;
    std::unique_ptr<TestGraph> m_graph;
    std::unique_ptr<WIFIRemindPresenter> p;

    Context *ctx() const { return m_store.ctx(); }

    // The presenter on this value, shown, with the service's list loaded.
    void open(const NoteRemindModel &value)
    {
        const Services &s = m_graph->services();
        p = std::make_unique<WIFIRemindPresenter>(value, new SavedWifiNetworks(s.store, s.api, s.feedback),
                                                  s.feedback, &m_networks);
        p->show();
        QTRY_VERIFY_WITH_TIMEOUT(!p->isLoading(), 5000);
    }

    // Names of the rows below "任意无线", and the rows ticked.
    QStringList names() const
    {
        QStringList out;
        for (int r = 1; r < p->rowCount(); ++r)
            out << p->networkAt(r)->name;
        return out;
    }
    QList<int> ticked() const
    {
        QList<int> out;
        for (int r = 0; r < p->rowCount(); ++r)
            if (p->isTicked(r))
                out << r;
        return out;
    }
    int rowNamed(const QString &name) const
    {
        for (int r = 1; r < p->rowCount(); ++r)
            if (p->networkAt(r)->name == name)
                return r;
        return -1;
    }
    QStringList storedIds()
    {
        QStringList ids;
        for (const WiFiRemind *w : ctx()->findAll<WiFiRemind>())
            ids << w->wifiId() + QLatin1Char('=') + w->name();
        ids.sort();
        return ids;
    }
    void waitFor(const QString &path, int count)
    {
        QTRY_COMPARE_WITH_TIMEOUT(f->service->requestCount(path), count, 5000);
        // Let the reply reach the presenter.
        QTest::qWait(50);
    }
    // Confirms and gives the value handed back, if any.
    std::optional<NoteRemindModel> confirm(bool *closed = nullptr)
    {
        QSignalSpy confirmed(p.get(), &WIFIRemindPresenter::confirmed);
        QSignalSpy closing(p.get(), &WIFIRemindPresenter::closeRequested);
        p->confirm();
        if (closed)
            *closed = closing.count() == 1;
        if (confirmed.isEmpty())
            return std::nullopt;
        return confirmed.first().first().value<NoteRemindModel>();
    }

private slots:
    void init()
    {
        QVERIFY(m_store.open(QDateTime(QDate(2026, 12, 9), QTime(10, 15))));
        f = std::make_unique<ServiceFixture>();
        QVERIFY(f->signIn());
        f->tester().wifis =
            QJsonArray{network("12", "Home-WiFi", QStringLiteral("家里")),
                       network("15", "Office-5G", QStringLiteral("公司")), network("9", "Cafe")};
        m_graph = std::make_unique<TestGraph>(m_store, ProgramServices::Parts()
                                                           .use(f->feedback.get())
                                                           .use(f->notifications.get())
                                                           .use(&m_networks)
                                                           .use(f->keychain.get())
                                                           .use(f->api.get()));
        m_networks.setScannedWiFiNames({});
    }
    void cleanup()
    {
        p.reset();
        m_graph.reset();
        f.reset();
        m_store.close();
    }

    // The service's list replaces the store's networks, in the text order of their ids; the value's ids
    // tick the networks they name.
    void loadingTicksTheValuesNetworks_data()
    {
        QTest::addColumn<QString>("ids");
        QTest::addColumn<QStringList>("tickedNames");
        QTest::newRow("any network") << "0" << QStringList{QStringLiteral("任意无线")};
        QTest::newRow("two listed") << "12,15" << QStringList{"Home-WiFi", "Office-5G"};
        QTest::newRow("one no longer listed") << "12,99" << QStringList{"Home-WiFi"};
        QTest::newRow("none listed") << "99" << QStringList{};
        QTest::newRow("a date reminder") << "" << QStringList{};
    }
    void loadingTicksTheValuesNetworks()
    {
        QFETCH(QString, ids);
        QFETCH(QStringList, tickedNames);
        auto *stale = ctx()->create<WiFiRemind>();
        stale->setWifiId(QStringLiteral("5"));
        stale->setName(QStringLiteral("Gone"));
        QVERIFY(ctx()->saveAndWait());

        open(wifiValue(ids));
        QCOMPARE(names(), (QStringList{"Home-WiFi", "Office-5G", "Cafe"}));
        QCOMPARE(storedIds(), (QStringList{"12=Home-WiFi", "15=Office-5G", "9=Cafe"}));
        QStringList got;
        for (int r : ticked())
            got << p->model()->index(r, WifiNetworkListModel::NameColumn).data().toString();
        QCOMPARE(got, tickedNames);
    }

    // Without the service the store's networks are shown and ticked; a failed list changes nothing.
    void failedLoadKeepsTheStoredNetworks()
    {
        auto *saved = ctx()->create<WiFiRemind>();
        saved->setWifiId(QStringLiteral("15"));
        saved->setName(QStringLiteral("Office-5G"));
        QVERIFY(ctx()->saveAndWait());
        f->service->setFault(ListPath, fault(StandinFault::Kind::ReplyCode));

        open(wifiValue(QStringLiteral("15")));
        QCOMPARE(f->service->requestCount(ListPath), 1);
        QCOMPARE(names(), QStringList{"Office-5G"});
        QCOMPARE(ticked(), QList<int>{1});
        QCOMPARE(storedIds(), QStringList{"15=Office-5G"});
    }

    // "任意无线" and chosen networks exclude each other; ticks are handed back in the order made.
    void ticksAndTheirValue()
    {
        open(wifiValue(QStringLiteral("0"), 1));
        QVERIFY(!p->isJoin());
        p->setTicked(rowNamed("Office-5G"), true);
        QCOMPARE(ticked(), QList<int>{rowNamed("Office-5G")});
        p->setTicked(rowNamed("Home-WiFi"), true);
        p->setTicked(0, true);
        QCOMPARE(ticked(), QList<int>{0});
        p->setTicked(0, false);
        p->setTicked(rowNamed("Office-5G"), true);
        p->setTicked(rowNamed("Home-WiFi"), true);
        p->setTicked(rowNamed("Cafe"), true);
        p->setTicked(rowNamed("Cafe"), false);
        p->setJoin(true);

        bool closed = false;
        const auto value = confirm(&closed);
        QVERIFY(closed);
        QVERIFY(value);
        QCOMPARE(value->connectWifiIds(), QStringLiteral("15,12"));
        QCOMPARE(value->connectWifiType(), 0);
        QCOMPARE(value->remindActionType(), 2u);
        QVERIFY(value->remindStartTime().isNull());
        QVERIFY(value->remindRealDateTime().isNull());
    }

    // The trigger radios start from the value, so that a leave reminder confirmed again stays one.
    void triggerFollowsTheValue_data()
    {
        QTest::addColumn<qint64>("type");
        QTest::addColumn<bool>("join");
        QTest::newRow("join") << qint64(0) << true;
        QTest::newRow("leave") << qint64(1) << false;
        QTest::newRow("other") << qint64(7) << false;
    }
    void triggerFollowsTheValue()
    {
        QFETCH(qint64, type);
        QFETCH(bool, join);
        open(wifiValue(QStringLiteral("12"), type));
        QCOMPARE(p->isJoin(), join);
        const auto value = confirm();
        QVERIFY(value);
        QCOMPARE(value->connectWifiType(), join ? 0 : 1);
        QCOMPARE(value->connectWifiIds(), QStringLiteral("12"));
    }

    // No tick hands nothing back; a ticked network without a name is refused and the tab stays; one the
    // service has not taken contributes nothing, never an empty id.
    void confirmWithoutUsableTicks()
    {
        f->service->setFault(AddPath, fault(StandinFault::Kind::ReplyCode));
        open(wifiValue(QString()));
        bool closed = false;
        QVERIFY(!confirm(&closed));
        QVERIFY(closed);

        open(wifiValue(QString()));
        const int draft = p->addNetwork();
        p->setTicked(draft, true);
        QVERIFY(!confirm(&closed));
        QVERIFY(!closed);
        QCOMPARE(f->feedback->messages().last(), QStringLiteral("选中的无线没有设置名字"));

        p->setName(draft, QStringLiteral("Refused"));
        p->setAlias(draft, QStringLiteral("拒绝"));
        waitFor(AddPath, 1);
        QVERIFY(p->networkAt(draft)->wifiId.isEmpty());
        QVERIFY(!confirm(&closed));
        QVERIFY(closed);

        open(wifiValue(QString()));
        const int other = p->addNetwork();
        p->setName(other, QStringLiteral("Refused"));
        p->setAlias(other, QStringLiteral("拒绝"));
        waitFor(AddPath, 2);
        p->setTicked(other, true);
        p->setTicked(rowNamed("Cafe"), true);
        const auto value = confirm();
        QVERIFY(value);
        QCOMPARE(value->connectWifiIds(), QStringLiteral("9"));
    }

    // A row typed in goes to the service once it has both a name and an alias, once while the add is in
    // flight; the id goes onto that row, also when another saved network has the same name.
    void addingByHand()
    {
        open(wifiValue(QString()));
        const int row = p->addNetwork();
        QCOMPARE(row, 4);
        QVERIFY(p->isNameEditable(row));
        p->setName(row, QStringLiteral("Home-WiFi"));
        QTest::qWait(50);
        QCOMPARE(f->service->requestCount(AddPath), 0);

        f->service->setFault(AddPath, fault(StandinFault::Kind::NoAnswer));
        p->setAlias(row, QStringLiteral("父母家"));
        QTRY_COMPARE_WITH_TIMEOUT(f->service->requestCount(AddPath), 1, 5000);
        QCOMPARE(f->feedback->busyCount(), 1);
        QVERIFY(!p->isNameEditable(row));
        QVERIFY(!(p->model()->flags(p->model()->index(row, WifiNetworkListModel::NameColumn)) &
                  Qt::ItemIsEnabled));
        p->setAlias(row, QStringLiteral("老家"));
        p->setName(row, QStringLiteral("Other"));
        QTest::qWait(100);
        QCOMPARE(f->service->requestCount(AddPath), 1);
        const StandinRequest sent = f->service->requests().last();
        QCOMPARE(sent.params.value("name").toString(), QStringLiteral("Home-WiFi"));
        QCOMPARE(sent.params.value("alias").toString(), QStringLiteral("父母家"));
    }

    void addedIdGoesOntoTheRowSent()
    {
        open(wifiValue(QString()));
        const int row = p->addNetwork();
        p->setName(row, QStringLiteral("Home-WiFi"));
        p->setAlias(row, QStringLiteral("父母家"));
        waitFor(AddPath, 1);
        QCOMPARE(f->feedback->busyCount(), 0);
        const QString newId = p->networkAt(row)->wifiId;
        QVERIFY(!newId.isEmpty());
        QVERIFY(newId != QLatin1String("12"));
        QVERIFY(!p->isNameEditable(row));
        const Qt::ItemFlags flags =
            p->model()->flags(p->model()->index(row, WifiNetworkListModel::NameColumn));
        QVERIFY(flags & Qt::ItemIsEnabled);
        QVERIFY(!(flags & Qt::ItemIsEditable));
        QCOMPARE(ctx()->findFirstByAttribute<WiFiRemind>(QStringLiteral("wifiId"), "12")->alias(),
                 QStringLiteral("家里"));
        const WiFiRemind *added = ctx()->findFirstByAttribute<WiFiRemind>(QStringLiteral("wifiId"), newId);
        QVERIFY(added);
        QCOMPARE(added->name(), QStringLiteral("Home-WiFi"));
        QCOMPARE(added->alias(), QStringLiteral("父母家"));
    }

    // An alias typed while the add was in flight follows it as a rename.
    void aliasTypedDuringTheAddFollowsIt()
    {
        open(wifiValue(QString()));
        const int row = p->addNetwork();
        p->setName(row, QStringLiteral("Garden"));
        p->setAlias(row, QStringLiteral("花园"));
        p->setAlias(row, QStringLiteral("后院"));
        waitFor(ModifyPath, 1);
        QCOMPARE(f->service->requestCount(AddPath), 1);
        QCOMPARE(f->service->requests().last().params.value("alias").toString(), QStringLiteral("后院"));
        const WiFiRemind *w = ctx()->findFirstByAttribute<WiFiRemind>(QStringLiteral("name"), "Garden");
        QCOMPARE(w->alias(), QStringLiteral("后院"));
        QCOMPARE(p->networkAt(row)->alias, QStringLiteral("后院"));
    }

    // A nearby network already listed is ticked and not sent; another is added at once by its name.
    void choosingNearbyNetworks()
    {
        m_networks.setScannedWiFiNames({"Cafe", "", "Library", "Cafe"});
        open(wifiValue(QString()));
        QCOMPARE(p->nearbyNetworks(), (QStringList{"Cafe", "Library"}));
        QSignalSpy wanted(p.get(), &WIFIRemindPresenter::rowWanted);
        p->chooseNearby(QStringLiteral("Cafe"));
        QCOMPARE(names().count("Cafe"), 1);
        QCOMPARE(ticked(), QList<int>{rowNamed("Cafe")});
        QCOMPARE(wanted.last().first().toInt(), rowNamed("Cafe"));

        p->chooseNearby(QStringLiteral("Library"));
        waitFor(AddPath, 1);
        const StandinRequest sent = f->service->requests().last();
        QCOMPARE(sent.params.value("name").toString(), QStringLiteral("Library"));
        QVERIFY(!sent.params.contains("alias"));
        QVERIFY(!p->networkAt(rowNamed("Library"))->wifiId.isEmpty());
        QCOMPARE(f->service->requestCount(AddPath), 1);
    }

    // Renaming goes to the service; the store takes the alias once it is accepted, a refusal shows the
    // saved one again.
    void renaming_data()
    {
        QTest::addColumn<bool>("refused");
        QTest::newRow("accepted") << false;
        QTest::newRow("refused") << true;
    }
    void renaming()
    {
        QFETCH(bool, refused);
        if (refused)
            f->service->setFault(ModifyPath, fault(StandinFault::Kind::ReplyCode));
        open(wifiValue(QString()));
        const int row = rowNamed("Office-5G");
        QVERIFY(!p->isNameEditable(row));
        p->setName(row, QStringLiteral("Changed"));
        QCOMPARE(p->networkAt(row)->name, QStringLiteral("Office-5G"));
        p->setAlias(row, QStringLiteral("新公司"));
        waitFor(ModifyPath, 1);
        const QString expected = refused ? QStringLiteral("公司") : QStringLiteral("新公司");
        QCOMPARE(ctx()->findFirstByAttribute<WiFiRemind>(QStringLiteral("wifiId"), "15")->alias(), expected);
        QCOMPARE(p->networkAt(row)->alias, expected);
        if (!refused)
            QCOMPARE(f->tester().wifis.at(1).toObject().value("alias").toString(), expected);
    }

    // Each delete removes the network chosen when it was sent, whatever rows change before the answer;
    // ticks stay on their networks.
    void deletingFollowsTheNetworks()
    {
        open(wifiValue(QStringLiteral("9")));
        QCOMPARE(names(), (QStringList{"Home-WiFi", "Office-5G", "Cafe"}));
        QCOMPARE(ticked(), QList<int>{3});
        p->deleteNetwork(1);
        p->deleteNetwork(2);
        p->deleteNetwork(0);
        waitFor(DeletePath, 2);
        QCOMPARE(names(), QStringList{"Cafe"});
        QCOMPARE(storedIds(), QStringList{"9=Cafe"});
        QCOMPARE(f->tester().wifis.size(), 1);
        QCOMPARE(ticked(), QList<int>{1});
        const auto value = confirm();
        QVERIFY(value);
        QCOMPARE(value->connectWifiIds(), QStringLiteral("9"));
    }

    void failedDeleteChangesNothing()
    {
        f->service->setFault(DeletePath, fault(StandinFault::Kind::ReplyCode));
        open(wifiValue(QStringLiteral("12")));
        p->deleteNetwork(1);
        waitFor(DeletePath, 1);
        QCOMPARE(names(), (QStringList{"Home-WiFi", "Office-5G", "Cafe"}));
        QCOMPARE(ticked(), QList<int>{1});
        QCOMPARE(ctx()->count<WiFiRemind>(), 3);
    }

    // Rows never sent are deleted here only; rows never named go when the tab is hidden.
    void rowsNotOnTheService()
    {
        open(wifiValue(QString()));
        const int named = p->addNetwork();
        p->setName(named, QStringLiteral("Draft"));
        p->addNetwork();
        p->addNetwork();
        QCOMPARE(p->rowCount(), 7);
        p->deleteNetwork(6);
        QCOMPARE(p->rowCount(), 6);
        p->hide();
        QCOMPARE(names(), (QStringList{"Home-WiFi", "Office-5G", "Cafe", "Draft"}));
        p->deleteNetwork(4);
        QCOMPARE(names(), (QStringList{"Home-WiFi", "Office-5G", "Cafe"}));
        QTest::qWait(50);
        QCOMPARE(f->service->requestCount(DeletePath), 0);
        QCOMPARE(f->service->requestCount(AddPath), 0);
    }

    // A pull that changes the saved networks while the tab is open: rows follow, ticks stay on theirs.
    void storeChangesReachTheList()
    {
        open(wifiValue(QStringLiteral("15")));
        auto *home = ctx()->findFirstByAttribute<WiFiRemind>(QStringLiteral("wifiId"), "12");
        ctx()->deleteObject(home);
        auto *added = ctx()->create<WiFiRemind>();
        added->setWifiId(QStringLiteral("10"));
        added->setName(QStringLiteral("Attic"));
        QVERIFY(ctx()->saveAndWait());
        QCOMPARE(names(), (QStringList{"Office-5G", "Cafe", "Attic"}));
        QCOMPARE(p->model()->rowCount(), 4);
        QCOMPARE(ticked(), QList<int>{1});
        // The next showing puts them in the order of their ids.
        p->show();
        QTRY_VERIFY_WITH_TIMEOUT(!p->isLoading(), 5000);
        QCOMPARE(names(), (QStringList{"Home-WiFi", "Office-5G", "Cafe"}));
    }

    // Closing the window with requests in flight: their answers are dropped, the spinner goes.
    void closedWithRequestsInFlight()
    {
        open(wifiValue(QString()));
        const int row = p->addNetwork();
        p->setName(row, QStringLiteral("Late"));
        p->setAlias(row, QStringLiteral("迟到"));
        p->deleteNetwork(rowNamed("Cafe"));
        p->show();
        QCOMPARE(f->feedback->busyCount(), 1);
        p.reset();
        QCOMPARE(f->feedback->busyCount(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(f->service->requestCount(AddPath), 1, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(f->service->requestCount(DeletePath), 1, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(f->service->requestCount(ListPath), 2, 5000);
        QTest::qWait(100);
        QCOMPARE(storedIds(), (QStringList{"12=Home-WiFi", "15=Office-5G", "9=Cafe"}));
    }

    // The saved networks on their own: each change of their rows is told, by key, and keys survive
    // changes of other rows; once finished, a list arriving later is not applied.
    void savedNetworksTellTheirChanges()
    {
        SavedWifiNetworks saved(ctx(), f->api.get(), f->feedback.get());
        QSignalSpy keys(&saved, &SavedWifiNetworks::keysChanged);
        QSignalSpy items(&saved, &SavedWifiNetworks::itemsChanged);
        QSignalSpy item(&saved, &SavedWifiNetworks::itemChanged);
        QSignalSpy loaded(&saved, &SavedWifiNetworks::listLoaded);
        const auto namesOf = [&saved] {
            QStringList out;
            for (quint64 key : saved.keys())
                out << saved.network(key)->name;
            return out;
        };
        saved.load();
        QVERIFY(saved.isLoading());
        QTRY_COMPARE_WITH_TIMEOUT(loaded.count(), 1, 5000);
        QVERIFY(!saved.isLoading());
        QVERIFY(!items.isEmpty());
        QCOMPARE(namesOf(), (QStringList{"Home-WiFi", "Office-5G", "Cafe"}));
        const quint64 office = saved.keys().at(1);

        // A row added with a name: its key comes last and the add goes out at once.
        const quint64 added = saved.append(QStringLiteral("Library"));
        QCOMPARE(keys.count(), 1);
        QCOMPARE(saved.keys().last(), added);
        QVERIFY(!saved.isNameEditable(added));
        waitFor(AddPath, 1);
        QVERIFY(!saved.network(added)->wifiId.isEmpty());
        bool told = false;
        for (const QList<QVariant> &args : std::as_const(item))
            told = told || args.first().toULongLong() == added;
        QVERIFY(told);

        // A save from elsewhere deletes a network: its row goes, the others keep their keys and places.
        ctx()->deleteObject(ctx()->findFirstByAttribute<WiFiRemind>(QStringLiteral("wifiId"), "12"));
        QVERIFY(ctx()->saveAndWait());
        QCOMPARE(namesOf(), (QStringList{"Office-5G", "Cafe", "Library"}));
        QCOMPARE(saved.keys().first(), office);

        f->tester().wifis = QJsonArray{network("15", "Office-5G")};
        saved.load();
        saved.finish();
        waitFor(ListPath, 2);
        QCOMPARE(loaded.count(), 1);
        QCOMPARE(namesOf(), (QStringList{"Office-5G", "Cafe", "Library"}));
    }
};

PRELVANE_TEST_MAIN(TestWifiRemindPresenter)
#include "tst_wifiRemindPresenter.moc"
