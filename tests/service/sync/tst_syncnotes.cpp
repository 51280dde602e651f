// The push body, the push reply and the pull import on a fresh store, without
// the network; the last cases run the engine against the stand-in service to
// see the reminder schedule follow a sync.

#include "SyncClient.h"
#include "SyncTestService.h"
#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/UISkin.h"
#include "core/model/UserInfo.h"
#include "core/model/UserSet.h"
#include "core/model/WiFiRemind.h"
#include "core/reminders/scheduling/LocalNotificationManager.h"
#include "core/reminders/scheduling/NoteRemindManager.h"
#include "platform/base/Clock.h"
#include "platform/base/UserDefaults.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"
#include "service/account/SignInKeys.h"
#include "service/api/ReplyValue.h"
#include "service/sync/NoteMapManager.h"
#include "service/sync/SyncNotesManager.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestGraph.h"
#include "tests/support/doubles/FakeUserNotificationCenter.h"

#include <QJsonArray>
#include <QtTest>

#include <memory>

namespace {

const QString kFuture = QStringLiteral("2030/1/1 9:00:00");

// Every value of the body is text (numbers included), down to the reminder
// and the completion records.
QString firstNonText(const QJsonValue &v, const QString &path)
{
    if (v.isObject()) {
        const QJsonObject o = v.toObject();
        for (auto it = o.begin(); it != o.end(); ++it)
            if (const QString bad = firstNonText(it.value(), path + "." + it.key()); !bad.isEmpty())
                return bad;
        return {};
    }
    if (v.isArray()) {
        const QJsonArray a = v.toArray();
        for (int i = 0; i < a.size(); ++i)
            if (const QString bad = firstNonText(a.at(i), path + QStringLiteral("[%1]").arg(i));
                !bad.isEmpty())
                return bad;
        return {};
    }
    return v.isString() ? QString() : path;
}

QJsonObject itemWithId(const QJsonArray &items, const QString &id)
{
    for (const QJsonValue &v : items) {
        const QJsonObject o = v.toObject();
        if (o.value("cId").toString() == id || o.value("clientId").toString() == id ||
            o.value("classId").toString() == id)
            return o;
    }
    return {};
}

BaseSuccessModel reply(const QJsonValue &data)
{
    BaseSuccessModel m;
    m.code = 200;
    m.data = data;
    return m;
}

QJsonObject saved(const QString &pushed, const QString &server, const char *serverKey = "cId")
{
    return {{"isSave", true}, {"clientId", pushed}, {QLatin1String(serverKey), server}, {"msg", ""}};
}

QJsonObject refused(const QString &pushed, const QString &msg, const char *serverKey = "cId")
{
    return {{"isSave", false}, {"clientId", pushed}, {QLatin1String(serverKey), pushed}, {"msg", msg}};
}

QJsonObject noteEntry(const QString &cId, const QString &classId, int sort, const QString &nextId,
                      const QJsonValue &remindSetting = QJsonValue::Null, const QString &action = "1")
{
    return {{"cId", cId},
            {"actionType", action},
            {"detail", QJsonObject{{"classId", classId},
                                   {"content", "内容" + cId},
                                   {"sort", sort},
                                   {"nextId", nextId},
                                   {"remindSetting", remindSetting}}}};
}

// The reply's list of categories: each with its classId as name.
QJsonObject categoryList(const QStringList &classIds)
{
    QJsonArray datas;
    for (const QString &id : classIds)
        datas.append(
            QJsonObject{{"classId", id}, {"actionType", "1"}, {"detail", QJsonObject{{"name", id}}}});
    return {{"syncClassResult", QJsonObject{{"datas", datas}}}};
}

QJsonObject pullOfNotes(const QJsonArray &notes, const QJsonObject &more = {})
{
    QJsonObject data = more;
    data.insert("version", "9");
    data.insert("syncContentResult", QJsonObject{{"datas", notes}});
    return data;
}

// The program built on a device's store, whose reminder planner the device's
// engine brings in step after its saves, as in the program.
std::unique_ptr<TestGraph> programOn(SyncClient &device, SyncTestService &s)
{
    auto graph = std::make_unique<TestGraph>(ProgramServices::Parts()
                                                 .use(device.store.get())
                                                 .use(s.feedback.get())
                                                 .use(s.notifications.get())
                                                 .use(s.api.get())
                                                 .use(device.engine.get()));
    device.planner = graph->services().reminders.get();
    return graph;
}

} // namespace

class TstSyncNotes : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    // The push body.
    void noteItem_data();
    void noteItem();
    void categoryItemsAreText();
    void emptyNoteIsLeftOutAndSkippedOver_data();
    void emptyNoteIsLeftOutAndSkippedOver();
    void completedNotesCarryOnlyTheirOwnRecord();
    void rowsDeletedBeforeTheirFirstPushAreRemoved();

    // The push reply.
    void replyReKeysClientIds();
    void itemsPushedUnderServerIdsWithOrWithoutClientId_data();
    void itemsPushedUnderServerIdsWithOrWithoutClientId();
    void deletionOfANoteWithoutTextIsSent();
    void refusalWithoutMessageGetsAText();
    void refusalsReachTheCompletionOnce();
    void replyNotTakenAppliesNothing_data();
    void replyNotTakenAppliesNothing();
    void purgeOnlyPushedRowsNotRefused();
    void serverCopyIsRemovedBeforeTheReKey();
    void deletedAfterItWasSentStillReachesTheService_data();
    void deletedAfterItWasSentStillReachesTheService();

    // The pull.
    void firstPullReplacesAndNumbersAfresh();
    void replacingPullMatchesRowsByKey_data();
    void replacingPullMatchesRowsByKey();
    void replacingPullWithRowsSharingACId_data();
    void replacingPullWithRowsSharingACId();
    void pullRepeatingTheStoreChangesNothing();
    void deltaPullAnnouncesItsChanges();
    void reversalTurnsOnlyImportedNotes();
    void repeatedFullPullsDoNotGrowTheMainContext();
    void backgroundImportRefusesAReplyOfTheWrongShape();
    void importStopsOnceNoLongerWanted_data();
    void importStopsOnceNoLongerWanted();
    void badNoteEntryAppliesNothing_data();
    void badNoteEntryAppliesNothing();
    void rowsSavedDuringTheImportKeepTheirChange();
    void outOfRangeNumbersReadAsNone_data();
    void outOfRangeNumbersReadAsNone();
    void outOfRangeEntriesAreSkipped();
    void clearDeletesTheNamedCategoriesOnly();
    void emptyRemindSettingClearsTheReminder_data();
    void emptyRemindSettingClearsTheReminder();
    void entryValuesBesideTheDetail_data();
    void entryValuesBesideTheDetail();
    void everyKindOfEntryInShortAndLongLists_data();
    void everyKindOfEntryInShortAndLongLists();
    void nextIdPlacement_data();
    void nextIdPlacement();
    void placementUpToHundredEntriesThenReversal_data();
    void placementUpToHundredEntriesThenReversal();
    void wifiNetworks_data();
    void wifiNetworks();
    void profileWithoutUserIdTakesTheSignedInUser();
    void skinFromSettings_data();
    void skinFromSettings();
    void deltaPullKeepsCategoriesWhateverTheStoredVersion_data();
    void deltaPullKeepsCategoriesWhateverTheStoredVersion();

    // The schedule after a sync with the engine.
    void pulledDateReminderIsScheduled();
    void pushedReminderFollowsTheServerId();
    void refusalsAreShownInOneMessage();

private:
    Context *ctx() const { return m_fx.ctx(); }
    FakeUserNotificationCenter *center() const { return m_fx.center(); }
    // The push body and reply on the fixture's store and centre.
    SyncNotesManager &syncNotes() const { return *m_notes; }
    // What the program does for a note it shows: its reminder goes into the fixture's centre.
    bool addDateUserNotificationWithNote(NoteDetail *n)
    {
        LocalNotificationManager local(*ctx(), *center());
        return NoteRemindManager(*ctx(), local).addDateUserNotificationWithNote(n);
    }
    void save()
    {
        const SaveResult r = ctx()->saveAndWait();
        QVERIFY2(r.ok, qPrintable(r.error));
    }
    Classify *category(const QString &classId, int sort = 1, bool synced = true)
    {
        Classify *c = m_fx.category(classId, "分类" + classId);
        c->setBackColor("#10b56c");
        c->setSort(qint16(sort));
        c->setIsSync(synced);
        c->setActionType(synced ? 0 : (classId.contains('c') ? 1 : 2));
        return c;
    }
    NoteDetail *note(const QString &cId, Classify *c, const QString &nextId = "-1", int sort = 1)
    {
        NoteDetail *n = m_fx.note(cId, c, "内容" + cId);
        n->setFontColor("#3a3a3a");
        n->setNextId(nextId);
        n->setSort(qint16(sort));
        n->setActionType(cId.contains('c') ? 1 : 2);
        n->setIsSync(false);
        return n;
    }
    DateRemind *remind(NoteDetail *n, const QString &when = kFuture)
    {
        DateRemind *r = m_fx.remind(n, 1);
        r->setRemindDateTime(when);
        r->setRemindRealDateTime(when);
        return r;
    }
    NoteDetail *byId(const QString &cId) const
    {
        return ctx()->findFirstByAttribute<NoteDetail>(QStringLiteral("cId"), cId);
    }
    bool pull(const QJsonObject &data, bool full = false, NoteMapManager::Result *result = nullptr)
    {
        NoteMapManager::Options o;
        o.fullPull = full;
        o.userId = 42;
        o.appliedVersion = data.value("version").toString();
        NoteMapManager::Result local;
        const bool ok = NoteMapManager::applyToContext(*ctx(), data, o, result ? result : &local);
        return ok && ctx()->saveAndWait().ok;
    }
    QStringList orderOf(const QString &classId) const
    {
        QStringList out;
        for (NoteDetail *n : ctx()->findAllSortedBy<NoteDetail>(
                 "sort", true, [&](const NoteDetail *n) { return n->classId() == classId; }))
            out << n->cId();
        return out;
    }

    StoreFixture m_fx;
    std::unique_ptr<LocalNotificationManager> m_localNotifications;
    std::unique_ptr<SyncNotesManager> m_notes;
};

