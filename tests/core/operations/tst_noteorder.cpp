#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/UserSet.h"
#include "core/operations/NoteActionManager.h"
#include "core/reminders/dates/DateManager.h"
#include "platform/base/Clock.h"
#include "platform/store/Context.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestGraph.h"

#include <QHash>
#include <QRandomGenerator>
#include <QSet>

#include <memory>

namespace {

struct Snapshot
{
    QString nextId;
    qint16 actionType = 0;
};

} // namespace

// Whatever sequence of adds (top and bottom), moves, completions (each
// completion setting) and deletions runs, every category's live notes form one
// chain by nextId from the top to "-1", sort rises strictly along it, no note
// names itself, a deleted note stays deleted, a pending flag is never lowered
// and every rewired note is marked for the push.
class TestNoteOrder : public QObject
{
    Q_OBJECT
private:
    StoreFixture m_fx;
    std::unique_ptr<TestGraph> m_graph;

    Context *ctx() { return m_fx.ctx(); }
    NoteActionManager &actions() const { return *m_graph->services().noteActions; }

    // Empty when the order holds, else what is wrong.
    QString checkCategory(const Classify *c)
    {
        QList<NoteDetail *> live;
        for (NoteDetail *n : c->notes())
            if (n->actionType() != 3)
                live.append(n);
        if (live.isEmpty())
            return {};
        QHash<QString, NoteDetail *> byId;
        for (NoteDetail *n : live) {
            if (byId.contains(n->cId()))
                return "two live notes with cId " + n->cId();
            byId.insert(n->cId(), n);
            if (n->nextId() == n->cId())
                return n->cId() + " names itself";
        }
        QSet<QString> pointedTo;
        for (NoteDetail *n : live)
            pointedTo.insert(n->nextId());
        QList<NoteDetail *> heads;
        for (NoteDetail *n : live)
            if (!pointedTo.contains(n->cId()))
                heads.append(n);
        if (heads.size() != 1)
            return QString("%1 notes at the top").arg(heads.size());
        QSet<QString> visited;
        NoteDetail *n = heads.first();
        while (true) {
            visited.insert(n->cId());
            const QString next = n->nextId();
            if (next == "-1")
                break;
            NoteDetail *below = byId.value(next);
            if (!below)
                return n->cId() + " points to " + next + ", not a live note of the category";
            if (visited.contains(next))
                return "cycle at " + next;
            if (!(below->sort() > n->sort()))
                return QString("sort does not rise from %1 (%2) to %3 (%4)")
                    .arg(n->cId())
                    .arg(n->sort())
                    .arg(below->cId())
                    .arg(below->sort());
            n = below;
        }
        if (visited.size() != live.size())
            return QString("chain covers %1 of %2 live notes").arg(visited.size()).arg(live.size());
        return {};
    }

    QString checkFlags(const QHash<NoteDetail *, Snapshot> &before, NoteDetail *acted)
    {
        for (auto it = before.constBegin(); it != before.constEnd(); ++it) {
            NoteDetail *n = it.key();
            const Snapshot &was = it.value();
            if (was.actionType == 3 && (n->actionType() != 3 || n->nextId() != was.nextId))
                return n->cId() + " was deleted and changed again";
            if ((was.actionType == 1 || was.actionType == 2) && n->actionType() == 0)
                return n->cId() + " lost its pending flag";
            if (n != acted && n->nextId() != was.nextId && n->isSync())
                return n->cId() + " was rewired but not marked for the push";
        }
        return {};
    }

