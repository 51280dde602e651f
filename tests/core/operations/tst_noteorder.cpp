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

    Context *ctx() { return m_fx.ctx(); }

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
                acted = NoteActionManager::addActionNoteWithClassify(c);
                acted->setContent("新");
                acted->setActionType(1);
                trail << QString("add %1 %2")
                             .arg(set->noteAddPositionType() == 1 ? "top" : "bottom", c->classId());
            } else {
                acted = live.at(int(rnd.bounded(live.size())));
                if (op < 50) {
                    NoteActionManager::moveNoteToClassify(c, acted);
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
                    NoteActionManager::completeActionWithNote(acted);
                    trail << QString("complete %1 with setting %2")
                                 .arg(acted->cId())
                                 .arg(set->noteCompleteActionType());
                } else if (op < 95) {
                    QVERIFY(NoteActionManager::deleteActionWithNote(acted));
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
    void init() { QVERIFY(m_fx.open(QDateTime(QDate(2026, 3, 6), QTime(10, 0)))); }

    void cleanup() { m_fx.close(); }

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