void TstSyncNotes::init()
{
    QVERIFY(m_fx.open(QDateTime(QDate(2026, 3, 1), QTime(8, 0)), "store.sqlite"));
    m_localNotifications = std::make_unique<LocalNotificationManager>(*ctx(), *center());
    m_notes = std::make_unique<SyncNotesManager>(*ctx(), *m_localNotifications);
}

void TstSyncNotes::cleanup()
{
    m_notes.reset();
    m_localNotifications.reset();
    m_fx.close();
}

// ---- the push body ----

void TstSyncNotes::noteItem_data()
{
    QTest::addColumn<QString>("cId");
    QTest::addColumn<QString>("classId");
    QTest::addColumn<QString>("fontColor");
    QTest::addColumn<bool>("completed");
    QTest::addColumn<int>("storedAction");
    QTest::addColumn<QString>("action");
    QTest::addColumn<QString>("idKey");
    QTest::addColumn<QString>("classKey");
    QTest::addColumn<QString>("sentColor");
    QTest::addColumn<bool>("completedList");

    QTest::newRow("new note") << "c1001"
                              << "500"
                              << "#3a3a3a" << false << 1 << "1"
                              << "clientId"
                              << "classId"
                              << "" << false;
    QTest::newRow("edited, own colour") << "700"
                                        << "500"
                                        << "#e04040" << false << 2 << "2"
                                        << "cId"
                                        << "classId"
                                        << "#e04040" << false;
    QTest::newRow("completed, nothing pending") << "700"
                                                << "500"
                                                << "#3a3a3a" << true << 0 << "2"
                                                << "cId"
                                                << "classId"
                                                << "" << false;
    QTest::newRow("completed, changed") << "700"
                                        << "500"
                                        << "#3a3a3a" << true << 2 << "2"
                                        << "cId"
                                        << "classId"
                                        << "" << true;
    QTest::newRow("new and completed") << "c1001"
                                       << "500"
                                       << "#3a3a3a" << true << 1 << "1"
                                       << "clientId"
                                       << "classId"
                                       << "" << false;
    QTest::newRow("in a category made offline") << "c1001"
                                                << "c2002"
                                                << "#3a3a3a" << false << 1 << "1"
                                                << "clientId"
                                                << "clientClassId"
                                                << "" << false;
    QTest::newRow("deleted") << "700"
                             << "500"
                             << "#3a3a3a" << false << 3 << "3"
                             << "cId"
                             << "classId"
                             << "" << false;
}

void TstSyncNotes::noteItem()
{
    QFETCH(QString, cId);
    QFETCH(QString, classId);
    QFETCH(QString, fontColor);
    QFETCH(bool, completed);
    QFETCH(int, storedAction);

    Classify *c = category(classId, 1, !classId.contains('c'));
    NoteDetail *n = note(cId, c);
    n->setFontColor(fontColor);
    n->setIsCompleted(completed);
    n->setCompletedTime(completed ? "2026/2/28 18:00:00" : QString());
    n->setActionType(qint16(storedAction));
    DateRemind *r = remind(n);
    r->setRemindCycleType(1);
    r->setRemindCycleInterval(3);
    save();

    const QJsonObject body = syncNotes().paramsWithClassifyArr({}, {n});
    const QJsonArray contents = body.value("contents").toArray();
    QCOMPARE(contents.size(), 1);
    const QJsonObject item = contents.first().toObject();
    QCOMPARE(firstNonText(QJsonValue(body), "body"), QString());

    QTEST(item.value("actionType").toString(), "action");
    QFETCH(QString, idKey);
    QCOMPARE(item.value(idKey).toString(), cId);
    QCOMPARE(item.contains(idKey == "cId" ? "clientId" : "cId"), false);
    QFETCH(QString, classKey);
    QCOMPARE(item.value(classKey).toString(), classId);
    QCOMPARE(item.contains(classKey == "classId" ? "clientClassId" : "classId"), false);
    QTEST(item.value("fontColor").toString(), "sentColor");
    QVERIFY(item.value("fontColor").isString());
    QCOMPARE(item.value("remindSetting").toObject().value("remindCycleInterval").toString(), QString("3"));
    QCOMPARE(item.value("remindSetting").toObject().value("remindRealDateTime").toString(), kFuture);
    QFETCH(bool, completedList);
    QCOMPARE(item.contains("completedList"), completedList);
    if (completedList) {
        const QJsonArray records = item.value("completedList").toArray();
        QCOMPARE(records.size(), 1);
        QCOMPARE(records.first().toObject(), (QJsonObject{{"content", n->content()},
                                                          {"completedTime", "2026/2/28 18:00:00"},
                                                          {"remindTime", kFuture}}));
    }
}

void TstSyncNotes::categoryItemsAreText()
{
    Classify *fresh = category("c3003", 2, false);
    Classify *renamed = category("501", 14, false);
    NoteDetail *bare = note("701", renamed); // no reminder: every reminder number "0"
    save();
    const QJsonObject body = syncNotes().paramsWithClassifyArr({fresh, renamed}, {bare});
    QCOMPARE(firstNonText(QJsonValue(body), "body"), QString());
    const QJsonArray classes = body.value("classes").toArray();
    QCOMPARE(classes.size(), 2);
    QCOMPARE(classes.at(0).toObject(), (QJsonObject{{"clientId", "c3003"},
                                                    {"actionType", "1"},
                                                    {"name", "分类c3003"},
                                                    {"backColor", "#10b56c"},
                                                    {"sort", "2"}}));
    QCOMPARE(classes.at(1).toObject(), (QJsonObject{{"classId", "501"},
                                                    {"actionType", "2"},
                                                    {"name", "分类501"},
                                                    {"backColor", "#10b56c"},
                                                    {"sort", "14"}}));
    const QJsonObject setting =
        itemWithId(body.value("contents").toArray(), "701").value("remindSetting").toObject();
    for (const char *k : {"actionType", "remindDateType", "remindCycleType", "remindCycleInterval",
                          "remindRType", "connectWifiType", "remindWifiStatus"})
        QCOMPARE(setting.value(QLatin1String(k)).toString(), QString("0"));

    // Empty lists give no key at all; an empty note list still gives "contents".
    QCOMPARE(syncNotes().paramsWithClassifyArr({}, {}), QJsonObject());
    NoteDetail *empty = note("702", renamed);
    empty->setContent(QString());
    save();
    const QJsonObject onlyEmpty = syncNotes().paramsWithClassifyArr({}, {empty});
    QVERIFY(onlyEmpty.contains("contents"));
    QVERIFY(onlyEmpty.value("contents").toArray().isEmpty());
    QVERIFY(!onlyEmpty.contains("classes"));
}

void TstSyncNotes::emptyNoteIsLeftOutAndSkippedOver_data()
{
    QTest::addColumn<QStringList>("contents"); // of the notes after the first, top to bottom
    QTest::addColumn<QString>("firstNextId");

    QTest::newRow("one empty in the middle") << QStringList{"", "有"} << "c3";
    QTest::newRow("two empty in a row") << QStringList{"", "", "有"} << "c4";
    QTest::newRow("empty at the end") << QStringList{""} << "-1";
    QTest::newRow("null content") << QStringList{QString(), "有"} << "c3";
}

void TstSyncNotes::emptyNoteIsLeftOutAndSkippedOver()
{
    QFETCH(QStringList, contents);
    Classify *c = category("500");
    QList<NoteDetail *> notes{note("c1", c)};
    for (int i = 0; i < contents.size(); ++i) {
        notes.last()->setNextId(QStringLiteral("c%1").arg(i + 2));
        NoteDetail *n = note(QStringLiteral("c%1").arg(i + 2), c);
        n->setContent(contents.at(i));
        notes << n;
    }
    save();

    const QJsonObject body = syncNotes().getNoSyncParamsFromClassifyAndNotes();
    const QJsonArray items = body.value("contents").toArray();
    QTEST(itemWithId(items, "c1").value("nextId").toString(), "firstNextId");
    for (int i = 0; i < contents.size(); ++i) {
        const QString id = QStringLiteral("c%1").arg(i + 2);
        QCOMPARE(itemWithId(items, id).isEmpty(), contents.at(i).isEmpty());
        QVERIFY2(byId(id), qPrintable(id + " was deleted")); // still there for the editor
    }
    save();
    QCOMPARE(ctx()->findAll<NoteDetail>().size(), notes.size());
}

void TstSyncNotes::completedNotesCarryOnlyTheirOwnRecord()
{
    Classify *c = category("500");
    NoteDetail *a = note("700", c, "701");
    NoteDetail *b = note("701", c);
    for (NoteDetail *n : {a, b}) {
        n->setIsCompleted(true);
        n->setActionType(2);
    }
    a->setCompletedTime("2026/2/1 9:00:00");
    b->setCompletedTime("2026/2/2 10:00:00");
    remind(b, "2026/2/2 9:30:00");
    save();

    const QJsonArray items = syncNotes().paramsWithClassifyArr({}, {a, b}).value("contents").toArray();
    QCOMPARE(items.size(), 2);
    const QJsonArray first{
        QJsonObject{{"content", "内容700"}, {"completedTime", "2026/2/1 9:00:00"}, {"remindTime", ""}}};
    const QJsonArray second{QJsonObject{
        {"content", "内容701"}, {"completedTime", "2026/2/2 10:00:00"}, {"remindTime", "2026/2/2 9:30:00"}}};
    QCOMPARE(itemWithId(items, "700").value("completedList").toArray(), first);
    QCOMPARE(itemWithId(items, "701").value("completedList").toArray(), second);
}