    void runSequence(quint32 seed, int steps)
    {
        QRandomGenerator rnd(seed);
        UserSet *set = ctx()->create<UserSet>();
        QList<Classify *> categories;
        for (int i = 0; i < 3; ++i)
            categories << m_fx.category(QString("k%1").arg(i), QString("类%1").arg(i));
        // Some notes as a pull leaves them: numbered from 1, chained, pushed.
        for (Classify *c : categories) {
            const int count = int(rnd.bounded(4));
            for (int i = 0; i < count; ++i) {
                auto *n = ctx()->create<NoteDetail>();
                n->setCId(QString("%1-%2").arg(c->classId()).arg(i));
                n->setClassify(c);
                n->setClassId(c->classId());
                n->setSort(qint16(i + 1));
                n->setNextId(i + 1 < count ? QString("%1-%2").arg(c->classId()).arg(i + 1) : "-1");
                n->setIsSync(true);
                n->setIsCompleted(rnd.bounded(4) == 0);
            }
        }

        QStringList trail;
        for (int step = 0; step < steps; ++step) {
            QList<NoteDetail *> live =
                ctx()->findAllWhere<NoteDetail>([](const NoteDetail *n) { return n->actionType() != 3; });
            QHash<NoteDetail *, Snapshot> before;
            for (NoteDetail *n : ctx()->findAll<NoteDetail>())
                before.insert(n, {n->nextId(), n->actionType()});

            NoteDetail *acted = nullptr;
            bool settled = false;
            const int op = int(rnd.bounded(100));
            Classify *c = categories.at(int(rnd.bounded(categories.size())));
            if (op < 35 || live.isEmpty()) {
                set->setNoteAddPositionType(qint16(rnd.bounded(2)));
                acted = actions().addActionNoteWithClassify(c);
                acted->setContent("新");
                acted->setActionType(1);
                trail << QString("add %1 %2")
                             .arg(set->noteAddPositionType() == 1 ? "top" : "bottom", c->classId());
            } else {
                acted = live.at(int(rnd.bounded(live.size())));
                if (op < 50) {
                    actions().moveNoteToClassify(c, acted);
                    trail << "move " + acted->cId() + " to " + c->classId();
                } else if (op < 80) {
                    set->setNoteCompleteActionType(qint16(rnd.bounded(5)));
                    if (!acted->remind() && rnd.bounded(2)) {
                        DateRemind *r = m_fx.remind(acted);
                        r->setRemindCycleType(qint16(rnd.bounded(3)));
                        r->setRemindRealDateTime(DateManager::getStringFromDate(
                            Clock::now().addSecs(qint64(rnd.bounded(200)) * 3600 - 100 * 3600)));
                        if (rnd.bounded(4) == 0)
                            r->setConnectWifiIds("0");
                    }
                    actions().completeActionWithNote(acted);
                    trail << QString("complete %1 with setting %2")
                                 .arg(acted->cId())
                                 .arg(set->noteCompleteActionType());
                } else if (op < 95) {
                    QVERIFY(actions().deleteActionWithNote(acted));
                    trail << "delete " + acted->cId();
                } else {
                    // A pull settled everything: the flags start over.
                    for (NoteDetail *n : live) {
                        n->setActionType(0);
                        n->setIsSync(true);
                    }
                    trail << "pushed";
                    settled = true;
                }
            }
            Clock::advance(qint64(rnd.bounded(48)) * 3600 * 1000);

            for (const Classify *cat : categories) {
                const QString fault = checkCategory(cat);
                QVERIFY2(fault.isEmpty(),
                         qPrintable(QString("seed %1, step %2 (%3), category %4: %5\n%6")
                                        .arg(seed)
                                        .arg(step)
                                        .arg(trail.last(), cat->classId(), fault, trail.join("\n"))));
            }
            const QString fault = settled ? QString() : checkFlags(before, acted);
            QVERIFY2(fault.isEmpty(),
                     qPrintable(
                         QString("seed %1, step %2 (%3): %4").arg(seed).arg(step).arg(trail.last(), fault)));
        }
    }

private slots:
    void init()
    {
        QVERIFY(m_fx.open(QDateTime(QDate(2026, 3, 6), QTime(10, 0))));
        m_graph = std::make_unique<TestGraph>(m_fx);
    }

    void cleanup()
    {
        m_graph.reset();
        m_fx.close();
    }

