// The search pane over a store: what a query finds in each scope (case folding
// for every script, white space ignored on both sides, "%" and "_" as plain
// characters, deleted notes left out), the order of the hits, the hits
// following saves of the main and background contexts without a reset, the tip
// and toast, and the row menu.

#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/NoteLog.h"
#include "notes/search/presenter/FoldedTextIndex.h"
#include "notes/search/presenter/NoteSearchMenu.h"
#include "notes/search/presenter/NoteSearchModel.h"
#include "notes/search/presenter/NoteSearchPresenter.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Session.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"
#include "tests/support/EventRecorder.h"
#include "tests/support/RecordingFeedback.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestGraph.h"
#include "tests/support/doubles/ManualScheduler.h"

#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QGuiApplication>
#include <QSignalSpy>

#include <memory>

using Scope = NoteSearchPresenter::Scope;
Q_DECLARE_METATYPE(Scope)

class TestNoteSearch : public QObject
{
    Q_OBJECT
private:
    StoreFixture m_fx;
    std::unique_ptr<AppEvents> m_events;
    std::unique_ptr<RecordingFeedback> m_feedback;
    std::unique_ptr<EventRecorder> m_recorder;
    std::unique_ptr<TestGraph> m_graph;
    std::unique_ptr<NoteSearchPresenter> m_search;
    std::unique_ptr<QAbstractItemModelTester> m_tester;
    Classify *m_work = nullptr;
    int m_next = 0;

    Context *ctx() { return m_fx.ctx(); }
    NoteSearchModel *model() { return m_search->model(); }
    void save() { QVERIFY(ctx()->saveAndWait()); }