void TstSyncNotes::rowsDeletedBeforeTheirFirstPushAreRemoved()
{
    Classify *kept = category("500");
    Classify *offline = category("c9", 2, false);
    NoteDetail *inOffline = note("c10", offline);
    NoteDetail *newDeleted = note("c11", kept);
    NoteDetail *serverDeleted = note("700", kept);
    remind(inOffline);
    remind(newDeleted);
    save();
    QVERIFY(addDateUserNotificationWithNote(inOffline));
    QVERIFY(addDateUserNotificationWithNote(newDeleted));
    for (NoteDetail *n : {inOffline, newDeleted, serverDeleted})
        n->setActionType(3);
    offline->setActionType(3);
    save();

    const QJsonObject body = syncNotes().getNoSyncParamsFromClassifyAndNotes();
    QCOMPARE(body.value("classes").toArray().size(), 0);
    const QJsonArray items = body.value("contents").toArray();
    QCOMPARE(items.size(), 1);
    QCOMPARE(items.first().toObject().value("cId").toString(), QString("700"));
    QCOMPARE(items.first().toObject().value("actionType").toString(), QString("3"));

    QVERIFY(!ctx()->findFirstByAttribute<Classify>("classId", "c9"));
    QVERIFY(!byId("c10") && !byId("c11"));
    QVERIFY(byId("700"));
    QCOMPARE(ctx()->findAll<DateRemind>().size(), 0);
    QVERIFY(!center()->scheduledNotification("c10"));
    QVERIFY(!center()->scheduledNotification("c11"));
    // Nothing of them is left in the file either.
    std::unique_ptr<Context> reader = m_fx.store()->newContext();
    QCOMPARE(reader->findAll<NoteDetail>().size(), 1);
    QCOMPARE(reader->findAll<Classify>().size(), 1);
}

// ---- the push reply ----

void TstSyncNotes::replyReKeysClientIds()
{
    Classify *offline = category("c5", 1, false);
    NoteDetail *before = note("700", offline, "c1", 1);
    NoteDetail *fresh = note("c1", offline, "-1", 2);
    remind(fresh);
    save();
    QVERIFY(addDateUserNotificationWithNote(fresh));
    QVERIFY(center()->scheduledNotification("c1"));

    const QJsonObject body = syncNotes().getNoSyncParamsFromClassifyAndNotes();
    QCOMPARE(itemWithId(body.value("contents").toArray(), "700").value("clientClassId").toString(),
             QString("c5"));
    const QJsonObject data{{"result", true},
                           {"syncClassResult", QJsonArray{saved("c5", "77", "classId")}},
                           {"syncContentResult", QJsonArray{saved("700", "700"), saved("c1", "901")}}};
    QStringList messages{"unset"};
    QVERIFY(syncNotes().syncPushDatas(reply(data), body, [&](const QStringList &m) { messages = m; }));
    QCOMPARE(messages, QStringList());

    QCOMPARE(offline->classId(), QString("77"));
    QVERIFY(offline->isSync());
    QCOMPARE(fresh->cId(), QString("901"));
    QCOMPARE(fresh->remind()->cId(), QString("901"));
    QCOMPARE(before->nextId(), QString("901"));
    for (NoteDetail *n : {before, fresh}) {
        QCOMPARE(n->classId(), QString("77"));
        QVERIFY(!n->isError());
    }
    QVERIFY(fresh->isSync());
    QCOMPARE(fresh->actionType(), qint16(0));
    // It went out linking to "c1": the link to the server id goes out with the next push.
    QVERIFY(!before->isSync());
    QCOMPARE(before->actionType(), qint16(2));
    QCOMPARE(itemWithId(syncNotes().getNoSyncParamsFromClassifyAndNotes().value("contents").toArray(), "700")
                 .value("nextId")
                 .toString(),
             QString("901"));
    QVERIFY(!center()->scheduledNotification("c1"));
    const auto moved = center()->scheduledNotification("901");
    QVERIFY(moved);
    QCOMPARE(moved->deliveryDate, QDateTime(QDate(2030, 1, 1), QTime(9, 0)));
    QCOMPARE(moved->informativeText, QString("内容c1"));

    std::unique_ptr<Context> reader = m_fx.store()->newContext();
    QVERIFY(reader->findFirstByAttribute<NoteDetail>("cId", "901"));
    QCOMPARE(reader->findByAttribute<NoteDetail>("classId", "77").size(), 2);
}

void TstSyncNotes::itemsPushedUnderServerIdsWithOrWithoutClientId_data()
{
    QTest::addColumn<bool>("withClientId");
    QTest::newRow("with clientId") << true;
    QTest::newRow("without clientId") << false;
}

void TstSyncNotes::itemsPushedUnderServerIdsWithOrWithoutClientId()
{
    QFETCH(bool, withClientId);
    Classify *c = category("500", 1, false);
    NoteDetail *edited = note("700", c);
    NoteDetail *deleted = note("701", c);
    deleted->setActionType(3);
    save();
    const QJsonObject body = syncNotes().getNoSyncParamsFromClassifyAndNotes();
    auto entry = [withClientId](const QString &id, const char *serverKey) {
        QJsonObject e = saved(id, id, serverKey);
        if (!withClientId)
            e.remove("clientId");
        return e;
    };
    const QJsonObject data{{"result", true},
                           {"syncClassResult", QJsonArray{entry("500", "classId")}},
                           {"syncContentResult", QJsonArray{entry("700", "cId"), entry("701", "cId")}}};
    QVERIFY(syncNotes().syncPushDatas(reply(data), body, {}));
    QVERIFY(c->isSync());
    QVERIFY(edited->isSync());
    QCOMPARE(edited->actionType(), qint16(0));
    QVERIFY(!byId("701"));
    QVERIFY(!syncNotes().hasPendingChanges());
}

void TstSyncNotes::deletionOfANoteWithoutTextIsSent()
{
    Classify *c = category("500");
    NoteDetail *n = note("705", c);
    n->setContent(QString());
    n->setActionType(3);
    save();
    QVERIFY(syncNotes().hasPendingChanges());
    const QJsonObject item =
        itemWithId(syncNotes().getNoSyncParamsFromClassifyAndNotes().value("contents").toArray(), "705");
    QCOMPARE(item.value("actionType").toString(), QString("3"));
}

void TstSyncNotes::refusalWithoutMessageGetsAText()
{
    Classify *c = category("500");
    note("700", c);
    save();
    const QJsonObject body = syncNotes().getNoSyncParamsFromClassifyAndNotes();
    QJsonObject entry = refused("700", {});
    entry.remove("msg");
    QStringList messages;
    QVERIFY(syncNotes().syncPushDatas(
        reply(QJsonObject{{"result", true}, {"syncContentResult", QJsonArray{entry, refused("700", "  ")}}}),
        body, [&](const QStringList &m) { messages = m; }));
    QCOMPARE(messages, QStringList{SyncNotesManager::refusedWithoutReasonText()});
}

void TstSyncNotes::refusalsReachTheCompletionOnce()
{
    Classify *c = category("500");
    Classify *named = category("c6", 2, false);
    NoteDetail *a = note("c1", c);
    NoteDetail *b = note("c2", c);
    NoteDetail *d = note("700", c);
    save();
    const QJsonObject body = syncNotes().getNoSyncParamsFromClassifyAndNotes();
    const QJsonObject data{
        {"result", "true"},
        {"syncClassResult", QJsonArray{refused("c6", "内容超长", "classId")}},
        {"syncContentResult",
         QJsonArray{refused("c1", "内容超长"), refused("c2", "内容超长"), refused("700", "分类不存在")}}};
    QStringList messages;
    int calls = 0;
    QVERIFY(syncNotes().syncPushDatas(reply(data), body, [&](const QStringList &m) {
        messages = m;
        ++calls;
    }));
    QCOMPARE(calls, 1);
    messages.sort();
    QCOMPARE(messages, (QStringList{"内容超长", "分类不存在"}));
    for (NoteDetail *n : {a, b, d}) {
        QVERIFY(n->isError());
        QVERIFY(!n->isSync());
    }
    QCOMPARE(a->cId(), QString("c1"));
    QVERIFY(!named->isSync());
    QCOMPARE(named->classId(), QString("c6"));
}

void TstSyncNotes::replyNotTakenAppliesNothing_data()
{
    QTest::addColumn<QJsonValue>("data");
    const QJsonArray entries{saved("c1", "901"), saved("700", "700")};
    QTest::newRow("result false") << QJsonValue(
        QJsonObject{{"result", false}, {"syncContentResult", entries}});
    QTest::newRow("result text false")
        << QJsonValue(QJsonObject{{"result", "false"}, {"syncContentResult", entries}});
    QTest::newRow("result missing") << QJsonValue(QJsonObject{{"syncContentResult", entries}});
    QTest::newRow("no data") << QJsonValue(QJsonValue::Undefined);
    QTest::newRow("data is a list") << QJsonValue(entries);
    QTest::newRow("results not a list")
        << QJsonValue(QJsonObject{{"result", true}, {"syncContentResult", QJsonObject{{"c1", "901"}}}});
}

