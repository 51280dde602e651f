#pragma once

// One client device in a sync test: its own store file, its own user defaults
// and its own engine, all against the shared stand-in service of a fixture
// (its client, session and notification centre). activate() makes its defaults
// the process's before it acts.

#include "core/model/Classify.h"
#include "core/model/DataModel.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/operations/NoteActionManager.h"
#include "core/reminders/scheduling/LocalNotificationManager.h"
#include "core/reminders/scheduling/NoteRemindManager.h"
#include "core/reminders/scheduling/ReminderScheduler.h"
#include "platform/base/Session.h"
#include "platform/base/UserDefaults.h"
#include "platform/notifications/UserNotificationCenter.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"
#include "service/account/SignInKeys.h"
#include "service/api/ApiNetWorking.h"
#include "service/standin/StandinService.h"
#include "service/sync/SyncEngine.h"
#include "tests/support/RecordingFeedback.h"

#include <QSignalSpy>
#include <QtTest>

#include <algorithm>
#include <memory>

struct SyncClient
{
    QString name;
    QString folder;
    std::unique_ptr<Store> store;
    std::unique_ptr<SyncEngine> engine;
    // The device's own note operations on its store (what they tell the user is only recorded).
    RecordingFeedback feedback;
    std::unique_ptr<LocalNotificationManager> notifications;
    std::unique_ptr<NoteRemindManager> reminds;
    std::unique_ptr<NoteActionManager> actions;
    int counter = 0;
    // The planner of the program built on this device's store, if the test made one: the engine's saves
    // bring it in step, as the program's hook does.
    ReminderScheduler *planner = nullptr;

    UserNotificationCenter &center;

    // `fixture` has the stand-in `service`, its client `api`, the `session`, the
    // notification centre `notifications` and the `feedback` the engine's refusals
    // are shown in (SyncTestService, ServiceFixture).
    template <class Fixture>
    SyncClient(const QString &clientName, const QString &root, Fixture &fixture,
               const StandinAccount &account)
        : SyncClient(clientName, root, *fixture.api, *fixture.session, *fixture.notifications,
                     *fixture.feedback, *fixture.service, account)
    {
    }
    SyncClient(const QString &clientName, const QString &root, ApiNetWorking &api, Session &session,
               UserNotificationCenter &notificationCenter, UserFeedback &shown, const StandinService &service,
               const StandinAccount &account)
        : name(clientName), folder(root + "/" + clientName), center(notificationCenter)
    {
        QDir().mkpath(folder);
        activate();
        UserDefaults::setValue(ApiNetWorking::ApiBaseUrlKey, service.baseUrl().toString());
        UserDefaults::setValue(SignInKeys::AccessToken, account.accessToken);
        UserDefaults::setValue(SignInKeys::UserKey, account.userKey);
        UserDefaults::setValue(SignInKeys::UserId, account.userId);
        UserDefaults::sync();
        reopen();
        // As the program does: the planner brings the reminders in step after a sync.
        engine = std::make_unique<SyncEngine>(api, session, *store, *store->mainContext(), shown,
                                              *notifications, [this] {
                                                  if (planner)
                                                      planner->reconcileSaved();
                                              });
    }
    ~SyncClient()
    {
        engine.reset();
        actions.reset();
    }

    // Before the engine is made: the engine works on the store it was made with.
    void reopen()
    {
        actions.reset();
        reminds.reset();
        notifications.reset();
        store.reset();
        store = Store::open(folder + "/store.sqlite", DataModel::model());
        QVERIFY(store);
        // The notes' notifications go where the rest of the code under test sends them.
        notifications = std::make_unique<LocalNotificationManager>(*store->mainContext(), center);
        reminds = std::make_unique<NoteRemindManager>(*store->mainContext(), *notifications);
        actions =
            std::make_unique<NoteActionManager>(*store->mainContext(), feedback, *notifications, *reminds);
    }

    void activate() { UserDefaults::setStoragePath(folder + "/defaults.ini"); }

    Context *ctx() const { return store->mainContext(); }
    QString version() const { return UserDefaults::string(SignInKeys::Version); }

    // Runs a request and waits until the engine has nothing left to do.
    bool settle(int timeoutMs = 15000)
    {
        QElapsedTimer t;
        t.start();
        QTest::qWait(1);
        while ((engine->isBusy() || engine->hasQueuedWork()) && t.elapsed() < timeoutMs)
            QTest::qWait(2);
        store->waitForBackgroundSaves();
        QCoreApplication::processEvents();
        return !engine->isBusy() && !engine->hasQueuedWork();
    }
    bool sync()
    {
        activate();
        engine->sync();
        return settle();
    }
    bool pull(SyncEngine::PullKind kind = SyncEngine::PullKind::Delta)
    {
        activate();
        engine->pull(kind);
        return settle();
    }

    // Client ids as the id generator makes them: unique per device.
    QString newClientId()
    {
        return QStringLiteral("c%1%2").arg(17000000000000LL + counter++).arg(int(name.at(0).unicode()));
    }

    // ---- edits as the note operations make them ----
    static void flag(NoteDetail *n)
    {
        if (n->actionType() != 3)
            n->setActionType(n->cId().contains('c') ? 1 : 2);
        n->setIsSync(false);
    }