    // Stored rows are given as texts; a prefix marks a note "deleted:" (actionType 3)
    // or "completed:", and a history record of a deletion "deleted:". Each later
    // row sorts higher; the n-th row's cId is "c<n>".
    void store(Scope scope, const QStringList &rows)
    {
        for (const QString &row : rows) {
            QString text = row;
            const bool deleted = text.startsWith(QLatin1String("deleted:"));
            const bool completed = text.startsWith(QLatin1String("completed:"));
            if (deleted || completed)
                text = text.section(u':', 1);
            const QString cId = QStringLiteral("c%1").arg(m_next);
            if (scope == Scope::Notes) {
                NoteDetail *n = m_fx.note(cId, m_work, text);
                n->setSort(qint16(++m_next));
                n->setActionType(qint16(deleted ? 3 : 2));
                n->setIsCompleted(completed);
            } else {
                auto *log = ctx()->create<NoteLog>();
                ++m_next;
                log->setTId(QString::number(1000 + m_next));
                log->setSort(1000 + m_next);
                log->setCId(cId);
                log->setContent(text);
                log->setActionType(qint16(deleted ? 3 : 2));
            }
        }
        save();
    }
    // The hits shown, by cId.
    QStringList hits()
    {
        QStringList out;
        for (int i = 0; i < model()->rowCount(); ++i)
            out << model()->index(i).data(NoteSearchModel::CIdRole).toString();
        return out;
    }
    NoteDetail *note(const QString &cId) { return ctx()->findFirstByAttribute<NoteDetail>("cId", cId); }

private slots:
    void init()
    {
        QVERIFY(m_fx.open(QDateTime(QDate(2026, 3, 6), QTime(10, 0))));
        m_events = std::make_unique<AppEvents>();
        m_feedback = std::make_unique<RecordingFeedback>();
        m_work = m_fx.category("k1", "工作");
        save();
        m_graph = std::make_unique<TestGraph>(
            m_fx, ProgramServices::Parts().use(m_events.get()).use(m_feedback.get()));
        m_search = std::make_unique<NoteSearchPresenter>(m_graph->services());
        m_tester = std::make_unique<QAbstractItemModelTester>(
            model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        m_recorder = std::make_unique<EventRecorder>(m_events.get());
        m_next = 0;
    }

    void cleanup()
    {
        m_recorder.reset();
        m_tester.reset();
        m_search.reset();
        m_graph.reset();
        m_feedback.reset();
        m_events.reset();
        m_fx.close();
    }

    void matching_data()
    {
        QTest::addColumn<Scope>("scope");
        QTest::addColumn<QStringList>("rows"); // c0, c1, ... ; later ones sort higher
        QTest::addColumn<QString>("query");
        QTest::addColumn<QStringList>("found"); // the hits in order

        for (const Scope scope : {Scope::Notes, Scope::History}) {
            const QByteArray s = scope == Scope::Notes ? "notes: " : "history: ";
            QTest::newRow(s + "lower case query, upper case text")
                << scope << QStringList{"Buy MILK today", "buy bread"} << "milk" << QStringList{"c0"};
            QTest::newRow(s + "upper case query, mixed text, newest first")
                << scope << QStringList{"call mom", "Call Dad", "recall"} << "CALL"
                << QStringList{"c2", "c1", "c0"};
            QTest::newRow(s + "full-width letters in either case")
                << scope << QStringList{"会议ＲＯＯＭ３", "room 3"} << "ｒｏｏｍ" << QStringList{"c0"};
            QTest::newRow(s + "Chinese text")
                << scope << QStringList{"明天去北京开会", "北方", "京北"} << "北京" << QStringList{"c0"};
            QTest::newRow(s + "Greek: final sigma folds like sigma")
                << scope << QStringList{"ΟΔΟΣ 5", "οδοι"} << "οδος" << QStringList{"c0"};
            QTest::newRow(s + "a space between two letters finds them side by side")
                << scope << QStringList{"AB", "ab", "a-b", "x a\tb y"} << "a b"
                << QStringList{"c3", "c1", "c0"};
            QTest::newRow(s + "spaces in the text are ignored too")
                << scope << QStringList{"重 要 会 议", "重要"} << "要会" << QStringList{"c0"};
            QTest::newRow(s + "spaces only search nothing")
                << scope << QStringList{"a b", " "} << "   " << QStringList{};
            QTest::newRow(s + "\"%\" is a plain character")
                << scope << QStringList{"100% done", "100 done", "1000"} << "100%" << QStringList{"c0"};
            QTest::newRow(s + "\"_\" is a plain character")
                << scope << QStringList{"a_b", "axb", "a%b"} << "a_b" << QStringList{"c0"};
            QTest::newRow(s + "no hits") << scope << QStringList{"one", "two"} << "three" << QStringList{};
            QTest::newRow(s + "a longer query than any text")
                << scope << QStringList{"ab"} << "abcde" << QStringList{};
        }
        QTest::newRow("notes: a deleted note is not found, a completed one is")
            << Scope::Notes << QStringList{"deleted:report A", "completed:report B", "report C"} << "report"
            << QStringList{"c2", "c1"};
        QTest::newRow("history: the record of a deleted note is found")
            << Scope::History << QStringList{"deleted:report A", "report B"} << "report"
            << QStringList{"c1", "c0"};
    }

    void matching()
    {
        QFETCH(Scope, scope);
        QFETCH(QStringList, rows);
        QFETCH(QString, query);
        store(scope, rows);
        // The other scope holds the same texts, so a hit from the wrong one would show.
        store(scope == Scope::Notes ? Scope::History : Scope::Notes, rows);
        m_search->chooseScope(scope);
        m_search->searchButtonAction(query);
        QTEST(hits(), "found");
        if (!m_search->tip().isEmpty()) // a search ran
            QCOMPARE(model()->scope(), scope);
    }

    void foldedText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("folded");
        QTest::newRow("Latin") << "Hello World"
                               << "helloworld";
        QTest::newRow("full-width") << "ＡＢＣ　ｄ"
                                    << "ａｂｃｄ";
        QTest::newRow("white space of every kind") << " a\tb\nc\u3000d "
                                                   << "abcd";
        QTest::newRow("Chinese unchanged") << "北京 会议"
                                           << "北京会议";
        QTest::newRow("letter outside the basic plane")
            << QString::fromUtf8("\xF0\x90\x90\x80x") // Deseret capital
            << QString::fromUtf8("\xF0\x90\x90\xA8x");
    }