void TstSyncNotes::replyNotTakenAppliesNothing()
{
    QFETCH(QJsonValue, data);
    Classify *c = category("500");
    NoteDetail *fresh = note("c1", c);
    NoteDetail *gone = note("700", c);
    gone->setActionType(3);
    save();
    const QJsonObject body = syncNotes().getNoSyncParamsFromClassifyAndNotes();
    bool called = false;
    QString error;
    QVERIFY(!syncNotes().syncPushDatas(
        reply(data), body, [&](const QStringList &) { called = true; }, &error));
    QVERIFY(!called);
    QVERIFY(!error.isEmpty());
    QCOMPARE(fresh->cId(), QString("c1"));
    QVERIFY(!fresh->isSync());
    QVERIFY(byId("700"));
    QVERIFY(!ctx()->hasChanges());
}

void TstSyncNotes::purgeOnlyPushedRowsNotRefused()
{
    Classify *c = category("500");
    NoteDetail *accepted = note("700", c);
    NoteDetail *notSent = note("701", c);
    NoteDetail *refusedRow = note("702", c);
    NoteDetail *clearedSent = note("703", c);
    NoteDetail *clearedNotSent = note("704", c);
    NoteDetail *editedMeanwhile = note("705", c);
    for (NoteDetail *n : {accepted, notSent, refusedRow})
        n->setActionType(3);
    for (NoteDetail *n : {clearedSent, clearedNotSent})
        remind(n)->setRemindActionType(3);
    save();

    // A single-note style push: only some of the pending rows go.
    const QJsonObject body =
        syncNotes().paramsWithClassifyArr({}, {accepted, refusedRow, clearedSent, editedMeanwhile});
    editedMeanwhile->setContent("发送后又改");
    save();
    const QJsonObject data{
        {"result", true},
        {"syncContentResult", QJsonArray{saved("700", "700"), refused("702", "内容已锁定"),
                                         saved("703", "703"), saved("705", "705"), saved("701", "701")}}};
    QVERIFY(syncNotes().syncPushDatas(reply(data), body, {}));

    QVERIFY(!byId("700"));
    QVERIFY2(byId("701") && !byId("701")->isSync(), "a deletion that was not sent was purged");
    QVERIFY(byId("702") && byId("702")->isError() && byId("702")->actionType() == 3);
    QCOMPARE(byId("703")->remind(), nullptr);
    QVERIFY(byId("703")->isSync());
    QVERIFY(byId("704")->remind());
    QCOMPARE(byId("704")->remind()->remindActionType(), qint16(3));
    QVERIFY2(!byId("705")->isSync(), "a change made after the body was built was marked synced");
    QCOMPARE(ctx()->findAll<DateRemind>().size(), 1);
}

void TstSyncNotes::serverCopyIsRemovedBeforeTheReKey()
{
    Classify *c = category("500");
    NoteDetail *mine = note("c1", c, "-1", 1);
    mine->setContent("本地写的");
    remind(mine);
    // The push's reply was lost and a pull brought the service's copy already.
    NoteDetail *copy = note("901", c, "-1", 2);
    copy->setContent("本地写的");
    copy->setIsSync(true);
    copy->setActionType(0);
    remind(copy, "2029/6/1 9:00:00");
    save();
    QVERIFY(addDateUserNotificationWithNote(mine));
    QVERIFY(addDateUserNotificationWithNote(copy));

    const QJsonObject body = syncNotes().paramsWithClassifyArr({}, {mine});
    const QJsonObject data{{"result", true}, {"syncContentResult", QJsonArray{saved("c1", "901")}}};
    QVERIFY(syncNotes().syncPushDatas(reply(data), body, {}));

    const QList<NoteDetail *> rows = ctx()->findByAttribute<NoteDetail>("cId", "901");
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows.first(), mine);
    QCOMPARE(ctx()->findAll<NoteDetail>().size(), 1);
    QCOMPARE(ctx()->findAll<DateRemind>().size(), 1);
    QVERIFY(!center()->scheduledNotification("c1"));
    const auto pending = center()->scheduledNotification("901");
    QVERIFY(pending);
    QCOMPARE(pending->deliveryDate, QDateTime(QDate(2030, 1, 1), QTime(9, 0))); // the kept row's reminder
    QCOMPARE(center()->scheduledNotifications().size(), 1);
}

void TstSyncNotes::deletedAfterItWasSentStillReachesTheService_data()
{
    QTest::addColumn<bool>("wholeCategory");
    QTest::newRow("the note") << false;
    QTest::newRow("its category") << true;
}

void TstSyncNotes::deletedAfterItWasSentStillReachesTheService()
{
    QFETCH(bool, wholeCategory);
    Classify *c = category("c5", 1, false);
    NoteDetail *n = note("c1", c);
    save();
    const QJsonObject body = syncNotes().getNoSyncParamsFromClassifyAndNotes();
    // Deleted while the push was on its way; the service has made both.
    n->setActionType(3);
    if (wholeCategory)
        c->setActionType(3);
    save();
    const QJsonObject data{{"result", true},
                           {"syncClassResult", QJsonArray{saved("c5", "77", "classId")}},
                           {"syncContentResult", QJsonArray{saved("c1", "901")}}};
    QVERIFY(syncNotes().syncPushDatas(reply(data), body, {}));

    QCOMPARE(n->cId(), QString("901"));
    QCOMPARE(n->actionType(), qint16(3));
    QVERIFY(!n->isSync());
    QCOMPARE(c->classId(), QString("77"));
    QCOMPARE(c->isSync(), !wholeCategory);

    const QJsonObject next = syncNotes().getNoSyncParamsFromClassifyAndNotes();
    const QJsonObject noteItem = itemWithId(next.value("contents").toArray(), "901");
    QCOMPARE(noteItem.value("cId").toString(), QString("901"));
    QCOMPARE(noteItem.value("actionType").toString(), QString("3"));
    const QJsonObject classItem = itemWithId(next.value("classes").toArray(), "77");
    QCOMPARE(classItem.isEmpty(), !wholeCategory);
    if (wholeCategory)
        QCOMPARE(classItem.value("actionType").toString(), QString("3"));
}

// ---- the pull ----

void TstSyncNotes::firstPullReplacesAndNumbersAfresh()
{
    Classify *old = category("400");
    NoteDetail *gone = note("600", old);
    gone->setIsSync(true);
    gone->setActionType(0);
    category("401", 2);
    save();
    const QJsonObject data = pullOfNotes(
        {noteEntry("800", "11", 5, "-1"), noteEntry("801", "11", 9, "800"), noteEntry("802", "11", 2, "-1"),
         noteEntry("803", "12", 4, "-1")},
        {{"syncClassResult",
          QJsonObject{
              {"datas", QJsonArray{QJsonObject{{"classId", "11"},
                                               {"actionType", "1"},
                                               {"detail", QJsonObject{{"name", "工作"}, {"sort", 7}}}},
                                   QJsonObject{{"classId", "12"},
                                               {"actionType", "1"},
                                               {"detail", QJsonObject{{"name", "生活"}, {"sort", 3}}}}}}}}});
    NoteMapManager::Result result;
    QVERIFY(pull(data, true, &result));

    QStringList ids;
    for (Classify *c : ctx()->findAllSortedBy<Classify>("sort", true))
        ids << QStringLiteral("%1:%2").arg(c->classId()).arg(c->sort());
    QCOMPARE(ids, (QStringList{"12:1", "11:2"}));
    QVERIFY(!byId("600"));
    QVERIFY(result.withdrawn.contains("600"));
    QCOMPARE(orderOf("11"), (QStringList{"801", "800", "802"}));
    QCOMPARE(byId("801")->sort(), qint16(1));
    QCOMPARE(byId("802")->sort(), qint16(3));
    QCOMPARE(byId("803")->sort(), qint16(1));
    QCOMPARE(byId("800")->classify()->classId(), QString("11"));
}

void TstSyncNotes::replacingPullMatchesRowsByKey_data()
{
    QTest::addColumn<bool>("restore");
    QTest::addColumn<bool>("full");
    // cId:content:isSync of every note afterwards, by cId.
    QTest::addColumn<QStringList>("notes");
    QTest::addColumn<QStringList>("classes");
    // The note made here in a category gone on the service (c8) moves to the top
    // category left, at its bottom: the note above it (804) names it and goes out too.
    const QStringList kept{"800:内容800:1", "802:本地改动:0", "804:内容804:0", "c8:分类已在服务删除:0",
                           "c9:离线新建:0"};
    QTest::newRow("full pull keeps local changes") << false << true << kept << QStringList{"11", "c5"};
    QTest::newRow("full pull whose reply names an earlier restore")
        << true << true << kept << QStringList{"11", "c5"};
    QTest::newRow("delta pull of a restore made elsewhere replaces them")
        << true << false << QStringList{"800:内容800:1", "802:内容802:1", "804:内容804:1"}
        << QStringList{"11"};
}

