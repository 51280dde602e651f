// Scenes of the note list: a category with every kind of row, an empty one,
// a category of 10,000 notes scrolled into its middle, and the row menu.

#include "app/services/Services.h"
#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/WiFiRemind.h"
#include "core/reminders/dates/DateManager.h"
#include "notes/list/presenter/NoteListPresenter.h"
#include "notes/list/view/NoteListView.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Clock.h"
#include "platform/store/Context.h"
#include "tests/screenshots/SceneServices.h"
#include "tests/screenshots/ScreenshotScene.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestStore.h"

#include <QListView>
#include <QMenu>

namespace {

struct SceneNote
{
    QString content = {};
    QString color = {};
    bool completed = false;
    bool error = false;
    // Reminder: none when `kind` is empty; "date", "lunar" or "wifi".
    QString kind = {};
    qint64 minutesFromNow = 0;
    int cycle = 0;
    int interval = 0;
    QString specific = {};
    int important = 0;
    qint64 snoozeMinutes = 0; // a pending snooze this far ahead
    QString wifi = {};
    int wifiType = 0;
    int wifiStatus = 0;
    int actionType = 2;
};

QString dateText(qint64 minutesFromNow)
{
    return DateManager::getStringFromDate(Clock::now().addSecs(minutesFromNow * 60));
}

Classify *addCategory(Context *ctx, const QString &classId, const QString &name, const QString &color,
                      int sort)
{
    auto *c = ctx->create<Classify>();
    c->setClassId(classId);
    c->setName(name);
    c->setBackColor(color);
    c->setSort(qint16(sort));
    return c;
}

void addNote(Context *ctx, Classify *c, const SceneNote &s, int sort, const QString &cId)
{
    auto *n = ctx->create<NoteDetail>();
    n->setCId(cId);
    n->setClassify(c);
    n->setClassId(c->classId());
    n->setContent(s.content);
    n->setFontColor(s.color);
    n->setIsCompleted(s.completed);
    n->setIsError(s.error);
    n->setSort(qint16(sort));
    n->setIsSync(true);
    if (s.kind.isEmpty())
        return;
    auto *r = ctx->create<DateRemind>();
    r->setRemindActionType(qint16(s.actionType));
    if (s.kind == "wifi") {
        r->setConnectWifiIds(s.wifi);
        r->setConnectWifiType(qint16(s.wifiType));
        r->setRemindWifiStatus(qint16(s.wifiStatus));
    } else {
        r->setRemindDateType(s.kind == "lunar" ? 1 : 0);
        r->setRemindDateTime(dateText(s.minutesFromNow));
        r->setRemindRealDateTime(dateText(s.minutesFromNow));
        r->setRemindCycleType(qint16(s.cycle));
        r->setRemindCycleInterval(qint16(s.interval));
        r->setRemindCycleSpecific(s.specific);
        r->setRemindRType(qint16(s.important));
        if (s.snoozeMinutes)
            r->setRemindDelayTime(dateText(s.snoozeMinutes));
    }
    n->setRemind(r);
}

// One store for the note list scenes (the default one, when another scene opened it).
Context *sceneStore()
{
    static bool filled = [] {
        if (!TestStore::context() &&
            !TestStore::setupCoreDataAtPath(TestEnv::rootFolder() + QStringLiteral("/notelist-scenes.sqlite"))
                 .ok())
            return false;
        Context *ctx = TestStore::context();
        auto *home = ctx->create<WiFiRemind>();
        home->setWifiId(QStringLiteral("7001"));
        home->setName(QStringLiteral("TP-LINK_5G"));
        home->setAlias(QStringLiteral("家里"));
        auto *office = ctx->create<WiFiRemind>();
        office->setWifiId(QStringLiteral("7002"));
        office->setName(QStringLiteral("Office-Guest"));

        Classify *work = addCategory(ctx, QStringLiteral("scene-work"), QStringLiteral("工作"),
                                     QStringLiteral("#2b9cc6"), 1);
        const QList<SceneNote> notes{
            {QStringLiteral("周一上午十点部门例会,带上季度报表"), QStringLiteral("#dc445b"), false, false,
             QStringLiteral("date"), 60 * 24 * 3 + 30, 2, 1, QStringLiteral("1")},
            {QStringLiteral("给客户回电话确认合同细节"),
             {},
             false,
             false,
             QStringLiteral("date"),
             -20,
             0,
             0,
             {},
             1},
            {QStringLiteral("提交报销单"), {}, false, false, QStringLiteral("date"), -90, 0, 0, {}, 1, 25},
            {QStringLiteral("这是一条很长很长的便签内容,"
                            "用来看看超出一行的文字会不会被正确地截断而不会压到右边的图标上面去"
                            "ThisIsAVeryLongWordWithoutAnySpacesThatMustBreakSomewhere"),
             QStringLiteral("#52398a"), false, true},
            {QStringLiteral("到公司后打开VPN"),
             {},
             false,
             false,
             QStringLiteral("wifi"),
             0,
             0,
             0,
             {},
             0,
             0,
             QStringLiteral("7001,7002"),
             0},
            {QStringLiteral("离开时关空调"),
             QStringLiteral("#10b56c"),
             false,
             false,
             QStringLiteral("wifi"),
             0,
             0,
             0,
             {},
             0,
             0,
             QStringLiteral("7001"),
             1,
             1},
            {QStringLiteral("妈妈生日,订蛋糕"), QStringLiteral("#f27830"), false, false,
             QStringLiteral("lunar"), 60 * 24 * 40, 5, 1},
            {QStringLiteral("每月交房租"),
             {},
             false,
             false,
             QStringLiteral("date"),
             60 * 24 * 12,
             3,
             1,
             QStringLiteral("5,20")},
            {QStringLiteral("买牛奶和面包"), {}, true, false, QStringLiteral("date"), -60 * 5},
            {QStringLiteral("已经取消提醒的便签"),
             {},
             false,
             false,
             QStringLiteral("date"),
             -60,
             0,
             0,
             {},
             0,
             0,
             {},
             0,
             0,
             3},
            {QStringLiteral("看完那本书"), {}, true},
        };
        for (int i = 0; i < notes.size(); ++i)
            addNote(ctx, work, notes[i], i + 1, QStringLiteral("scene-n%1").arg(i));

        addCategory(ctx, QStringLiteral("scene-empty"), QStringLiteral("空分类"), QStringLiteral("#8b4513"),
                    2);

        Classify *many = addCategory(ctx, QStringLiteral("scene-many"), QStringLiteral("很多"),
                                     QStringLiteral("#0b4ee7"), 3);
        for (int i = 0; i < 10000; ++i) {
            SceneNote s{QStringLiteral("第%1条便签:批量生成的内容").arg(i + 1)};
            if (i % 3 == 0) {
                s.kind = QStringLiteral("date");
                s.minutesFromNow = (i % 7 - 3) * 60 * 24 + i % 60;
                s.cycle = i % 6;
                s.interval = 1;
            }
            s.completed = i % 11 == 0;
            addNote(ctx, many, s, i + 1, QStringLiteral("scene-m%1").arg(i));
        }
        return bool(ctx->saveAndWait());
    }();
    return filled ? TestStore::context() : nullptr;
}

NoteListView *listOf(const QString &classId, int selectRow)
{
    Context *store = sceneStore();
    if (!store)
        qFatal("no store for the note list scenes");
    auto *events = new AppEvents();
    auto *presenter = new NoteListPresenter(sceneServices(*store->store(), events));
    auto *view = new NoteListView(presenter);
    events->setParent(view);
    view->resize(300, 640);
    presenter->showCategory(CategoryKey{0, classId});
    if (selectRow >= 0)
        presenter->selectRow(selectRow);
    return view;
}

} // namespace

