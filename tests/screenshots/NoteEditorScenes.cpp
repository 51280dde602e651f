// Scenes of the note editor: the view and edit states, a completed note, every
// kind of reminder line, a long text, a narrow pane, the colour menu, and the
// pane's empty state.

#include "app/services/Services.h"
#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/WiFiRemind.h"
#include "core/reminders/dates/DateManager.h"
#include "notes/editor/presenter/NoteEditorPresenter.h"
#include "notes/editor/view/AddNoteView.h"
#include "notes/editor/view/EditNoteView.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Clock.h"
#include "platform/store/Context.h"
#include "tests/screenshots/SceneServices.h"
#include "tests/screenshots/ScreenshotScene.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestStore.h"

#include <QMenu>

namespace {

QString inMinutes(qint64 minutes)
{
    return DateManager::getStringFromDate(Clock::now().addSecs(minutes * 60));
}

struct EditorNote
{
    QString cId;
    QString content;
    QString color = {};
    bool completed = false;
    // "", "date", "lunar" or "wifi".
    QString kind = {};
    int cycle = 0;
    int interval = 0;
    QString specific = {};
    int important = 0;
    qint64 snoozeMinutes = 0;
    QString wifi = {};
    int wifiType = 0;
};

Context *sceneStore()
{
    static bool filled = [] {
        if (!TestStore::context() &&
            !TestStore::setupCoreDataAtPath(TestEnv::rootFolder() + QStringLiteral("/editor-scenes.sqlite"))
                 .ok())
            return false;
        Context *ctx = TestStore::context();
        auto *wifi = ctx->create<WiFiRemind>();
        wifi->setWifiId(QStringLiteral("editor-w1"));
        wifi->setName(QStringLiteral("Office-Guest"));
        wifi->setAlias(QStringLiteral("公司"));
        auto *home = ctx->create<WiFiRemind>();
        home->setWifiId(QStringLiteral("editor-w2"));
        home->setName(QStringLiteral("TP-LINK_5G"));

        const QStringList names{QStringLiteral("工作"), QStringLiteral("生活"),
                                QStringLiteral("一个名字很长的分类")};
        QList<Classify *> categories;
        for (int i = 0; i < names.size(); ++i) {
            auto *c = ctx->create<Classify>();
            c->setClassId(QStringLiteral("editor-k%1").arg(i));
            c->setName(names[i]);
            c->setBackColor(QStringLiteral("#2b9cc6"));
            c->setSort(qint16(10 + i));
            categories << c;
        }
        const QList<EditorNote> notes{
            {QStringLiteral("editor-plain"), QStringLiteral("周一上午十点部门例会,带上季度报表"),
             QStringLiteral("#e35d5d"), false, QStringLiteral("date"), 1, 1},
            {QStringLiteral("editor-new"), QString()},
            {QStringLiteral("editor-done"), QStringLiteral("买牛奶和面包"), {}, true},
            {QStringLiteral("editor-lunar"),
             QStringLiteral("妈妈生日,订蛋糕"),
             QStringLiteral("#ee8a2e"),
             false,
             QStringLiteral("lunar"),
             5,
             1,
             {},
             1,
             25},
            {QStringLiteral("editor-monthly"),
             QStringLiteral("每月交房租"),
             {},
             false,
             QStringLiteral("date"),
             3,
             2,
             QStringLiteral("5,20"),
             1},
            {QStringLiteral("editor-wifi"),
             QStringLiteral("到公司后打开VPN"),
             {},
             false,
             QStringLiteral("wifi"),
             0,
             0,
             {},
             0,
             0,
             QStringLiteral("editor-w1,editor-w2")},
            {QStringLiteral("editor-long"),
             QStringLiteral("这是一条很长很长的便签内容,用来看看超出一行的文字会不会被正确地换行。\n"
                            "第二段:周末去超市买水果、蔬菜、鸡蛋、牛奶、面包、洗衣液、牙膏和纸巾;"
                            "顺路去银行办卡,再去邮局寄快递。\n"
                            "ThisIsAVeryLongWordWithoutAnySpacesThatMustBreakSomewhereInsteadOfRunningOut\n"
                            "第四段\n第五段\n第六段\n第七段\n第八段\n第九段\n第十段\n第十一段\n第十二段\n"
                            "第十三段\n第十四段\n第十五段\n第十六段\n最后一段"),
             QStringLiteral("#8c5bc9"), false, QStringLiteral("date"), 0, 0},
        };
        for (int i = 0; i < notes.size(); ++i) {
            const EditorNote &s = notes[i];
            auto *n = ctx->create<NoteDetail>();
            Classify *c = categories[i == notes.size() - 1 ? 2 : 0];
            n->setCId(s.cId);
            n->setClassify(c);
            n->setClassId(c->classId());
            n->setContent(s.content);
            n->setFontColor(s.color);
            n->setIsCompleted(s.completed);
            n->setSort(qint16(i + 1));
            n->setNextId(QStringLiteral("-1"));
            n->setIsSync(true);
            if (s.kind.isEmpty())
                continue;
            auto *r = ctx->create<DateRemind>();
            r->setRemindActionType(2);
            if (s.kind == QStringLiteral("wifi")) {
                r->setConnectWifiIds(s.wifi);
                r->setConnectWifiType(qint16(s.wifiType));
            } else {
                const QString at = inMinutes(60 * 24 * 3 + 30);
                r->setRemindDateType(s.kind == QStringLiteral("lunar") ? 1 : 0);
                r->setRemindDateTime(at);
                r->setRemindRealDateTime(at);
                r->setRemindCycleType(qint16(s.cycle));
                r->setRemindCycleInterval(qint16(s.interval));
                r->setRemindCycleSpecific(s.specific);
                r->setRemindRType(qint16(s.important));
                if (s.snoozeMinutes)
                    r->setRemindDelayTime(inMinutes(s.snoozeMinutes));
            }
            n->setRemind(r);
        }
        return bool(ctx->saveAndWait());
    }();
    return filled ? TestStore::context() : nullptr;
}

EditNoteView *editorOf(const QString &cId, bool edit = false, int width = 480)
{
    Context *store = sceneStore();
    if (!store)
        qFatal("no store for the editor scenes");
    auto *events = new AppEvents();
    auto *view = new EditNoteView(new NoteEditorPresenter(sceneServices(*store->store(), events)));
    events->setParent(view);
    view->resize(width, 560);
    const NoteDetail *n = store->findFirstByAttribute<NoteDetail>(QStringLiteral("cId"), cId);
    view->presenter()->showNote(n ? NoteKey{n->objectId().pk, cId} : NoteKey{});
    if (edit)
        view->presenter()->edit();
    return view;
}

} // namespace