void TstSyncNotes::replacingPullMatchesRowsByKey()
{
    QFETCH(bool, restore);
    QFETCH(bool, full);
    Classify *kept = category("11");
    category("13", 2);                    // gone on the service
    Classify *holder = category("14", 3); // gone on the service, with notes changed here
    category("c5", 4, false);             // made here, not pushed yet
    auto synced = [this](const QString &cId, Classify *c, const QString &content) {
        NoteDetail *n = note(cId, c);
        n->setContent(content);
        n->setIsSync(true);
        n->setActionType(0);
        return n;
    };
    NoteDetail *updated = synced("800", kept, "旧内容");
    const qint64 goneKey = synced("801", kept, "服务已删除")->objectId().pk;
    note("802", kept)->setContent("本地改动");
    note("803", holder)->setContent("服务已删除其分类");
    note("c8", holder)->setContent("分类已在服务删除");
    note("805", kept)->setContent("服务已删除，这里改过");
    note("c9", kept)->setContent("离线新建");
    save();
    const qint64 classKey = kept->objectId().pk;
    const qint64 noteKey = updated->objectId().pk;

    QJsonObject more{{"syncClassResult",
                      QJsonObject{{"datas", QJsonArray{QJsonObject{
                                                {"classId", "11"},
                                                {"actionType", "1"},
                                                {"detail", QJsonObject{{"name", "工作"}, {"sort", 1}}}}}}}}};
    if (restore)
        more.insert("SnapshotRestoreResult", QJsonObject{{"snapshotDate", "2026-02-01"}});
    NoteMapManager::Result result;
    QList<StoreChanges> announced;
    connect(ctx(), &Context::changesSaved, this, [&](const StoreChanges &c) { announced << c; });
    QVERIFY(pull(pullOfNotes({noteEntry("800", "11", 3, "802"), noteEntry("802", "11", 2, "804"),
                              noteEntry("804", "11", 1, "-1")},
                             more),
                 full, &result));
    disconnect(ctx(), &Context::changesSaved, this, nullptr);
    QCOMPARE(announced.size(), 1);
    QVERIFY(announced.first().replaced);
    const StoreChanges::Entity noteChanges = announced.first().entity("NoteDetail");
    QVERIFY(noteChanges.deleted.contains(goneKey));
    QVERIFY(std::any_of(
        noteChanges.updated.begin(), noteChanges.updated.end(),
        [&](const StoreChanges::Updated &u) { return u.pk == noteKey && u.attributes.contains("content"); }));
    QCOMPARE(noteChanges.inserted.size(), 1); // 804

    QStringList notes;
    for (NoteDetail *n : ctx()->findAllSortedBy<NoteDetail>("cId", true))
        notes << QStringLiteral("%1:%2:%3").arg(n->cId(), n->content()).arg(int(n->isSync()));
    QTEST(notes, "notes");
    QStringList classes;
    for (Classify *c : ctx()->findAllSortedBy<Classify>("classId", true))
        classes << c->classId();
    QTEST(classes, "classes");
    QCOMPARE(kept->objectId().pk, classKey);
    QCOMPARE(kept->name(), QString("工作"));
    QCOMPARE(byId("800"), updated);
    QCOMPARE(updated->objectId().pk, noteKey);
    QVERIFY(result.withdrawn.contains("801"));
    if (const NoteDetail *moved = byId("c8")) {
        QCOMPARE(moved->classify(), kept);
        QCOMPARE(moved->classId(), QString("11"));
        QCOMPARE(byId("804")->nextId(), QString("c8"));
        QCOMPARE(moved->nextId(), QString("-1"));
    }
}

void TstSyncNotes::replacingPullWithRowsSharingACId_data()
{
    QTest::addColumn<bool>("entryWithoutCId");
    QTest::addColumn<int>("otherEntries");
    // cId:content of the notes 800 and without cId afterwards, in creation order.
    QTest::addColumn<QStringList>("notes");
    for (int others : {0, 80}) {
        QTest::addRow("rows without a cId are not listed, %d other entries", others)
            << false << others << QStringList{"800:内容800", "800:副本"};
        QTest::addRow("an entry without a cId lists them, %d other entries", others)
            << true << others << QStringList{"800:内容800", "800:副本", ":无编号"};
    }
}

// Two rows holding one cId are both listed by an entry naming it, which updates
// the one made first, in a short list as in a long one; rows without a cId go
// unless an entry without one lists them.
void TstSyncNotes::replacingPullWithRowsSharingACId()
{
    QFETCH(bool, entryWithoutCId);
    QFETCH(int, otherEntries);
    Classify *c = category("11");
    for (const auto &[cId, content] :
         {std::pair{"800", "旧内容"}, std::pair{"800", "副本"}, std::pair{"801", "服务已删除"},
          std::pair{"801", "服务已删除"}, std::pair{"", "无编号"}}) {
        NoteDetail *n = note(cId, c);
        n->setContent(content);
        n->setIsSync(true);
        n->setActionType(0);
    }
    save();
    QJsonArray entries{noteEntry("800", "11", 1, "-1")};
    if (entryWithoutCId)
        entries.append(QJsonObject{{"actionType", "2"}, {"detail", QJsonObject{{"content", "无编号"}}}});
    for (int i = 0; i < otherEntries; ++i)
        entries.append(noteEntry(QString::number(900 + i), "11", 1, "-1"));
    QVERIFY(pull(pullOfNotes(entries, categoryList({"11"})), true));
    QStringList notes;
    for (NoteDetail *n : ctx()->findAll<NoteDetail>()) {
        if (n->cId().size() < 3 || n->cId().startsWith("80"))
            notes << n->cId() + ":" + n->content();
    }
    QTEST(notes, "notes");
}

// A full pull of exactly what the store holds (order included) writes no row
// and announces no changed note or reminder.
void TstSyncNotes::pullRepeatingTheStoreChangesNothing()
{
    category("11");
    const QJsonObject setting{{"remindActionType", 2},     {"remindDateType", 0},
                              {"remindDateTime", kFuture}, {"remindRealDateTime", kFuture},
                              {"remindCycleType", 1},      {"remindCycleInterval", 1}};
    const QJsonObject data = pullOfNotes({noteEntry("800", "11", 3, "801", setting),
                                          noteEntry("801", "11", 2, "802"), noteEntry("802", "11", 1, "-1")},
                                         categoryList({"11"}));
    QVERIFY(pull(data, true));
    QCOMPARE(orderOf("11"), (QStringList{"800", "801", "802"}));
    QList<StoreChanges> announced;
    connect(ctx(), &Context::changesSaved, this, [&](const StoreChanges &c) { announced << c; });
    NoteMapManager::Options o;
    o.fullPull = true;
    o.userId = 42;
    o.appliedVersion = data.value("version").toString();
    QVERIFY(NoteMapManager::applyToContext(*ctx(), data, o, nullptr));
    QVERIFY(!ctx()->hasChanges()); // no row written, not even with its own values
    save();
    disconnect(ctx(), &Context::changesSaved, this, nullptr);
    QCOMPARE(orderOf("11"), (QStringList{"800", "801", "802"}));
    for (const StoreChanges &changes : std::as_const(announced)) {
        for (const char *entity : {"NoteDetail", "DateRemind"}) {
            const StoreChanges::Entity e = changes.entity(entity);
            QVERIFY2(e.inserted.isEmpty() && e.updated.isEmpty() && e.deleted.isEmpty(), entity);
        }
    }
}

void TstSyncNotes::deltaPullAnnouncesItsChanges()
{
    Classify *c = category("11");
    NoteDetail *n = note("800", c);
    n->setContent("旧内容");
    n->setIsSync(true);
    n->setActionType(0);
    save();
    QList<StoreChanges> announced;
    connect(ctx(), &Context::changesSaved, this, [&](const StoreChanges &changes) { announced << changes; });
    QVERIFY(pull(pullOfNotes({noteEntry("800", "11", 1, "-1"), noteEntry("801", "11", 2, "800")})));
    disconnect(ctx(), &Context::changesSaved, this, nullptr);
    QCOMPARE(announced.size(), 1);
    QVERIFY(!announced.first().replaced);
    const StoreChanges::Entity notes = announced.first().entity("NoteDetail");
    QCOMPARE(notes.inserted, QList<qint64>{byId("801")->objectId().pk});
    QCOMPARE(notes.updated.size(), 1);
    QCOMPARE(notes.updated.first().pk, n->objectId().pk);
    QVERIFY(notes.updated.first().attributes.contains("content"));
    QVERIFY(notes.deleted.isEmpty());
}

void TstSyncNotes::repeatedFullPullsDoNotGrowTheMainContext()
{
    // Ten full pulls of 10,000 notes through the background import; each round
    // the service has dropped 1,000 notes, added 1,000 and changed the rest.
    const int notesPerPull = 10000;
    QList<int> held;
    for (int round = 0; round < 10; ++round) {
        QJsonArray classes, notes;
        for (int c = 0; c < 10; ++c)
            classes.append(
                QJsonObject{{"classId", QString::number(11 + c)},
                            {"actionType", "1"},
                            {"detail", QJsonObject{{"name", QStringLiteral("分类%1").arg(c)}, {"sort", c}}}});
        for (int i = 0; i < notesPerPull; ++i) {
            const int id = round * 1000 + i;
            QJsonObject entry =
                noteEntry(QString::number(100000 + id), QString::number(11 + id % 10), i + 1, "-1");
            QJsonObject detail = entry.value("detail").toObject();
            detail.insert("content", QStringLiteral("第%1轮 %2").arg(round).arg(id));
            entry.insert("detail", detail);
            notes.append(entry);
        }
        NoteMapManager::Options o;
        o.fullPull = true;
        o.userId = 42;
        o.appliedVersion = QString::number(round + 10);
        bool done = false, ok = false;
        NoteMapManager::noteMapToLocalWithData(
            pullOfNotes(notes, {{"syncClassResult", QJsonObject{{"datas", classes}}}}), o,
            [&](const NoteMapManager::Result &r) {
                ok = r.ok;
                done = true;
            },
            *ctx()->store());
        QTRY_VERIFY_WITH_TIMEOUT(done, 60000);
        QVERIFY(ok);
        // The views read the notes again after each pull.
        QCOMPARE(int(ctx()->findAll<NoteDetail>().size()), notesPerPull);
        QCoreApplication::processEvents();
        held << ctx()->objectCount();
    }
    qInfo() << "row objects held after each pull:" << held;
    for (int i = 1; i < held.size(); ++i)
        QVERIFY2(held.at(i) <= held.first() * 11 / 10,
                 qPrintable(QStringLiteral("pull %1 holds %2 row objects, the first %3")
                                .arg(i + 1)
                                .arg(held.at(i))
                                .arg(held.first())));
}

