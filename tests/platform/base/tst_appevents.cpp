#include "platform/base/AppEvents.h"
#include "tests/support/EventRecorder.h"
#include "tests/support/TestEnv.h"

#include <functional>

using Post = std::function<void(AppEvents &)>;
Q_DECLARE_METATYPE(Post)

class TestAppEvents : public QObject
{
    Q_OBJECT
private slots:
    // Every name with every kind of object it carries, as an observer sees it.
    void eachNameCarriesItsPayload_data()
    {
        QTest::addColumn<Post>("post");
        QTest::addColumn<QString>("seen");
        const CategoryKey work{7, "k7"};
        const NoteKey note{12, "c16000000001234"};
        auto row = [](const char *name, Post post, const QString &seen) {
            QTest::newRow(name) << post << seen;
        };
        row(
            "list: category",
            [=](AppEvents &e) { e.notesListReloadDatas(NotesListReload::showCategory(work)); },
            "NotesListReloadDatas=Classify:k7");
        row(
            "list: note", [=](AppEvents &e) { e.notesListReloadDatas(NotesListReload::showNote(note)); },
            "NotesListReloadDatas=NoteDetail:c16000000001234");
        row(
            "list: all", [](AppEvents &e) { e.notesListReloadDatas(NotesListReload::all()); },
            "NotesListReloadDatas=NoteListReloadTypeAll");
        row(
            "list: single", [](AppEvents &e) { e.notesListReloadDatas(NotesListReload::single()); },
            "NotesListReloadDatas=NoteListReloadTypeSingle");
        row(
            "left: category",
            [=](AppEvents &e) { e.reloadLeftHomeList(LeftHomeListReload::selectCategory(work)); },
            "ReloadLeftHomeList=Classify:k7");
        row(
            "left: note id", [](AppEvents &e) { e.reloadLeftHomeList(LeftHomeListReload::selectNote("c9")); },
            "ReloadLeftHomeList=c9");
        row(
            "left: nil", [](AppEvents &e) { e.reloadLeftHomeList(LeftHomeListReload::refetch()); },
            "ReloadLeftHomeList=");
        row(
            "deselect item", [](AppEvents &e) { e.deselectCollectionItem(); }, "DeselectCollectionItem=");
        row(
            "pull", [](AppEvents &e) { e.syncPullNoteDatas("42"); }, "SyncPullNoteDatas=42");
        row(
            "push: note", [=](AppEvents &e) { e.syncPushNoteDatas(note); },
            "SyncPushNoteDatas=c16000000001234");
        row(
            "push: nil", [](AppEvents &e) { e.syncPushNoteDatas({}); }, "SyncPushNoteDatas=");
        row(
            "detail: note", [=](AppEvents &e) { e.reloadNoteDetail(note); },
            "ReloadNoteDetail=c16000000001234");
        row(
            "detail: nil", [](AppEvents &e) { e.reloadNoteDetail({}); }, "ReloadNoteDetail=");
        row(
            "add", [](AppEvents &e) { e.addNoteDetail(); }, "AddNoteDetail=");
        row(
            "revoke", [](AppEvents &e) { e.revokeCompleteNote(); }, "RevokeCompleteNote=");
        row(
            "deselect row", [](AppEvents &e) { e.noteDeselectRow(); }, "NoteDeselectRow=");
        row(
            "title bar", [](AppEvents &e) { e.reloadDatasForTitleBar(); }, "ReloadDatasForTitleBar=");
    }
    void eachNameCarriesItsPayload()
    {
        QFETCH(Post, post);
        QFETCH(QString, seen);
        AppEvents events;
        EventRecorder recorder(&events);
        post(events);
        // Delivered before the post returns, once, under its own name only.
        QCOMPARE(recorder.events, QStringList{seen});
    }

    void payloadsArriveAsPostedAndQueueable()
    {
        AppEvents events;
        const NotesListReload posted = NotesListReload::showNote({3, "c3"});
        NotesListReload received;
        QObject context;
        QObject::connect(&events, &AppEvents::notesListReloadDatas, &context,
                         [&](const NotesListReload &what) { received = what; });
        events.notesListReloadDatas(posted);
        QCOMPARE(received, posted);
        QVERIFY(!(received == NotesListReload::showNote({3, "c4"})));
        QVERIFY(NoteKey{}.isNull());
        QVERIFY(!NoteKey({0, "c1"}).isNull());

        // A queued observer (another thread's object) gets a copy of the value.
        LeftHomeListReload queued;
        QObject::connect(
            &events, &AppEvents::reloadLeftHomeList, &context,
            [&](const LeftHomeListReload &what) { queued = what; }, Qt::QueuedConnection);
        events.reloadLeftHomeList(LeftHomeListReload::selectCategory({5, "k5"}));
        QCOMPARE(queued, LeftHomeListReload());
        QTRY_COMPARE(queued, LeftHomeListReload::selectCategory({5, "k5"}));
    }

    void observersWithADeadContextAreDropped()
    {
        AppEvents events;
        QStringList seen;
        auto *context = new QObject;
        QObject::connect(&events, &AppEvents::syncPushNoteDatas, context,
                         [&](const NoteKey &note) { seen << note.cId; });
        QObject::connect(&events, &AppEvents::addNoteDetail, context, [&] {
            seen << "add";
            delete context; // an observer that goes away while it handles the event
        });
        events.syncPushNoteDatas({1, "c1"});
        events.addNoteDetail();
        events.syncPushNoteDatas({2, "c2"});
        events.addNoteDetail();
        QCOMPARE(seen, QStringList({"c1", "add"}));
    }
};

PRELVANE_TEST_CORE_MAIN(TestAppEvents)
#include "tst_appevents.moc"