    QList<Classify *> categories() const
    {
        return ctx()->findAllSortedBy<Classify>("sort", true,
                                                [](const Classify *c) { return c->actionType() != 3; });
    }
    QList<NoteDetail *> notesOf(const Classify *c) const
    {
        QList<NoteDetail *> out = ctx()->findAllSortedBy<NoteDetail>("sort", true, [c](const NoteDetail *n) {
            return n->classId() == c->classId() && n->actionType() != 3;
        });
        return out;
    }
    QList<NoteDetail *> liveNotes() const
    {
        return ctx()->findAllWhere<NoteDetail>([](const NoteDetail *n) { return n->actionType() != 3; });
    }

    void renumber(const QList<NoteDetail *> &order)
    {
        for (int i = 0; i < order.size(); ++i)
            order[i]->setSort(qint16(i + 1));
    }
    // Rewrites the nextId links of a category's order; changed links are flagged.
    void relink(const QList<NoteDetail *> &order)
    {
        for (int i = 0; i < order.size(); ++i) {
            const QString next = i + 1 < order.size() ? order.at(i + 1)->cId() : QStringLiteral("-1");
            if (order.at(i)->nextId() != next) {
                order.at(i)->setNextId(next);
                flag(order.at(i));
            }
        }
        renumber(order);
    }

    Classify *addCategory(const QString &title)
    {
        auto *c = ctx()->create<Classify>();
        c->setClassId(newClientId());
        c->setName(title);
        c->setBackColor("#10b56c");
        const QList<Classify *> all = categories();
        c->setSort(qint16(all.isEmpty() ? 1 : all.last()->sort() + 1));
        c->setActionType(1);
        c->setIsSync(false);
        save();
        return c;
    }
    NoteDetail *addNote(Classify *c, const QString &content)
    {
        QList<NoteDetail *> order = notesOf(c);
        auto *n = ctx()->create<NoteDetail>();
        n->setCId(newClientId());
        n->setClassId(c->classId());
        n->setClassify(c);
        n->setContent(content);
        n->setFontColor("#3a3a3a");
        n->setNextId("-1");
        flag(n);
        order.prepend(n);
        relink(order);
        save();
        return n;
    }
    void editNote(NoteDetail *n, const QString &content)
    {
        n->setContent(content);
        flag(n);
        save();
    }
    void moveNote(NoteDetail *n, int to)
    {
        QList<NoteDetail *> order = notesOf(n->classify());
        order.removeOne(n);
        order.insert(qBound(0, to, int(order.size())), n);
        relink(order);
        save();
    }
    void completeNote(NoteDetail *n)
    {
        n->setIsCompleted(true);
        n->setCompletedTime("2026/3/1 9:00:00");
        if (n->actionType() == 0)
            n->setActionType(2);
        flag(n);
        save();
    }
    void setReminder(NoteDetail *n, const QString &when)
    {
        DateRemind *r = n->remind();
        if (!r) {
            r = ctx()->create<DateRemind>();
            r->setRemindActionType(1);
            n->setRemind(r);
        } else {
            r->setRemindActionType(2);
        }
        r->setRemindDateTime(when);
        r->setRemindRealDateTime(when);
        flag(n);
        save();
    }
    void clearReminder(NoteDetail *n)
    {
        if (DateRemind *r = n->remind()) {
            r->setRemindActionType(3);
            r->setRemindDateTime(QString());
            r->setRemindRealDateTime(QString());
            flag(n);
            save();
        }
    }
    void deleteNote(NoteDetail *n)
    {
        QList<NoteDetail *> order = notesOf(n->classify());
        order.removeOne(n);
        n->setActionType(3);
        n->setIsSync(false);
        relink(order);
        save();
    }
    void deleteCategory(Classify *c)
    {
        for (NoteDetail *n : c->notes()) {
            n->setActionType(3);
            n->setIsSync(false);
        }
        c->setActionType(3);
        c->setIsSync(false);
        save();
    }
    // ---- edits through the note operations, as the windows call them ----
    NoteDetail *operationAddNote(Classify *c, const QString &content)
    {
        NoteDetail *n = actions->addActionNoteWithClassify(c);
        n->setContent(content);
        save();
        return n;
    }
    void operationMoveToTop(NoteDetail *n)
    {
        actions->configOldLastNote(n);
        actions->configNewLastNote(n, NotePosition::Top);
        save();
    }
    void operationMoveTo(Classify *c, NoteDetail *n)
    {
        actions->moveNoteToClassify(c, n);
        save();
    }
    void operationComplete(NoteDetail *n) { actions->completeActionWithNote(n); }
    void operationSnooze(NoteDetail *n) { actions->addDelayRemindWithNote(n, 2001); }
    void operationClearReminder(NoteDetail *n) { actions->clearRemindWithNote(n); }
    void operationDelete(NoteDetail *n) { actions->deleteActionWithNote(n); }

    void save()
    {
        const SaveResult r = ctx()->saveAndWait();
        QVERIFY2(r.ok, qPrintable(r.error));
    }

    // A text picture of the store: categories by sort, their notes by sort.
    QStringList picture() const
    {
        QStringList out;
        for (Classify *c : categories()) {
            out << QStringLiteral("[%1] %2").arg(c->classId(), c->name());
            for (NoteDetail *n : notesOf(c)) {
                const DateRemind *r = n->remind();
                const bool active = r && r->remindActionType() != 3 && !r->remindDateTime().isEmpty();
                out << QStringLiteral("  %1 %2%3%4")
                           .arg(n->cId(), n->content(), n->isCompleted() ? " done" : "",
                                active ? " @" + r->remindDateTime() : QString());
            }
        }
        return out;
    }
};