void TstSyncNotes::badNoteEntryAppliesNothing_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("badAt");
    QTest::addColumn<QJsonValue>("bad");
    QTest::addColumn<QString>("error");
    const QString notObject = "syncContentResult.datas holds an entry that is not an object";
    const QString badDetail = "a note entry's detail is not an object";
    const QJsonValue detailText = QJsonObject{{"cId", "1"}, {"actionType", "1"}, {"detail", "text"}};
    // Long lists are read in parts: the bad entry first, in a middle part, last.
    for (const auto &[entries, badAt] :
         {std::pair{3, 1}, std::pair{5000, 0}, std::pair{5000, 2600}, std::pair{5000, 4999}}) {
        QTest::addRow("%d entries, a number at %d", entries, badAt)
            << entries << badAt << QJsonValue(7) << notObject;
        QTest::addRow("%d entries, a detail that is text at %d", entries, badAt)
            << entries << badAt << detailText << badDetail;
    }
}

// A reply with one note entry of the wrong shape is refused whole, wherever the
// entry stands; the store is left as it was.
void TstSyncNotes::badNoteEntryAppliesNothing()
{
    QFETCH(int, entries);
    QFETCH(int, badAt);
    QFETCH(QJsonValue, bad);
    QFETCH(QString, error);
    note("500", category("11"))->setIsSync(true);
    save();
    QJsonArray list;
    for (int i = 0; i < entries; ++i)
        list.append(i == badAt ? bad : QJsonValue(noteEntry(QString::number(1000 + i), "11", 1, "-1")));
    NoteMapManager::Options o;
    o.fullPull = true;
    o.userId = 42;
    o.appliedVersion = "9";
    NoteMapManager::Result result;
    QVERIFY(!NoteMapManager::applyToContext(*ctx(), pullOfNotes(list, categoryList({"11"})), o, &result));
    QCOMPARE(result.error, error);
    QVERIFY(!ctx()->hasChanges());
    QCOMPARE(ctx()->count<NoteDetail>(), 1);
}

// A logout waits for a running import: it asks whether it is still wanted between
// its sections and every few hundred notes, and stops at the first "no".
void TstSyncNotes::importStopsOnceNoLongerWanted_data()
{
    QTest::addColumn<int>("wantedAnswers");
    QTest::newRow("before it starts") << 0;
    QTest::newRow("after the reply was read") << 2;
    QTest::newRow("among the notes") << 5;
}

void TstSyncNotes::importStopsOnceNoLongerWanted()
{
    QFETCH(int, wantedAnswers);
    const int entries = 2000;
    QJsonArray list;
    for (int i = 0; i < entries; ++i)
        list.append(noteEntry(QString::number(1000 + i), "11", i + 1,
                              i + 1 < entries ? QString::number(1001 + i) : QString("-1")));
    NoteMapManager::Options o;
    o.fullPull = true;
    o.userId = 42;
    o.appliedVersion = "9";
    const int before = ctx()->count<NoteDetail>();
    int asked = 0;
    o.stillWanted = [&] { return ++asked <= wantedAnswers; };
    NoteMapManager::Result result;
    QVERIFY(!NoteMapManager::applyToContext(*ctx(), pullOfNotes(list, categoryList({"11"})), o, &result));
    QCOMPARE(result.error, QString("the sign-in ended while the pull was applied"));
    QCOMPARE(asked, wantedAnswers + 1); // not asked again, nothing more done
    QVERIFY(ctx()->count<NoteDetail>() < before + entries / 2);
}

void TstSyncNotes::backgroundImportRefusesAReplyOfTheWrongShape()
{
    note("500", category("11"))->setIsSync(true);
    save();
    QJsonObject data = pullOfNotes({noteEntry("600", "11", 1, "-1")});
    data.insert("syncClassResult", QJsonObject{{"datas", "not a list"}});
    NoteMapManager::Options o;
    o.fullPull = true;
    o.appliedVersion = "9";
    bool done = false;
    NoteMapManager::Result result;
    NoteMapManager::noteMapToLocalWithData(
        data, o,
        [&](const NoteMapManager::Result &r) {
            result = r;
            done = true;
        },
        *ctx()->store());
    QTRY_VERIFY(done);
    QVERIFY(!result.ok);
    QVERIFY(result.error.contains("syncClassResult"));
    QVERIFY(result.withdrawn.isEmpty());
    // Nothing of it applied: the full pull would have replaced note 500.
    QVERIFY(ctx()->findFirstByAttribute<NoteDetail>("cId", "500"));
    QVERIFY(!ctx()->findFirstByAttribute<NoteDetail>("cId", "600"));
}

void TstSyncNotes::rowsSavedDuringTheImportKeepTheirChange()
{
    Classify *c = category("11");
    auto synced = [&](const QString &cId) {
        NoteDetail *n = note(cId, c);
        n->setIsSync(true);
        n->setActionType(0);
        return n;
    };
    NoteDetail *deletedThere = synced("800");
    NoteDetail *remindedThere = synced("801");
    synced("802");
    save();

    // The import reads and changes the rows on its own context...
    std::unique_ptr<Context> import = ctx()->store()->newBackgroundContext();
    NoteMapManager::Options o;
    o.userId = 42;
    o.appliedVersion = "9";
    NoteMapManager::Result result;
    const QJsonObject reminder{{"remindActionType", 1}, {"remindDateTime", kFuture}};
    QVERIFY(
        NoteMapManager::applyToContext(*import,
                                       pullOfNotes({QJsonObject{{"cId", "800"}, {"actionType", "3"}},
                                                    noteEntry("801", "11", 1, "-1", reminder, "2"),
                                                    noteEntry("802", "11", 2, "801", QJsonValue::Null, "2")}),
                                       o, &result));
    // ...while the user saves edits of two of them.
    for (NoteDetail *n : {deletedThere, remindedThere}) {
        n->setContent("用户改过" + n->cId());
        SyncClient::flag(n);
    }
    save();
    const SaveResult saved = import->saveAndWait();
    QVERIFY(saved.ok);
    QCOMPARE(saved.skipped.size(), 2);
    QCoreApplication::processEvents();
    NoteMapManager::settleRowsSavedMeanwhile(*ctx(), saved.skipped, &result);

    QVERIFY2(!byId("800"), "the service deleted it: a push of the edit would only be refused");
    QCOMPARE(remindedThere->content(), QString("用户改过801"));
    QVERIFY(!remindedThere->isSync());
    QVERIFY(!remindedThere->remind());
    QVERIFY2(ctx()->findAll<DateRemind>().isEmpty(), "the reminder row made for the kept note stays behind");
    QCOMPARE(byId("802")->nextId(), QString("801"));
}

void TstSyncNotes::reversalTurnsOnlyImportedNotes()
{
    Classify *c = category("11");
    NoteDetail *pending = note("999", c, "-1", 3);
    pending->setContent("本地");
    save();
    QJsonArray notes{noteEntry("999", "11", 1, "-1")};
    for (int i = 0; i < 101; ++i)
        notes.append(noteEntry(QString::number(1000 + i), "11", i + 1, i ? QString::number(999 + i) : "-1"));
    QVERIFY(pull(pullOfNotes(notes)));
    QCOMPARE(pending->sort(), qint16(3));
    QCOMPARE(pending->content(), QString("本地"));
    QCOMPARE(byId("1000")->sort(), qint16(102));
}

void TstSyncNotes::outOfRangeNumbersReadAsNone_data()
{
    QTest::addColumn<QJsonValue>("value");
    QTest::addColumn<QString>("id");
    QTest::addColumn<int>("code");
    QTest::newRow("small number") << QJsonValue(2) << "2" << 2;
    QTest::newRow("digit text") << QJsonValue("3") << "3" << 3;
    QTest::newRow("largest whole double in range")
        << QJsonValue(9223372036854774784.0) << "9223372036854774784" << -1;
    QTest::newRow("2^63") << QJsonValue(9223372036854775808.0) << "" << -1;
    QTest::newRow("9.3e18") << QJsonValue(9.3e18) << "" << -1;
    QTest::newRow("-9.3e18") << QJsonValue(-9.3e18) << "" << -1;
    QTest::newRow("1e30") << QJsonValue(1e30) << "" << -1;
    QTest::newRow("fraction") << QJsonValue(1.5) << "" << -1;
    QTest::newRow("beyond int") << QJsonValue(4294967298.0) << "4294967298" << -1;
    QTest::newRow("text of a huge number")
        << QJsonValue("99999999999999999999") << "99999999999999999999" << -1;
    QTest::newRow("object") << QJsonValue(QJsonObject{}) << "" << -1;
}

void TstSyncNotes::outOfRangeNumbersReadAsNone()
{
    QFETCH(QJsonValue, value);
    QTEST(ReplyValue::idText(value), "id");
    QTEST(ReplyValue::code(value), "code");
}

void TstSyncNotes::outOfRangeEntriesAreSkipped()
{
    category("11");
    save();
    QJsonObject huge = noteEntry("800", "11", 1, "-1");
    huge.insert("actionType", 9.3e18);
    QJsonObject hugeId = noteEntry("801", "11", 1, "-1");
    hugeId.insert("cId", 1e300);
    QJsonObject data = pullOfNotes({huge, hugeId, noteEntry("802", "11", 1, "-1")});
    data.insert("version", 1e30);
    QVERIFY(pull(data));
    QVERIFY(!byId("800"));
    QCOMPARE(ctx()->findAll<NoteDetail>().size(), 1);
    QVERIFY(byId("802"));
}