    void foldedText()
    {
        QFETCH(QString, text);
        QTEST(FoldedTextIndex::fold(text), "folded");
    }

    void tipToastAndListShown_data()
    {
        QTest::addColumn<QString>("query");
        QTest::addColumn<QString>("tip"); // empty: no search ran
        QTest::addColumn<bool>("shown");
        QTest::newRow("two hits") << "report"
                                  << "共有2条结果" << true;
        QTest::newRow("no hits") << "nothing"
                                 << "共有0条结果" << false;
        QTest::newRow("empty") << ""
                               << "" << false;
        QTest::newRow("spaces only") << "  \t "
                                     << "" << false;
    }

    void tipToastAndListShown()
    {
        QFETCH(QString, query);
        QFETCH(QString, tip);
        store(Scope::Notes, {"report A", "report B", "other"});
        QSignalSpy resets(model(), &QAbstractItemModel::modelReset);
        m_search->searchButtonAction(query);
        QTEST(m_search->tip(), "tip");
        QTEST(m_search->isListShown(), "shown");
        QCOMPARE(m_feedback->toasts(), tip.isEmpty() ? QStringList{} : QStringList{tip});
        QCOMPARE(resets.size(), tip.isEmpty() ? 0 : 1);
    }

    // Saves of the main context and a pull's background save: changed, added and
    // deleted notes move the hits in place; the tip follows, no reset.
    void hitsFollowTheStore()
    {
        store(Scope::Notes, {"plan trip", "plan budget", "other", "plan party", "keep"});
        m_search->searchButtonAction("PLAN");
        QCOMPARE(hits(), (QStringList{"c3", "c1", "c0"}));
        QSignalSpy resets(model(), &QAbstractItemModel::modelReset);
        QSignalSpy changed(model(), &QAbstractItemModel::dataChanged);

        // An edit here: a hit that no longer matches leaves, a note that now matches comes in.
        note("c1")->setContent(QStringLiteral("budget"));
        note("c2")->setContent(QStringLiteral("other plan"));
        save();
        QCOMPARE(hits(), (QStringList{"c3", "c2", "c0"}));
        QCOMPARE(m_search->tip(), QStringLiteral("共有3条结果"));

        // A pull: one note changed (still a hit), one added, one marked deleted, one removed.
        bool saved = false;
        m_fx.store()->saveInBackground(
            [this](Context &bg) {
                bg.findFirstByAttribute<NoteDetail>("cId", "c0")
                    ->setContent(QStringLiteral("plan trip to Xi'an"));
                bg.findFirstByAttribute<NoteDetail>("cId", "c2")->setActionType(3);
                bg.deleteObject(bg.findFirstByAttribute<NoteDetail>("cId", "c3"));
                NoteDetail *n = bg.create<NoteDetail>();
                n->setCId(QStringLiteral("new"));
                n->setClassId(QStringLiteral("k1"));
                n->setContent(QStringLiteral("Plan B"));
                n->setSort(qint16(50));
            },
            [&saved](const SaveResult &r) { saved = bool(r); });
        QTRY_VERIFY(saved);
        QCOMPARE(hits(), (QStringList{"new", "c0"}));
        QCOMPARE(m_search->tip(), QStringLiteral("共有2条结果"));
        QCOMPARE(resets.size(), 0);
        // The changed hit repaints.
        bool repainted = false;
        for (const QList<QVariant> &args : changed)
            repainted |= args.first().toModelIndex().data(NoteSearchModel::CIdRole).toString() == "c0";
        QVERIFY(repainted);

        // A reordering (the hand order changed) moves the hits.
        note("c0")->setSort(qint16(99));
        save();
        QCOMPARE(hits(), (QStringList{"c0", "new"}));
        QCOMPARE(resets.size(), 0);
    }

