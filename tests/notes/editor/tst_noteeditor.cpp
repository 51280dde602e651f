#include "app/services/StoreSaver.h"
#include "core/model/Classify.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/model/NoteRemindModel.h"
#include "core/model/UserSet.h"
#include "core/model/WiFiRemind.h"
#include "notes/editor/presenter/NoteEditorPresenter.h"
#include "notes/editor/presenter/TextColorModel.h"
#include "platform/base/AppEvents.h"
#include "platform/base/Session.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"
#include "tests/support/EventRecorder.h"
#include "tests/support/NoteViewsRig.h"
#include "tests/support/RecordingFeedback.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestGraph.h"

#include <QSignalSpy>

#include <memory>

using Button = NoteEditorPresenter::Button;

namespace {

// Friday 6 March 2026, 10:00 (Asia/Shanghai).
QDateTime now()
{
    return QDateTime(QDate(2026, 3, 6), QTime(10, 0));
}

} // namespace

class TestNoteEditor : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<Session> m_session;
    NoteViewsRig m_rig;
    std::unique_ptr<NoteEditorPresenter> m_editor;
    std::unique_ptr<QSignalSpy> m_confirmed;
    std::unique_ptr<QSignalSpy> m_dismissed;

    Context *ctx() { return m_rig.fx.ctx(); }
    NoteEditorPresenter *editor() { return m_editor.get(); }
    QStringList &events() { return m_rig.recorder->events; }
    NoteDetail *note(const QString &cId) { return ctx()->findFirstByAttribute<NoteDetail>("cId", cId); }
    static NoteKey keyOf(const NoteDetail *n) { return {n->objectId().pk, n->cId()}; }
    void save() { QVERIFY(ctx()->saveAndWait()); }
    void show(const QString &cId) { editor()->showNote(keyOf(note(cId))); }

    // Notes in `c`, top to bottom, linked and pushed (server ids unless given as "c…").
    void chain(Classify *c, const QStringList &ids)
    {
        for (qsizetype i = 0; i < ids.size(); ++i) {
            NoteDetail *n = m_rig.fx.note(ids[i], c);
            n->setSort(qint16(i + 1));
            n->setNextId(i + 1 < ids.size() ? ids[i + 1] : QStringLiteral("-1"));
            n->setIsSync(true);
        }
    }

    // A new note as the pane makes it: no text, linked at the bottom of `c`.
    NoteDetail *newNote(const QString &cId, Classify *c)
    {
        NoteDetail *n = m_rig.fx.note(cId, c);
        n->setContent(QString());
        NoteDetail *last = nullptr;
        for (NoteDetail *o : c->notes())
            if (o != n && o->nextId() == "-1")
                last = o;
        if (last) {
            last->setNextId(cId);
            last->setIsSync(false);
            n->setSort(qint16(last->sort() + 1));
        }
        n->setNextId("-1");
        n->setActionType(1);
        return n;
    }

    // Saves the note's fields as another device's change arriving by a pull would.
    void changeElsewhere(const QString &cId, const QString &content)
    {
        note(cId)->setContent(content);
        save();
    }