void TstSyncNotes::clearDeletesTheNamedCategoriesOnly()
{
    for (const char *id : {"11", "12", "13"})
        note(QLatin1String("6") + QLatin1String(id), category(QLatin1String(id)))->setIsSync(true);
    save();
    const QJsonObject data{
        {"version", "9"},
        {"syncClearDataResult", QJsonObject{{"classIds", "11,12"}, {"isClearAllTimeAxis", false}}}};
    NoteMapManager::Result result;
    QVERIFY(pull(data, false, &result));
    QStringList left;
    for (Classify *c : ctx()->findAll<Classify>())
        left << c->classId();
    QCOMPARE(left, QStringList{"13"});
    QVERIFY(!byId("611") && !byId("612") && byId("613"));
    result.withdrawn.sort();
    QCOMPARE(result.withdrawn, (QStringList{"611", "612"}));
}

void TstSyncNotes::emptyRemindSettingClearsTheReminder_data()
{
    QTest::addColumn<QJsonValue>("setting");
    QTest::addColumn<bool>("kept");
    QTest::newRow("null") << QJsonValue(QJsonValue::Null) << false;
    QTest::newRow("empty object") << QJsonValue(QJsonObject()) << false;
    QTest::newRow("empty text") << QJsonValue("") << false;
    QTest::newRow("missing") << QJsonValue(QJsonValue::Undefined) << false;
    QTest::newRow("a reminder") << QJsonValue(QJsonObject{{"remindActionType", 2},
                                                          {"remindDateTime", "2031/5/5 8:00:00"}})
                                << true;
}

void TstSyncNotes::emptyRemindSettingClearsTheReminder()
{
    QFETCH(QJsonValue, setting);
    QFETCH(bool, kept);
    NoteDetail *n = note("700", category("11"));
    n->setIsSync(true);
    remind(n);
    save();
    QJsonObject entry = noteEntry("700", "11", 1, "-1", setting, "2");
    if (setting.isUndefined()) {
        QJsonObject detail = entry.value("detail").toObject();
        detail.remove("remindSetting");
        entry.insert("detail", detail);
    }
    QVERIFY(pull(pullOfNotes({entry})));
    QCOMPARE(n->remind() != nullptr, kept);
    QCOMPARE(ctx()->findAll<DateRemind>().size(), kept ? 1 : 0); // no orphan either way
    if (kept) {
        QCOMPARE(n->remind()->remindDateTime(), QString("2031/5/5 8:00:00"));
        QCOMPARE(n->remind()->cId(), QString("700"));
    }
}

void TstSyncNotes::entryValuesBesideTheDetail_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QJsonObject>("entry");
    QTest::addColumn<QString>("fontColor");
    const QJsonObject detail{{"classId", "11"}, {"content", "内容"}, {"sort", 1}, {"nextId", "-1"}};
    QJsonObject withColor = detail;
    withColor.insert("fontColor", "#00ff00");
    for (bool stored : {false, true}) {
        const char *row = stored ? "stored note" : "new note";
        QTest::addRow("%s, value only in the entry", row)
            << stored
            << QJsonObject{{"cId", "900"}, {"actionType", "2"}, {"fontColor", "#ff0000"}, {"detail", detail}}
            << "#ff0000";
        QTest::addRow("%s, the detail wins", row) << stored
                                                  << QJsonObject{{"cId", "900"},
                                                                 {"actionType", "2"},
                                                                 {"fontColor", "#ff0000"},
                                                                 {"detail", withColor}}
                                                  << "#00ff00";
        QTest::addRow("%s, numeric id and action", row)
            << stored << QJsonObject{{"cId", 900}, {"actionType", 1}, {"detail", withColor}} << "#00ff00";
    }
}

void TstSyncNotes::entryValuesBesideTheDetail()
{
    QFETCH(bool, stored);
    QFETCH(QJsonObject, entry);
    QFETCH(QString, fontColor);
    Classify *c = category("11");
    if (stored) {
        NoteDetail *n = note("900", c);
        n->setFontColor("#123456");
        n->setActionType(2);
        n->setIsSync(true);
        n->setIsError(true);
    }
    save();
    QVERIFY(pull(pullOfNotes({entry})));
    NoteDetail *n = byId("900");
    QVERIFY(n);
    QCOMPARE(n->cId(), QString("900"));
    QCOMPARE(n->fontColor(), fontColor);
    QCOMPARE(n->actionType(), qint16(0));
    QVERIFY(n->isSync());
    QVERIFY(!n->isError());
    QCOMPARE(n->classify(), c);
}

void TstSyncNotes::everyKindOfEntryInShortAndLongLists_data()
{
    // A long list finds its stored rows through one index read up front, a short
    // one row by row; both must import each entry alike.
    QTest::addColumn<int>("entries");
    QTest::newRow("short list") << 36;
    QTest::newRow("long list") << 1500;
}

void TstSyncNotes::everyKindOfEntryInShortAndLongLists()
{
    QFETCH(int, entries);
    const QString later = QStringLiteral("2031/2/2 8:00:00");
    Classify *c = category("11");
    auto id = [](int i) { return QString::number(100000 + i); };
    QHash<QString, qint64> remindKeys; // of the stored notes' reminders
    // Entry kinds by i % 6: new with a reminder, new without, new with a value
    // beside the detail, update of a stored note and its reminder, stored note
    // with a local change (kept), deletion.
    for (int i = 0; i < entries; ++i) {
        const int kind = i % 6;
        if (kind < 3)
            continue;
        NoteDetail *n = note(id(i), c);
        n->setContent("本地");
        if (kind != 4) {
            n->setIsSync(true);
            n->setActionType(0);
        }
        if (kind == 3)
            remindKeys.insert(id(i), remind(n)->objectId().pk);
    }
    save();

    const QJsonObject setting{
        {"remindActionType", 2}, {"remindDateTime", later}, {"remindRealDateTime", later}};
    QJsonArray list;
    for (int i = 0; i < entries; ++i) {
        const int kind = i % 6;
        QJsonObject e = noteEntry(id(i), "11", i + 1, "-1", kind == 0 || kind == 3 ? setting : QJsonValue(),
                                  kind == 5 ? "3" : "1");
        if (kind == 2)
            e.insert("fontColor", "#abcdef");
        list.append(e);
    }
    QVERIFY(pull(pullOfNotes(list)));

    for (int i = 0; i < entries; ++i) {
        const int kind = i % 6;
        NoteDetail *n = byId(id(i));
        if (kind == 5) {
            QVERIFY2(!n, qPrintable(id(i)));
            continue;
        }
        QVERIFY2(n, qPrintable(id(i)));
        QCOMPARE(n->content(), kind == 4 ? QString("本地") : "内容" + id(i));
        QCOMPARE(n->isSync(), kind != 4);
        QCOMPARE(n->classify(), c);
        const QString fontColor = kind == 2 ? QString("#abcdef") : kind > 2 ? QString("#3a3a3a") : QString();
        QCOMPARE(n->fontColor(), fontColor);
        DateRemind *r = n->remind();
        QCOMPARE(bool(r), kind == 0 || kind == 3);
        if (kind == 0 || kind == 3) {
            QCOMPARE(r->cId(), id(i));
            QCOMPARE(r->remindDateTime(), later);
            QCOMPARE(r->remindActionType(), qint16(2));
        }
        if (kind == 3)
            QCOMPARE(r->objectId().pk, remindKeys.value(id(i)));
    }
    QCOMPARE(ctx()->findAll<DateRemind>().size(), qsizetype(remindKeys.size() + (entries + 5) / 6));
}

void TstSyncNotes::nextIdPlacement_data()
{
    QTest::addColumn<QString>("cId");    // the pulled note
    QTest::addColumn<QString>("nextId"); // its link
    QTest::addColumn<int>("sort");       // its pulled number
    QTest::addColumn<QStringList>("order");

    QTest::newRow("new, before the second") << "800"
                                            << "702" << 3 << QStringList{"701", "800", "702", "703"};
    QTest::newRow("new, before the first") << "800"
                                           << "701" << 3 << QStringList{"800", "701", "702", "703"};
    QTest::newRow("new, last") << "800"
                               << "-1" << 3 << QStringList{"701", "702", "703", "800"};
    QTest::newRow("unknown link, number 1") << "800"
                                            << "999" << 1 << QStringList{"701", "702", "703", "800"};
    QTest::newRow("unknown link, other number") << "800"
                                                << "999" << 4 << QStringList{"800", "701", "702", "703"};
    QTest::newRow("moved before the first") << "703"
                                            << "701" << 1 << QStringList{"703", "701", "702"};
    QTest::newRow("moved to the end") << "701"
                                      << "-1" << 1 << QStringList{"702", "703", "701"};
}

void TstSyncNotes::nextIdPlacement()
{
    QFETCH(QString, cId);
    QFETCH(QString, nextId);
    QFETCH(int, sort);
    Classify *c = category("11");
    note("701", c, "702", 1)->setIsSync(true);
    note("702", c, "703", 2)->setIsSync(true);
    note("703", c, "-1", 3)->setIsSync(true);
    save();
    QVERIFY(
        pull(pullOfNotes({noteEntry(cId, "11", sort, nextId, QJsonValue::Null, cId == "800" ? "1" : "2")})));
    QTEST(orderOf("11"), "order");
}

void TstSyncNotes::placementUpToHundredEntriesThenReversal_data()
{
    QTest::addColumn<int>("entries");
    QTest::addColumn<int>("firstSort");
    // The pulled numbers run top-down here while the links say the same order:
    // placement follows the links, the reversal turns the numbers over.
    QTest::newRow("100 entries: placement") << 100 << 1;
    QTest::newRow("101 entries: reversal") << 101 << 101;
}