SCREENSHOT_SCENE(note_list_rows)
{
    return listOf(QStringLiteral("scene-work"), 1);
}

SCREENSHOT_SCENE(note_list_empty)
{
    return listOf(QStringLiteral("scene-empty"), -1);
}

SCREENSHOT_SCENE(note_list_10000)
{
    NoteListView *view = listOf(QStringLiteral("scene-many"), 5000);
    view->listView()->scrollTo(view->listView()->model()->index(5000, 0),
                               QAbstractItemView::PositionAtCenter);
    return view;
}

SCREENSHOT_SCENE(note_list_menu_snooze)
{
    // The menu of a due reminder, which offers a snooze; the list is its owner.
    NoteListView *view = listOf(QStringLiteral("scene-work"), -1);
    QMenu *menu = view->buildRowMenu(1);
    menu->setAttribute(Qt::WA_DeleteOnClose, false);
    QObject::connect(menu, &QObject::destroyed, view, &QObject::deleteLater);
    return menu;
}

SCREENSHOT_SCENE(note_list_menu_clear_snooze)
{
    NoteListView *view = listOf(QStringLiteral("scene-work"), -1);
    QMenu *menu = view->buildRowMenu(2);
    menu->setAttribute(Qt::WA_DeleteOnClose, false);
    QObject::connect(menu, &QObject::destroyed, view, &QObject::deleteLater);
    return menu;
}