    void aReminderChangesTheRowHeight()
    {
        store(Scope::Notes, {"dentist"});
        m_search->searchButtonAction("dentist");
        QCOMPARE(model()->index(0).data(NoteSearchModel::HeightRole).toInt(), 41);
        QSignalSpy changed(model(), &QAbstractItemModel::dataChanged);
        DateRemind *r = m_fx.remind(note("c0"));
        r->setRemindDateTime(QStringLiteral("2026/3/7 9:00:00"));
        r->setRemindRealDateTime(QStringLiteral("2026/3/7 9:00:00"));
        save();
        QVERIFY(!changed.isEmpty());
        QCOMPARE(model()->index(0).data(NoteSearchModel::HeightRole).toInt(), 56);
    }

    // The history mirror's records come and go with the pager's pages and deletions.
    void historyHitsFollowTheMirror()
    {
        store(Scope::History, {"lunch with Li", "lunch"});
        m_search->chooseScope(Scope::History);
        m_search->searchButtonAction("LUNCH");
        QCOMPARE(hits(), (QStringList{"c1", "c0"}));
        auto *log = ctx()->create<NoteLog>();
        log->setTId(QStringLiteral("5000"));
        log->setSort(5000);
        log->setCId(QStringLiteral("late"));
        log->setContent(QStringLiteral("Lunch moved"));
        ctx()->deleteObject(ctx()->findFirstByAttribute<NoteLog>("cId", "c0"));
        save();
        QCOMPARE(hits(), (QStringList{"late", "c1"}));
    }

    // A sign-out drops the hits and the texts: the next account's search reads its own store.
    void signOutForgetsEverything()
    {
        store(Scope::Notes, {"salary slip"});
        m_search->searchButtonAction("salary");
        QCOMPARE(hits(), QStringList{"c0"});
        m_graph->services().session->signOut([this] {
            ctx()->deleteObject(note("c0"));
            // The wipe's save announces nothing here: the texts must not outlive it anyway.
            QSignalBlocker quiet(ctx());
            QVERIFY(ctx()->saveAndWait());
        });
        QCOMPARE(model()->rowCount(), 0);
        QCOMPARE(m_search->tip(), QString());
        QVERIFY(!m_search->isListShown());
        store(Scope::Notes, {"salary of the next account"});
        m_search->searchButtonAction("salary");
        QCOMPARE(hits(), QStringList{"c1"});
    }

    void rowMenu()
    {
        store(Scope::Notes, {"milk"});
        store(Scope::History, {"milk record"});
        m_search->searchButtonAction("milk");
        QVERIFY(!m_search->openMenu(-1).isVisible());
        QVERIFY(!m_search->openMenu(1).isVisible());
        const QList<NoteSearchMenu::Item> noteItems{{NoteSearchMenu::Copy, "  复制  "},
                                                    {NoteSearchMenu::Second, "  详情  "}};
        QCOMPARE(m_search->openMenu(0).items(), noteItems);

        // "  详情  " shows the note in the main view.
        m_search->triggerMenuItem(0, NoteSearchMenu::Second);
        QCOMPARE(m_recorder->events, QStringList{"ReloadLeftHomeList=c0"});
        // "  复制  " puts the text on the clipboard.
        m_search->triggerMenuItem(0, NoteSearchMenu::Copy);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("milk"));
        QCOMPARE(m_feedback->toasts().last(), QStringLiteral("复制成功"));

        // Choosing the other scope changes nothing of the hits shown until the next search.
        m_search->chooseScope(Scope::History);
        QCOMPARE(m_search->openMenu(0).items(), noteItems);
        m_search->searchButtonAction("milk");
        QCOMPARE(hits(), QStringList{"c1"});
        const QList<NoteSearchMenu::Item> logItems{{NoteSearchMenu::Copy, "  复制  "},
                                                   {NoteSearchMenu::Second, "  删除  "}};
        QCOMPARE(m_search->openMenu(0).items(), logItems);
        m_search->triggerMenuItem(0, NoteSearchMenu::Copy);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("milk record"));
    }
};

PRELVANE_TEST_MAIN(TestNoteSearch)
#include "tst_notesearch.moc"