SCREENSHOT_SCENE(editor_view)
{
    return editorOf(QStringLiteral("editor-plain"));
}

SCREENSHOT_SCENE(editor_edit)
{
    return editorOf(QStringLiteral("editor-plain"), true);
}

SCREENSHOT_SCENE(editor_edit_new)
{
    return editorOf(QStringLiteral("editor-new"));
}

SCREENSHOT_SCENE(editor_completed)
{
    return editorOf(QStringLiteral("editor-done"));
}

SCREENSHOT_SCENE(editor_lunar_important_snoozed)
{
    return editorOf(QStringLiteral("editor-lunar"));
}

SCREENSHOT_SCENE(editor_monthly_important)
{
    return editorOf(QStringLiteral("editor-monthly"), true);
}

SCREENSHOT_SCENE(editor_wifi)
{
    return editorOf(QStringLiteral("editor-wifi"));
}

SCREENSHOT_SCENE(editor_long_text)
{
    return editorOf(QStringLiteral("editor-long"), true);
}

SCREENSHOT_SCENE(editor_narrow)
{
    return editorOf(QStringLiteral("editor-monthly"), true, 280);
}

SCREENSHOT_SCENE(editor_color_menu)
{
    EditNoteView *view = editorOf(QStringLiteral("editor-plain"), true);
    view->show();
    view->showTextColorMenu();
    QMenu *menu = view->colorMenu();
    QObject::connect(menu, &QObject::destroyed, view, &QObject::deleteLater);
    menu->setParent(nullptr, Qt::Popup);
    menu->setAttribute(Qt::WA_DeleteOnClose, false);
    return menu;
}

SCREENSHOT_SCENE(editor_empty_pane)
{
    auto *view = new AddNoteView();
    view->resize(480, 560);
    return view;
}