void TstSyncNotes::placementUpToHundredEntriesThenReversal()
{
    QFETCH(int, entries);
    category("11");
    save();
    QJsonArray notes;
    for (int i = 0; i < entries; ++i)
        notes.append(noteEntry(QString::number(1000 + i), "11", i + 1,
                               i + 1 < entries ? QString::number(1001 + i) : "-1"));
    QVERIFY(pull(pullOfNotes(notes)));
    QTEST(int(byId("1000")->sort()), "firstSort");
    QCOMPARE(int(ctx()->findByAttribute<NoteDetail>("classId", "11").size()), entries);
}

void TstSyncNotes::wifiNetworks_data()
{
    QTest::addColumn<QJsonValue>("section");
    QTest::addColumn<QStringList>("names");
    QTest::newRow("empty datas keeps")
        << QJsonValue(QJsonObject{{"datas", QJsonArray()}}) << QStringList{"家", "公司"};
    QTest::newRow("missing keeps") << QJsonValue(QJsonValue::Undefined) << QStringList{"家", "公司"};
    QTest::newRow("entries replace all")
        << QJsonValue(QJsonObject{
               {"datas",
                QJsonArray{QJsonObject{{"actionType", "1"},
                                       {"detail", QJsonObject{{"wifiId", "aa:bb"}, {"name", "咖啡馆"}}}},
                           QJsonObject{{"actionType", "3"},
                                       {"detail", QJsonObject{{"wifiId", "cc:dd"}, {"name", "旧"}}}}}}})
        << QStringList{"咖啡馆"};
    QTest::newRow("a listed network is updated in place")
        << QJsonValue(QJsonObject{
               {"datas",
                QJsonArray{QJsonObject{{"actionType", "2"},
                                       {"detail", QJsonObject{{"wifiId", "家"}, {"name", "新家"}}}}}}})
        << QStringList{"新家"};
}

void TstSyncNotes::wifiNetworks()
{
    QFETCH(QJsonValue, section);
    QHash<QString, qint64> keys;
    for (const char *name : {"家", "公司"}) {
        auto *w = ctx()->create<WiFiRemind>();
        w->setName(QString::fromUtf8(name));
        w->setWifiId(QString::fromUtf8(name));
        keys.insert(w->wifiId(), w->objectId().pk);
    }
    save();
    QJsonObject data{{"version", "9"}};
    if (!section.isUndefined())
        data.insert("syncUserWifiResult", section);
    QVERIFY(pull(data));
    QStringList left;
    for (WiFiRemind *w : ctx()->findAll<WiFiRemind>()) {
        left << w->name();
        if (keys.contains(w->wifiId()))
            QCOMPARE(w->objectId().pk, keys.value(w->wifiId()));
    }
    left.sort();
    QFETCH(QStringList, names);
    names.sort();
    QCOMPARE(left, names);
}

void TstSyncNotes::profileWithoutUserIdTakesTheSignedInUser()
{
    const QJsonObject data{
        {"version", "9"},
        {"syncUserInfoResult", QJsonObject{{"isChange", true}, {"detail", QJsonObject{{"nick", "小明"}}}}}};
    QVERIFY(pull(data));
    QVERIFY(pull(data));
    const QList<UserInfo *> users = ctx()->findAll<UserInfo>();
    QCOMPARE(users.size(), 1);
    QCOMPARE(users.first()->userId(), 42);
    QCOMPARE(users.first()->nick(), QString("小明"));
    QCOMPARE(users.first()->version(), QString("9"));
}

void TstSyncNotes::skinFromSettings_data()
{
    QTest::addColumn<QString>("syncSettings");
    QTest::addColumn<QString>("newSkin");
    QTest::addColumn<QString>("current");
    QTest::newRow("known skin") << "1,2"
                                << "green"
                                << "green";
    QTest::newRow("unknown skin keeps") << "1,2"
                                        << "purple"
                                        << "blue";
    QTest::newRow("empty name keeps") << "1"
                                      << ""
                                      << "blue";
    QTest::newRow("skins not synced") << "2,11"
                                      << "green"
                                      << "blue";
}

void TstSyncNotes::skinFromSettings()
{
    QFETCH(QString, syncSettings);
    QFETCH(QString, newSkin);
    for (const char *name : {"blue", "green"}) {
        auto *s = ctx()->create<UISkin>();
        s->setNameId(QLatin1String(name));
        s->setIsCurrSkin(QLatin1String(name) == QLatin1String("blue"));
    }
    auto *u = ctx()->create<UserInfo>();
    u->setUserId(42);
    u->setSyncSettings(syncSettings);
    save();
    QVERIFY(pull({{"version", "9"},
                  {"syncUserSetResult",
                   QJsonObject{{"isChange", true}, {"detail", QJsonObject{{"newSkinColor", newSkin}}}}}}));
    QStringList currentSkins;
    for (UISkin *s : ctx()->findAll<UISkin>())
        if (s->isCurrSkin())
            currentSkins << s->nameId();
    QFETCH(QString, current);
    QCOMPARE(currentSkins, QStringList{current});
}

void TstSyncNotes::deltaPullKeepsCategoriesWhateverTheStoredVersion_data()
{
    QTest::addColumn<QString>("stored");
    QTest::newRow("version 0") << "0";
    QTest::newRow("no version") << "";
    QTest::newRow("version 5") << "5";
}

void TstSyncNotes::deltaPullKeepsCategoriesWhateverTheStoredVersion()
{
    QFETCH(QString, stored);
    if (stored.isEmpty())
        UserDefaults::remove(SignInKeys::Version);
    else
        UserDefaults::setValue(SignInKeys::Version, stored);
    Classify *c = category("11");
    note("700", c, "-1", 1)->setIsSync(true);
    category("12", 2);
    save();
    QVERIFY(pull(pullOfNotes({noteEntry("800", "11", 2, "700")})));
    QCOMPARE(ctx()->findAll<Classify>().size(), 2);
    QCOMPARE(orderOf("11"), (QStringList{"800", "700"}));
}

// ---- the schedule after a sync ----

void TstSyncNotes::pulledDateReminderIsScheduled()
{
    cleanup(); // the engine works on its device's own store
    Clock::reset();
    const QString root = TestEnv::freshFolders();
    SyncTestService s;
    auto &d = s.notes->data(s.tester());
    d.classes.insert("500", NoteSyncHandlers::Category{"500", "工作", "#10b56c", 1, 1, false});
    NoteSyncHandlers::Note n;
    n.cId = "600";
    n.classId = "500";
    n.content = "交房租";
    n.version = 1;
    n.remind = QJsonObject{{"remindActionType", 1},
                           {"remindDateTime", "2035/1/1 9:00:00"},
                           {"remindRealDateTime", "2035/1/1 9:00:00"}};
    d.notes.insert(n.cId, n);
    s.tester().version = 1;

    SyncClient a("a", root, s, s.tester());
    const auto graph = programOn(a, s);
    QVERIFY(a.pull(SyncEngine::PullKind::Full));
    QCOMPARE(a.version(), QString("1"));
    const auto pending = s.notifications->scheduledNotification("600");
    QVERIFY(pending);
    QCOMPARE(pending->deliveryDate, QDateTime(QDate(2035, 1, 1), QTime(9, 0)));
    QCOMPARE(pending->informativeText, QString("交房租"));
    QCOMPARE(pending->title, QString("工作"));

    // A later pull clears the reminder: the notification goes.
    d.notes["600"].remind = {};
    d.notes["600"].version = 2;
    s.tester().version = 2;
    QVERIFY(a.pull());
    QCOMPARE(a.version(), QString("2"));
    QVERIFY(!s.notifications->scheduledNotification("600"));
}

void TstSyncNotes::pushedReminderFollowsTheServerId()
{
    cleanup();
    Clock::reset();
    const QString root = TestEnv::freshFolders();
    SyncTestService s;
    SyncClient a("a", root, s, s.tester());
    const auto graph = programOn(a, s);
    Classify *cat = a.addCategory("工作");
    NoteDetail *n = a.addNote(cat, "开会");
    a.setReminder(n, "2035/2/1 10:00:00");
    const QString clientId = n->cId();
    QVERIFY(a.reminds->addDateUserNotificationWithNote(n));
    QVERIFY(s.notifications->scheduledNotification(clientId));

    QVERIFY(a.sync());
    QVERIFY(!n->cId().contains('c'));
    QVERIFY(!s.notifications->scheduledNotification(clientId));
    const auto pending = s.notifications->scheduledNotification(n->cId());
    QVERIFY(pending);
    QCOMPARE(pending->deliveryDate, QDateTime(QDate(2035, 2, 1), QTime(10, 0)));
    QCOMPARE(s.notifications->scheduledNotifications().size(), 1);
}

void TstSyncNotes::refusalsAreShownInOneMessage()
{
    cleanup();
    Clock::reset();
    const QString root = TestEnv::freshFolders();
    SyncTestService s;
    SyncClient a("a", root, s, s.tester());
    s.notes->refuseNoteContent("违规一", "含有敏感词");
    s.notes->refuseNoteContent("违规二", "含有敏感词");
    s.notes->refuseCategoryName("禁用名", "分类名不可用");
    Classify *cat = a.addCategory("工作");
    a.addCategory("禁用名");
    NoteDetail *bad = a.addNote(cat, "违规一");
    a.addNote(cat, "违规二");
    NoteDetail *good = a.addNote(cat, "正常");
    QVERIFY(a.sync());

    const QStringList shown = s.feedback->messages();
    QCOMPARE(shown.size(), 1);
    QStringList parts = shown.first().split(';');
    parts.sort();
    QCOMPARE(parts, (QStringList{"分类名不可用", "含有敏感词"}));
    QVERIFY(bad->isError() && !bad->isSync());
    QVERIFY(good->isSync() && !good->cId().contains('c'));
}

PRELVANE_TEST_CORE_MAIN(TstSyncNotes)
#include "tst_syncnotes.moc"