    // A corrupt chain from the service (a cycle, two notes naming the same next,
    // a note naming itself or a note that is not there, two bottom notes) is
    // rebuilt in the order the list shows (sort) by the next operation on the
    // category; the rewired notes go with the next push.
    void corruptChainsAreRepaired_data()
    {
        QTest::addColumn<QStringList>("nextIds"); // of a, b, c, d (sort 1..4)
        QTest::addColumn<QString>("action");
        const QList<std::pair<const char *, QStringList>> shapes = {
            {"cycle", {"b", "c", "d", "b"}},
            {"all in a ring", {"b", "c", "d", "a"}},
            {"fork", {"c", "c", "d", "-1"}},
            {"names itself", {"b", "b", "d", "-1"}},
            {"missing next", {"b", "gone", "d", "-1"}},
            {"two bottoms", {"b", "-1", "d", "-1"}},
        };
        const QStringList actions = {"delete b",          "delete d",          "complete b top",
                                     "complete b bottom", "complete b delete", "add top",
                                     "add bottom",        "move b away",       "move one in"};
        for (const auto &[name, ids] : shapes)
            for (const QString &action : actions)
                QTest::newRow(qPrintable(QString("%1, %2").arg(name, action))) << ids << action;
    }

    void corruptChainsAreRepaired()
    {
        QFETCH(QStringList, nextIds);
        QFETCH(QString, action);
        UserSet *set = ctx()->create<UserSet>();
        Classify *c = m_fx.category("k0", "类0");
        Classify *other = m_fx.category("k1", "类1");
        QHash<QString, NoteDetail *> n;
        const QStringList ids = {"a", "b", "c", "d"};
        for (qsizetype i = 0; i < ids.size(); ++i) {
            NoteDetail *note = m_fx.note(ids[i], c);
            note->setSort(qint16(i + 1));
            note->setNextId(nextIds[i]);
            note->setIsSync(true);
            n.insert(ids[i], note);
        }
        NoteDetail *stranger = m_fx.note("z", other);
        stranger->setSort(1);
        stranger->setNextId("-1");
        stranger->setIsSync(true);
        QHash<NoteDetail *, QString> before;
        for (NoteDetail *note : ctx()->findAll<NoteDetail>())
            before.insert(note, note->nextId());

        NoteDetail *acted = n.value("b");
        if (action == "delete b") {
            QVERIFY(actions().deleteActionWithNote(acted));
        } else if (action == "delete d") {
            acted = n.value("d");
            QVERIFY(actions().deleteActionWithNote(acted));
        } else if (action.startsWith("complete")) {
            set->setNoteCompleteActionType(action.endsWith("top") ? 1 : action.endsWith("bottom") ? 2 : 3);
            actions().completeActionWithNote(acted);
        } else if (action.startsWith("add")) {
            set->setNoteAddPositionType(action.endsWith("top") ? 1 : 2);
            acted = actions().addActionNoteWithClassify(c);
        } else if (action == "move b away") {
            actions().moveNoteToClassify(other, acted);
        } else {
            acted = stranger;
            actions().moveNoteToClassify(c, stranger);
        }

        for (const Classify *cat : {c, other}) {
            const QString fault = checkCategory(cat);
            QVERIFY2(fault.isEmpty(), qPrintable(cat->classId() + ": " + fault));
        }
        QStringList shown; // the live notes by sort, as the list shows them
        for (NoteDetail *note : ctx()->findAllSortedBy<NoteDetail>("sort", true))
            if (note->classify() == c && note->actionType() != 3 && note != acted)
                shown << note->cId();
        QStringList expected = ids;
        expected.removeOne(acted->cId());
        QCOMPARE(shown, expected);
        for (auto it = before.constBegin(); it != before.constEnd(); ++it)
            if (it.key() != acted && it.key()->nextId() != it.value())
                QVERIFY2(!it.key()->isSync(), qPrintable(it.key()->cId() + " rewired, not marked"));
    }

    // PRELVANE_ORDER_SEED=<n> replays one sequence.
    void orderHoldsAfterAnySequence()
    {
        const QByteArray one = qgetenv("PRELVANE_ORDER_SEED");
        QList<quint32> seeds;
        if (!one.isEmpty())
            seeds << one.toUInt();
        else
            for (quint32 s = 1; s <= 200; ++s)
                seeds << s;
        for (quint32 seed : seeds) {
            runSequence(seed, 60);
            if (QTest::currentTestFailed())
                return;
            cleanup();
            init();
        }
    }
};

PRELVANE_TEST_CORE_MAIN(TestNoteOrder)
#include "tst_noteorder.moc"