private slots:
    void init()
    {
        QVERIFY(m_rig.open(now()));
        m_session = std::make_unique<Session>();
        m_session->signIn("u1");
        m_rig.feedback->autoAnswer.reset();
        m_rig.work->setSort(2);
        m_rig.home->setSort(1);
        m_rig.fx.settings()->setNoteCompleteActionType(1);
        chain(m_rig.work, {"101", "102", "103"});
        chain(m_rig.home, {"201"});
        save();
        m_editor =
            std::make_unique<NoteEditorPresenter>(m_rig.start(ProgramServices::Parts().use(m_session.get())));
        m_confirmed = std::make_unique<QSignalSpy>(editor(), &NoteEditorPresenter::editConfirmed);
        m_dismissed = std::make_unique<QSignalSpy>(editor(), &NoteEditorPresenter::dismissed);
        m_rig.record();
    }

    void cleanup()
    {
        m_confirmed.reset();
        m_dismissed.reset();
        m_editor.reset();
        m_rig.close();
        m_session.reset();
    }

    // The state a note opens in: title, image, buttons and what may be used.
    void states_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("editing");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("image");
        QTest::addColumn<QString>("editTitle");
        QTest::addColumn<QList<Button>>("row");
        QTest::addColumn<QList<bool>>("enabled"); // edit, complete, delete, revoke visible
        const QList<Button> viewRow{Button::Edit, Button::Complete, Button::Delete};
        const QList<Button> editRow{Button::Edit, Button::Cancel};
        QTest::newRow("with text") << "plain" << false << "查看"
                                   << "note_edit_see"
                                   << "编辑" << viewRow << QList<bool>{true, true, true, false};
        QTest::newRow("edited") << "edit" << true << "编辑"
                                << "note_edit"
                                << "确定" << editRow << QList<bool>{true, false, false, false};
        QTest::newRow("new") << "new" << true << "新增"
                             << "note_edit_add"
                             << "确定" << editRow << QList<bool>{true, false, false, false};
        QTest::newRow("completed") << "completed" << false << "已完成"
                                   << "note_edit_complete"
                                   << "编辑" << viewRow << QList<bool>{false, false, true, true};
        QTest::newRow("deleted, awaiting its push")
            << "deleted" << false << "查看"
            << "note_edit_see"
            << "编辑" << viewRow << QList<bool>{false, false, false, false};
    }
    void states()
    {
        QFETCH(QString, kind);
        QFETCH(bool, editing);
        QFETCH(QString, title);
        QFETCH(QString, image);
        QFETCH(QString, editTitle);
        QFETCH(QList<Button>, row);
        QFETCH(QList<bool>, enabled);
        QSignalSpy focus(editor(), &NoteEditorPresenter::editingStarted);
        QString cId = "101";
        if (kind == "new") {
            cId = "c9";
            newNote(cId, m_rig.work);
        } else if (kind == "completed") {
            note(cId)->setIsCompleted(true);
        } else if (kind == "deleted") {
            note(cId)->setActionType(3);
        }
        save();
        show(cId);
        if (kind == "edit")
            editor()->edit();
        QCOMPARE(editor()->isEditing(), editing);
        QCOMPARE(focus.size(), editing ? 1 : 0);
        QCOMPARE(editor()->title(), title);
        QCOMPARE(editor()->titleImage(), image);
        QCOMPARE(editor()->editButtonTitle(), editTitle);
        QCOMPARE(editor()->buttonRow(), row);
        QCOMPARE(editor()->isEditEnabled(), enabled[0]);
        QCOMPARE(editor()->isCompleteEnabled(), enabled[1]);
        QCOMPARE(editor()->isDeleteEnabled(), enabled[2]);
        QCOMPARE(editor()->isRevokeVisible(), enabled[3]);
        QCOMPARE(editor()->isClearRemindEnabled(), editing);
        // A note that cannot be edited stays in the view state.
        if (!enabled[0]) {
            editor()->edit();
            QVERIFY(!editor()->isEditing());
        }
    }

    // Confirming a text: the text, the colour and the change flags, with the action
    // type by the kind of id (also for an uploaded note that was unchanged).
    void confirmFlags_data()
    {
        QTest::addColumn<QString>("cId");
        QTest::addColumn<int>("actionBefore");
        QTest::addColumn<int>("actionAfter");
        QTest::newRow("uploaded, unchanged") << "101" << 0 << 2;
        QTest::newRow("uploaded, changed") << "101" << 2 << 2;
        QTest::newRow("uploaded, flagged as added") << "101" << 1 << 2;
        QTest::newRow("client id, unchanged") << "c7" << 0 << 1;
        QTest::newRow("client id, flagged as changed") << "c7" << 2 << 1;
    }
    void confirmFlags()
    {
        QFETCH(QString, cId);
        QFETCH(int, actionBefore);
        QFETCH(int, actionAfter);
        if (cId != "101")
            chain(m_rig.work, {cId});
        note(cId)->setActionType(qint16(actionBefore));
        save();
        show(cId);
        editor()->edit();
        editor()->setText("新的内容");
        editor()->chooseColor(2);
        QCOMPARE(note(cId)->content(), "内容 " + cId); // nothing stored before the confirm
        editor()->edit();
        QVERIFY(!editor()->isEditing());
        QVERIFY(!ctx()->hasChanges());
        NoteDetail *n = note(cId);
        QCOMPARE(n->content(), "新的内容");
        QCOMPARE(n->fontColor(), TextColorModel::all().at(2).color);
        QCOMPARE(n->actionType(), actionAfter);
        QVERIFY(!n->isSync());
        QCOMPARE(m_confirmed->size(), 1);
        QCOMPARE(editor()->text(), "新的内容");
        QCOMPARE(editor()->title(), "查看");
    }

    // On a store that cannot write (a full disk) the confirm keeps the edit: the user is
    // told, the typed text stays editable, nothing is confirmed or pushed; once the store
    // writes again the next confirm stores it (as a fresh reader of the file sees).
    void fullStoreKeepsTheTypedText_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("otherCategory");
        QTest::newRow("text") << "满盘时打的字" << false;
        QTest::newRow("text and category") << "满盘时打的字" << true;
    }
    void fullStoreKeepsTheTypedText()
    {
        QFETCH(QString, typed);
        QFETCH(bool, otherCategory);
        show("102");
        editor()->edit();
        editor()->setText(typed);
        if (otherCategory)
            editor()->chooseCategory(0); // 生活
        m_rig.fx.setWritesFail(true);
        editor()->edit();
        QCOMPARE(m_rig.feedback->messages(), QStringList{StoreSaver::failedText()});
        QVERIFY(editor()->isEditing());
        QCOMPARE(editor()->text(), typed);
        QCOMPARE(editor()->editButtonTitle(), "确定");
        QCOMPARE(m_confirmed->size(), 0);
        QVERIFY(events().isEmpty());
        editor()->setText(typed + "再打");

        m_rig.fx.setWritesFail(false);
        editor()->edit();
        QVERIFY(!editor()->isEditing());
        QCOMPARE(m_confirmed->size(), 1);
        QVERIFY(!ctx()->hasChanges());
        const std::unique_ptr<Context> reader = m_rig.fx.store()->newContext();
        const NoteDetail *stored = reader->findFirstByAttribute<NoteDetail>("cId", "102");
        QVERIFY(stored);
        QCOMPARE(stored->content(), typed + "再打");
        QCOMPARE(stored->classId(), otherCategory ? "k2" : "k1");
        QVERIFY(!stored->isSync());
        QCOMPARE(m_rig.feedback->messages().size(), 1);
    }

    // An emptied text on a full store: the deletion is told as not stored, stays
    // pending and is written by the next save that holds.
    void fullStoreOnDelete()
    {
        show("102");
        editor()->edit();
        editor()->setText(" ");
        m_rig.fx.setWritesFail(true);
        editor()->edit();
        QCOMPARE(m_rig.feedback->messages(), QStringList{StoreSaver::failedText()});
        QCOMPARE(m_confirmed->size(), 0);
        QVERIFY(!editor()->isEditing());
        m_rig.fx.setWritesFail(false);
        save();
        const std::unique_ptr<Context> reader = m_rig.fx.store()->newContext();
        QCOMPARE(reader->findFirstByAttribute<NoteDetail>("cId", "102")->actionType(), 3);
        QCOMPARE(reader->findFirstByAttribute<NoteDetail>("cId", "101")->nextId(), "103");
    }

    // Moving on to another note with a typed text on a full store tells the user; the
    // text stays pending on the note and the next save that holds writes it.
    void fullStoreOnMovingOn()
    {
        show("102");
        editor()->edit();
        editor()->setText("换条时打的字");
        m_rig.fx.setWritesFail(true);
        show("103");
        QCOMPARE(m_rig.feedback->messages(), QStringList{StoreSaver::failedText()});
        QVERIFY(events().isEmpty()); // nothing pushed that is not stored
        QCOMPARE(note("102")->content(), "换条时打的字");
        m_rig.fx.setWritesFail(false);
        save();
        const std::unique_ptr<Context> reader = m_rig.fx.store()->newContext();
        QCOMPARE(reader->findFirstByAttribute<NoteDetail>("cId", "102")->content(), "换条时打的字");
    }

    // An empty text (or blanks only) on a note the service never got removes it here,
    // keeping the order: the note above then names the one below. On an uploaded
    // note it marks the note deleted for the push.
    void confirmEmpty_data()
    {
        QTest::addColumn<QString>("cId");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("removed");
        QTest::newRow("client id") << "c2"
                                   << "" << true;
        QTest::newRow("client id, blanks") << "c2"
                                           << " \n\t" << true;
        QTest::newRow("new note with a server id") << "new"
                                                   << "" << true;
        QTest::newRow("uploaded") << "102"
                                  << "" << false;
    }
    void confirmEmpty()
    {
        QFETCH(QString, cId);
        QFETCH(QString, text);
        QFETCH(bool, removed);
        if (cId == "c2") {
            note("102")->setCId("c2");
            note("101")->setNextId("c2");
        } else if (cId == "new") {
            cId = "104";
            newNote(cId, m_rig.work);
        }
        save();
        show(cId);
        if (!editor()->isEditing())
            editor()->edit();
        editor()->setText(text);
        editor()->edit();
        QVERIFY(!ctx()->hasChanges());
        if (removed) {
            QVERIFY(!note(cId));
            QCOMPARE(m_confirmed->size(), 0);
            QCOMPARE(events(), QStringList{"NotesListReloadDatas=Classify:k1"});
            QVERIFY(!editor()->hasNote());
            QCOMPARE(m_dismissed->size(), 1);
            // Unlinked: the neighbour above takes the one below and goes out with the next push.
            const QString above = cId == "104" ? "103" : "101";
            QCOMPARE(note(above)->nextId(), cId == "104" ? "-1" : "103");
            QVERIFY(!note(above)->isSync());
        } else {
            QVERIFY(note(cId));
            QCOMPARE(note(cId)->actionType(), 3);
            QVERIFY(!note(cId)->isSync());
            QCOMPARE(note(cId)->content(), "内容 102");
            QCOMPARE(note("101")->nextId(), "103");
            QCOMPARE(m_confirmed->size(), 1);
            QCOMPARE(m_dismissed->size(), 0);
        }
    }

    // A confirm without typing keeps a text a pull brought meanwhile; the colour chosen is stored.
    void confirmKeepsAPulledText()
    {
        show("101");
        editor()->edit();
        editor()->chooseColor(1);
        changeElsewhere("101", "别处改的");
        editor()->edit();
        QCOMPARE(note("101")->content(), "别处改的");
        QCOMPARE(note("101")->fontColor(), TextColorModel::all().at(1).color);
        QCOMPARE(editor()->text(), "别处改的");
        QCOMPARE(m_confirmed->size(), 1);
    }

    // Choosing another category moves the note there at the confirm, at the bottom.
    void confirmMovesToTheChosenCategory()
    {
        show("102");
        QCOMPARE(editor()->categoryNames(), QStringList({"生活", "工作"}));
        QCOMPARE(editor()->categoryIndex(), 1);
        editor()->chooseCategory(0); // view state: ignored
        QCOMPARE(editor()->categoryIndex(), 1);
        editor()->edit();
        editor()->chooseCategory(0);
        QCOMPARE(note("102")->classId(), "k1");
        editor()->edit();
        NoteDetail *n = note("102");
        QCOMPARE(n->classId(), "k2");
        QCOMPARE(n->classify(), m_rig.home);
        QCOMPARE(note("201")->nextId(), "102");
        QCOMPARE(note("101")->nextId(), "103");
        QCOMPARE(editor()->categoryIndex(), 0);
    }

    // A note of a category that is not offered (gone, or marked deleted) shows the first one.
    void categoryNotOffered()
    {
        Classify *gone = m_rig.fx.category("k3", "旧");
        gone->setSort(0);
        gone->setActionType(3);
        m_rig.fx.note("301", gone);
        save();
        show("301");
        QCOMPARE(editor()->categoryNames(), QStringList({"生活", "工作"}));
        QCOMPARE(editor()->categoryIndex(), 0);
    }

    // Leaving a note whose text the user changed saves it and asks for its push.
    void autoSave_data()
    {
        QTest::addColumn<QString>("cId");
        QTest::addColumn<int>("actionType");
        QTest::newRow("uploaded") << "101" << 2;
        QTest::newRow("client id") << "c5" << 1;
        QTest::newRow("new note") << "new" << 1;
        QTest::newRow("nothing shown next") << "none" << 2;
    }
    void autoSave()
    {
        QFETCH(QString, cId);
        QFETCH(int, actionType);
        // "none": the list announced no note (e.g. an empty category was chosen).
        const bool none = cId == "none";
        if (none) {
            cId = "101";
        } else if (cId == "new") {
            cId = "c6";
            newNote(cId, m_rig.work);
        } else if (cId != "101") {
            chain(m_rig.work, {cId});
        }
        save();
        show(cId);
        if (!editor()->isEditing())
            editor()->edit();
        editor()->setText("打了字");
        if (none) {
            editor()->showNote(NoteKey{});
            QCOMPARE(note(cId)->content(), "打了字");
            QCOMPARE(events(), QStringList{"SyncPushNoteDatas=" + cId});
            QVERIFY(!editor()->hasNote());
            return;
        }
        show("103");
        QVERIFY(!ctx()->hasChanges());
        QCOMPARE(note(cId)->content(), "打了字");
        QCOMPARE(note(cId)->actionType(), actionType);
        QVERIFY(!note(cId)->isSync());
        QCOMPARE(events(), QStringList{"SyncPushNoteDatas=" + cId});
        QCOMPARE(editor()->note().cId, "103");
        QVERIFY(!editor()->isEditing());
        QCOMPARE(editor()->text(), "内容 103");
        QCOMPARE(m_confirmed->size(), 0);
    }

    // Nothing is written back when the user changed nothing: the view state (where a
    // pull may have changed the note meanwhile), or the edit state without typing,
    // or only blanks typed.
    void noAutoSaveWithoutTyping_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("view state, changed by a pull") << "pull";
        QTest::newRow("edit state, nothing typed") << "edit";
        QTest::newRow("edit state, nothing typed, changed by a pull") << "edit pull";
        QTest::newRow("typed back to the stored text") << "same";
        QTest::newRow("only blanks") << "blank";
    }
    void noAutoSaveWithoutTyping()
    {
        QFETCH(QString, how);
        show("101");
        if (how == "pull") {
            QSignalSpy reset(editor(), &NoteEditorPresenter::textReset);
            changeElsewhere("101", "别处改的");
            QCOMPARE(reset.size(), 1);
            QCOMPARE(editor()->text(), "别处改的");
        } else {
            editor()->edit();
            if (how == "edit pull")
                changeElsewhere("101", "别处改的");
            if (how == "same") {
                editor()->setText("别的");
                editor()->setText("内容 101");
            } else if (how == "blank") {
                editor()->setText("  ");
            }
        }
        note("101")->setIsSync(true);
        save();
        show("102");
        QCOMPARE(note("101")->content(), how.endsWith("pull") ? "别处改的" : "内容 101");
        QVERIFY(note("101")->isSync());
        QCOMPARE(note("101")->actionType(), 0);
        QVERIFY(events().isEmpty());
    }

    // The same note again while editing keeps the typed text and the edit state;
    // a change saved meanwhile does not replace what is being typed.
    void reselectWhileEditing()
    {
        show("101");
        editor()->edit();
        editor()->setText("正在打");
        editor()->chooseColor(1);
        QSignalSpy changed(editor(), &NoteEditorPresenter::changed);
        changeElsewhere("102", "旁边");
        changeElsewhere("101", "别处");
        show("101");
        QVERIFY(editor()->isEditing());
        QCOMPARE(editor()->text(), "正在打");
        QCOMPARE(editor()->colorIndex(), 1);
        QCOMPARE(changed.size(), 0);
        QVERIFY(events().isEmpty());
        editor()->edit();
        QCOMPARE(note("101")->content(), "正在打");
    }

    // The colour shown for a stored fontColor: one of the list (however written),
    // else the first.
    void colors_data()
    {
        QTest::addColumn<QString>("fontColor");
        QTest::addColumn<int>("index");
        const QList<TextColorModel> &list = TextColorModel::all();
        QTest::newRow("none") << "" << 0;
        QTest::newRow("second") << list.at(1).color << 1;
        QTest::newRow("upper case, no #") << list.at(3).color.mid(1).toUpper() << 3;
        QTest::newRow("not in the list") << "#123456" << 0;
        QTest::newRow("not a colour") << "红" << 0;
    }
    void colors()
    {
        QFETCH(QString, fontColor);
        QFETCH(int, index);
        QVERIFY(TextColorModel::all().size() > 3);
        note("101")->setFontColor(fontColor);
        save();
        show("101");
        QCOMPARE(editor()->colorIndex(), index);
        QCOMPARE(editor()->colorValue(), TextColorModel::all().at(index).color);
    }

    // The colour list's resource form: entries without a title or a colour are left out.
    void colorListFromJson()
    {
        const QByteArray json = R"([{"title":"红","color":"#e35d5d"},{"title":"","color":"#000000"},
                                    {"title":"坏","color":"nope"},{"title":"蓝","color":"2b87d1"},{}])";
        const QList<TextColorModel> list = TextColorModel::fromJson(json);
        QCOMPARE(list.size(), 2);
        QCOMPARE(list.at(1).title, "蓝");
        QCOMPARE(TextColorModel::indexOf({}, "#e35d5d"), -1);
        QCOMPARE(TextColorModel::indexOf(list, "#2B87D1"), 1);
        QVERIFY(TextColorModel::fromJson("not json").isEmpty());
    }

    // The reminder line for a stored record.
    void reminderLine_data()
    {
        QTest::addColumn<QVariantMap>("fields");
        QTest::addColumn<QString>("icon"); // "date" or "wifi"
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("star");
        QTest::addColumn<bool>("delay");
        const QString at = "2026/3/8 9:30:00";
        QTest::newRow("no record") << QVariantMap{{"none", true}} << "date"
                                   << "设置提醒" << false << false;
        QTest::newRow("cleared, dates filled") << QVariantMap{{"remindActionType", 3},
                                                              {"remindRealDateTime", at},
                                                              {"remindRType", 1},
                                                              {"remindDelayTime", "2026/3/6 11:00:00"}}
                                               << "date"
                                               << "设置提醒" << false << false;
        QTest::newRow("once") << QVariantMap{{"remindRealDateTime", at}} << "date"
                              << "2026年3月8日 09:30  " << false << false;
        QTest::newRow("every day") << QVariantMap{{"remindRealDateTime", at},
                                                  {"remindCycleType", 1},
                                                  {"remindCycleInterval", 1}}
                                   << "date"
                                   << "2026年3月8日 09:30 每天 " << false << false;
        QTest::newRow("every 2 months on chosen days")
            << QVariantMap{{"remindRealDateTime", at},
                           {"remindCycleType", 3},
                           {"remindCycleInterval", 2},
                           {"remindCycleSpecific", "1,15"}}
            << "date"
            << "2026年3月8日 09:30 每2月 1号、15号" << false << false;
        QTest::newRow("lunar") << QVariantMap{{"remindRealDateTime", at}, {"remindDateType", 1}} << "date"
                               << "2026年正月二十 09:30  " << false << false;
        QTest::newRow("important") << QVariantMap{{"remindRealDateTime", at}, {"remindRType", 1}} << "date"
                                   << "2026年3月8日 09:30  " << true << false;
        QTest::newRow("important, snoozed") << QVariantMap{{"remindRealDateTime", at},
                                                           {"remindRType", 1},
                                                           {"remindDelayTime", "2026/3/6 10:30:00"}}
                                            << "date"
                                            << "2026年3月8日 09:30  " << true << true;
        QTest::newRow("snooze over") << QVariantMap{{"remindRealDateTime", at},
                                                    {"remindDelayTime", "2026/3/6 9:30:00"}}
                                     << "date"
                                     << "2026年3月8日 09:30  " << false << false;
        QTest::newRow("record without a date") << QVariantMap{{"remindActionType", 1}} << "date"
                                               << "设置提醒" << false << false;
        QTest::newRow("joining networks") << QVariantMap{{"connectWifiIds", "w1,w2"}} << "wifi"
                                          << "连接:公司;家里的" << false << false;
        QTest::newRow("leaving a network")
            << QVariantMap{{"connectWifiIds", "w2"}, {"connectWifiType", 1}} << "wifi"
            << "断开:家里的" << false << false;
        QTest::newRow("unknown network") << QVariantMap{{"connectWifiIds", "w9"}} << "wifi"
                                         << "连接:任意无线" << false << false;
        QTest::newRow("empty network list is a date")
            << QVariantMap{{"connectWifiIds", ""}, {"remindRealDateTime", at}} << "date"
            << "2026年3月8日 09:30  " << false << false;
    }
    void reminderLine()
    {
        QFETCH(QVariantMap, fields);
        QFETCH(QString, icon);
        QFETCH(QString, text);
        QFETCH(bool, star);
        QFETCH(bool, delay);
        auto *w1 = ctx()->create<WiFiRemind>();
        w1->setWifiId("w1");
        w1->setName("Office-5G");
        w1->setAlias("公司");
        auto *w2 = ctx()->create<WiFiRemind>();
        w2->setWifiId("w2");
        w2->setName("家里的");
        if (!fields.contains("none")) {
            DateRemind *r = m_rig.fx.remind(note("101"), 2);
            for (auto it = fields.cbegin(); it != fields.cend(); ++it)
                QVERIFY(r->setValue(it.key(), it.value()));
        }
        save();
        show("101");
        const NoteEditorReminderLine line = editor()->reminderLine();
        QCOMPARE(line.icon == NoteEditorReminderLine::Icon::WiFi ? "wifi" : "date", icon);
        QCOMPARE(line.iconTip, icon == "wifi" ? "无线提醒" : "日期提醒");
        QCOMPARE(line.text, text);
        QCOMPARE(line.isSet, text != "设置提醒");
        QCOMPARE(line.showStar, star);
        QCOMPARE(line.showDelay, delay);
        QCOMPARE(line.starRight, delay ? 30 : 8);
        const QString real = fields.value("remindRealDateTime").toString();
        QCOMPARE(line.starTip, star ? real : QString());
        QCOMPARE(line.delayTip, delay ? real : QString());
    }

    // A value chosen in the reminder window shows before it is stored; clearing shows
    // the prompt; both only change the line and tell the pane.
    void pendingValues()
    {
        DateRemind *r = m_rig.fx.remind(note("101"), 2);
        r->setRemindRealDateTime("2026/3/8 9:30:00");
        save();
        show("101");
        NoteRemindModel value;
        value.setRemindActionType(1);
        value.setRemindRealDateTime("2026/4/1 8:00:00");
        value.setRemindCycleType(2);
        value.setRemindInterval(3);
        value.setRemindStarType(1);
        editor()->edit();
        editor()->showRemind(value);
        QCOMPARE(editor()->reminderLine().text, "2026年4月1日 08:00 每3周 ");
        QVERIFY(editor()->reminderLine().showStar);
        value.setRemindActionType(3);
        editor()->showRemind(value);
        QCOMPARE(editor()->reminderLine(), NoteEditorReminderLine::unset());

        QSignalSpy cleared(editor(), &NoteEditorPresenter::remindCleared);
        editor()->cancel();
        editor()->clearRemind(); // view state: nothing
        QCOMPARE(cleared.size(), 0);
        QCOMPARE(editor()->reminderLine().text, "2026年3月8日 09:30  ");
        editor()->edit();
        editor()->clearRemind();
        QCOMPARE(cleared.size(), 1);
        QCOMPARE(editor()->reminderLine(), NoteEditorReminderLine::unset());
        QCOMPARE(note("101")->remind()->remindActionType(), 2);
        QVERIFY(!ctx()->hasChanges());
    }

    // The reminder line opens the reminder window only while editing.
    void reminderLineClicks()
    {
        QSignalSpy wanted(editor(), &NoteEditorPresenter::remindWanted);
        show("101");
        editor()->remindLineClicked();
        QCOMPARE(wanted.size(), 0);
        editor()->edit();
        editor()->remindLineClicked();
        QCOMPARE(wanted.size(), 1);
    }

    // Cancel puts the stored note back; a note that never got a text goes, and the
    // pane shows its empty state rather than a removed note.
    void cancel_data()
    {
        QTest::addColumn<bool>("isNew");
        QTest::newRow("note with text") << false;
        QTest::newRow("new note") << true;
    }
    void cancel()
    {
        QFETCH(bool, isNew);
        QSignalSpy cancelled(editor(), &NoteEditorPresenter::editCancelled);
        const QString cId = isNew ? "c8" : "102";
        if (isNew)
            newNote(cId, m_rig.work);
        save();
        show(cId);
        if (!isNew)
            editor()->edit();
        editor()->setText("不要了");
        editor()->chooseColor(1);
        editor()->cancel();
        QVERIFY(!editor()->isEditing());
        QCOMPARE(cancelled.size(), 1);
        QVERIFY(!ctx()->hasChanges());
        if (isNew) {
            QVERIFY(!note(cId));
            QCOMPARE(note("103")->nextId(), "-1");
            QVERIFY(!editor()->hasNote());
            QCOMPARE(m_dismissed->size(), 1);
            QCOMPARE(events(), QStringList{"NotesListReloadDatas=Classify:k1"});
        } else {
            QCOMPARE(note(cId)->content(), "内容 102");
            QCOMPARE(note(cId)->actionType(), 0);
            QCOMPARE(editor()->text(), "内容 102");
            QCOMPARE(editor()->colorIndex(), 0);
            QCOMPARE(m_dismissed->size(), 0);
            QVERIFY(events().isEmpty());
        }
    }

    // Closing the editor removes a note that never got a text, and keeps a text typed.
    void dismiss_data()
    {
        QTest::addColumn<QString>("cId");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored"); // empty: the note is gone
        QTest::addColumn<QStringList>("posted");
        QTest::newRow("new, untyped") << "c8"
                                      << ""
                                      << "" << QStringList{"NotesListReloadDatas=Classify:k1"};
        QTest::newRow("new, typed") << "c8"
                                    << "写了"
                                    << "写了" << QStringList{"SyncPushNoteDatas=c8"};
        QTest::newRow("with text, viewed") << "102"
                                           << ""
                                           << "内容 102" << QStringList{};
        QTest::newRow("with text, typed") << "102"
                                          << "改了"
                                          << "改了" << QStringList{"SyncPushNoteDatas=102"};
    }
    void dismiss()
    {
        QFETCH(QString, cId);
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        QFETCH(QStringList, posted);
        if (cId == "c8")
            newNote(cId, m_rig.work);
        save();
        show(cId);
        if (!typed.isEmpty()) {
            if (!editor()->isEditing())
                editor()->edit();
            editor()->setText(typed);
        }
        editor()->dismiss();
        QCOMPARE(m_dismissed->size(), 1);
        QVERIFY(!editor()->hasNote());
        QVERIFY(!ctx()->hasChanges());
        QCOMPARE(note(cId) ? note(cId)->content() : QString(), stored);
        QCOMPARE(events(), posted);
    }

    // Complete and delete work on a note with text, then tell the pane.
    void completeAndDelete_data()
    {
        QTest::addColumn<QString>("action");
        QTest::newRow("complete") << "complete";
        QTest::newRow("delete") << "delete";
    }
    void completeAndDelete()
    {
        QFETCH(QString, action);
        show("102");
        if (action == "complete")
            editor()->complete();
        else
            editor()->remove();
        QCOMPARE(m_confirmed->size(), 1);
        QVERIFY(!ctx()->hasChanges());
        NoteDetail *n = note("102");
        if (action == "complete") {
            QVERIFY(n->isCompleted());
            QCOMPARE(editor()->title(), "已完成");
            QVERIFY(!editor()->isEditEnabled());
            QVERIFY(!editor()->isCompleteEnabled());
        } else {
            QCOMPARE(n->actionType(), 3);
            QVERIFY(!n->isSync());
            QVERIFY(!editor()->isDeleteEnabled());
        }
        QCOMPARE(note("101")->nextId(), "103");
    }

    // A note without text (blanks only) opens for editing; complete and delete do nothing to it.
    void completeAndDeleteNeedText()
    {
        note("102")->setContent("   ");
        save();
        show("102");
        QVERIFY(editor()->isEditing());
        editor()->complete();
        editor()->remove();
        QCOMPARE(m_confirmed->size(), 0);
        QVERIFY(!note("102")->isCompleted());
        QCOMPARE(note("102")->actionType(), 0);
    }

    // Undoing a completion asks first; the flags change only when the pane has done it.
    void revokeCompletion_data()
    {
        QTest::addColumn<bool>("answer");
        QTest::newRow("确定") << true;
        QTest::newRow("取消") << false;
    }
    void revokeCompletion()
    {
        QFETCH(bool, answer);
        QSignalSpy revoked(editor(), &NoteEditorPresenter::completionRevoked);
        note("101")->setIsCompleted(true);
        note("101")->setIsSync(true);
        save();
        show("101");
        editor()->revokeCompletion();
        QCOMPARE(m_rig.feedback->pendingSheets(), QStringList{"确定撤回完成本条Prelvane吗？"});
        QCOMPARE(revoked.size(), 0);
        QVERIFY(m_rig.feedback->answerNext(answer));
        QCOMPARE(revoked.size(), answer ? 1 : 0);
        QVERIFY(note("101")->isCompleted());
        QVERIFY(note("101")->isSync());
        // An open note asks nothing.
        show("102");
        editor()->revokeCompletion();
        QVERIFY(m_rig.feedback->pendingSheets().isEmpty());
    }

    // An answer that comes after the editor moved on to another note does nothing.
    void revokeAnswerAfterMovingOn()
    {
        QSignalSpy revoked(editor(), &NoteEditorPresenter::completionRevoked);
        note("101")->setIsCompleted(true);
        save();
        show("101");
        editor()->revokeCompletion();
        show("102");
        QVERIFY(m_rig.feedback->answerNext(true));
        QCOMPARE(revoked.size(), 0);
    }

    // In the view state the editor follows saves of its note, its reminder and the
    // categories; a note removed meanwhile leaves nothing shown.
    void followsTheStore()
    {
        show("101");
        QSignalSpy changed(editor(), &NoteEditorPresenter::changed);
        changeElsewhere("103", "别的");
        QCOMPARE(changed.size(), 0);
        DateRemind *r = m_rig.fx.remind(note("101"), 1);
        r->setRemindRealDateTime("2026/3/8 9:30:00");
        save();
        QCOMPARE(editor()->reminderLine().text, "2026年3月8日 09:30  ");
        m_rig.home->setName("家");
        save();
        QCOMPARE(editor()->categoryNames().first(), "家");
        note("101")->setIsCompleted(true);
        save();
        QCOMPARE(editor()->title(), "已完成");
        ctx()->deleteObject(note("101"));
        save();
        QVERIFY(!editor()->hasNote());
        QCOMPARE(editor()->text(), QString());
    }

    // A server id given to a new note by a push keeps it shown (same row).
    void keepsTheNoteAcrossANewId()
    {
        newNote("c3", m_rig.work)->setContent("新的");
        save();
        show("c3");
        const qint64 pk = editor()->note().pk;
        note("c3")->setCId("555");
        note("555")->setIsSync(true);
        save();
        QCOMPARE(editor()->note().pk, pk);
        QCOMPARE(editor()->note().cId, "555");
        editor()->edit();
        editor()->setText("再改");
        editor()->edit();
        QCOMPARE(note("555")->actionType(), 2);
    }

    // A sign-out drops the note being edited; the wipe that follows takes the rows.
    void signingOutDropsTheNote()
    {
        show("101");
        editor()->edit();
        editor()->setText("没确定的");
        m_session->signOut();
        QVERIFY(!editor()->hasNote());
        QVERIFY(!editor()->isEditing());
        QCOMPARE(note("101")->content(), "内容 101");
        QVERIFY(!ctx()->hasChanges());
        QVERIFY(events().isEmpty());
    }

    // Nothing shown: every action is ignored.
    void nothingShown()
    {
        editor()->showNote(NoteKey{});
        QVERIFY(!editor()->hasNote());
        editor()->edit();
        editor()->setText("x");
        editor()->complete();
        editor()->remove();
        editor()->cancel();
        editor()->revokeCompletion();
        editor()->showRemind(NoteRemindModel{});
        QVERIFY(!editor()->isEditing());
        QCOMPARE(editor()->text(), QString());
        QCOMPARE(m_confirmed->size(), 0);
        QVERIFY(events().isEmpty());
        QVERIFY(!ctx()->hasChanges());
        // A note gone before it is shown counts as none.
        editor()->showNote(NoteKey{999, "nope"});
        QVERIFY(!editor()->hasNote());
    }
};

PRELVANE_TEST_CORE_MAIN(TestNoteEditor)
#include "tst_noteeditor.moc"
