// The settings window's presenters against the stand-in: the save pattern
// (version, codes, transport failures, the row never ahead of the service, the
// control set back, a second change while one is out), the loads, and the
// steps of the sync, general, reminder, skin and about tabs.

#include "SettingsRig.h"

#include "core/model/UISkin.h"
#include "core/reminders/scheduling/LocalNotificationManager.h"
#include "core/skins/SkinManager.h"
#include "service/api/ApiNetWorking.h"
#include "service/standin/NoteSyncHandlers.h"
#include "settings/presenter/AboutPresenter.h"
#include "settings/presenter/GeneralSettingsPresenter.h"
#include "settings/presenter/RemindSettingsPresenter.h"
#include "settings/presenter/SkinSettingsPresenter.h"
#include "settings/presenter/SyncSettingsPresenter.h"
#include "tests/support/TestEnv.h"

#include <QFileInfo>
#include <QJsonArray>

Q_DECLARE_METATYPE(QJsonObject)

namespace {

enum class Answer
{
    Accept,
    Refuse,
    Fail
};

const QJsonObject kSet{
    {"noteAddPositionType", 0},     {"noteCompleteActionType", 0},    {"hyperlinkDistinguish", 0},
    {"remindTypes", "1"},           {"remindSoundName", "标准铃声1"}, {"remindSoundPath", "标准铃声1.wav"},
    {"importantRemindInterval", 5}, {"wifiSilenceRemindInterval", 0}, {"newSkinColor", "#10b56c"}};
const QJsonObject kInfo{
    {"syncSettings", "1,2,3"}, {"lockScreenPassword", ""}, {"isDefaultLockScreen", false}};

} // namespace

class TstSettingsPresenters : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_root = TestEnv::freshFolders(); }
    void savePattern_data();
    void savePattern();
    void aChangeOutHoldsItsControlsAndTheRowWaits();
    void loadsAtEachOpeningMakeMissingRows();
    void aLoadAfterAChangeKeepsTheChange();
    void syncChoiceTexts_data();
    void syncChoiceTexts();
    void snapshotListAndRestore();
    void positionPairs_data();
    void positionPairs();
    void lockAndPassword();
    void onlyWhatWasSentIsStored();
    void fontSizeStaysLocal();
    void soundList_data();
    void soundList();
    void soundChoicesAndIntervals();
    void previewPlaysOnceAndPauses();
    void skinConfirm();
    void aboutVersionsAndPages_data();
    void aboutVersionsAndPages();
    void aboutLoadsAtEachShowingAndOpensPages();

private:
    QString m_root;
};

// Each tab's change through the one pattern: what goes out, the row after
// the answer, the spinner, and the control's value after a refusal.
void TstSettingsPresenters::savePattern_data()
{
    QTest::addColumn<QString>("tab");
    QTest::addColumn<QString>("version"); // "" none in the defaults
    QTest::addColumn<int>("answer");
    for (const char *tab : {"sync", "general", "reminder", "skin"}) {
        for (const auto &[name, answer] :
             {std::pair{"accepted", Answer::Accept}, std::pair{"refused", Answer::Refuse},
              std::pair{"not delivered", Answer::Fail}})
            QTest::addRow("%s %s", tab, name) << tab << "41" << int(answer);
        QTest::addRow("%s without a version", tab) << tab << "" << int(Answer::Accept);
    }
}

void TstSettingsPresenters::savePattern()
{
    QFETCH(QString, tab);
    QFETCH(QString, version);
    QFETCH(int, answer);
    SettingsRig rig(m_root);
    rig.storeRows(kSet, kInfo);
    rig.services.skins->addSkinToLocal();
    if (version.isEmpty())
        UserDefaults::remove(SignInKeys::Version);
    else
        UserDefaults::setValue(SignInKeys::Version, version);
    const QString path = tab == "sync" ? "user/userInfo/modify" : "user/sysSet/modify";
    if (answer == int(Answer::Refuse))
        rig.s.service->setFault(path, StandinFault::replyCode(300, "不能修改"));
    else if (answer == int(Answer::Fail))
        rig.s.service->setFault(path, StandinFault::of(StandinFault::Kind::Reset));

    SyncSettingsPresenter sync(rig.services, rig.saver(), &rig.window);
    GeneralSettingsPresenter general(rig.services, rig.saver(), &rig.window);
    RemindSettingsPresenter remind(rig.services, rig.saver(), &rig.window);
    SkinSettingsPresenter skin(rig.services, rig.saver(), &rig.window);
    QJsonObject expected;
    std::function<bool()> shownAsSent, shownAsBefore;
    SettingsSaver::Row row = SettingsSaver::Row::UserSet;
    bool spinner = true;
    if (tab == "sync") {
        sync.toggle(SyncSettingsPresenter::Remind, false);
        expected = {{"syncSettings", "1,3"}};
        row = SettingsSaver::Row::UserInfo;
        shownAsSent = [&] { return !sync.isOn(SyncSettingsPresenter::Remind) && sync.isBusy(); };
        shownAsBefore = [&] { return sync.isOn(SyncSettingsPresenter::Remind) && !sync.isBusy(); };
    } else if (tab == "general") {
        general.chooseAddPosition(1);
        expected = {{"noteAddPositionType", "1"}};
        shownAsSent = [&] { return general.addPosition() == 1 && general.positionsBusy(); };
        shownAsBefore = [&] { return general.addPosition() == 0 && !general.positionsBusy(); };
    } else if (tab == "reminder") {
        remind.chooseSound(2);
        expected = {{"remindSoundName", "音乐铃声1"}, {"remindSoundPath", "音乐铃声1.mp3"}};
        shownAsSent = [&] { return remind.soundIndex() == 2 && remind.soundBusy(); };
        shownAsBefore = [&] { return remind.soundIndex() == 0 && !remind.soundBusy(); };
    } else {
        skin.pick(int(skin.skins().indexOf("#e8505b")));
        skin.confirm();
        expected = {{"newSkinColor", "#e8505b"}};
        spinner = false;
        shownAsSent = [&] { return skin.isBusy(); };
        shownAsBefore = [&] { return !skin.isBusy(); };
    }
    QVERIFY(shownAsSent());
    QCOMPARE(rig.s.feedback->busyCount(), spinner ? 1 : 0);
    QVERIFY(rig.answered(1));

    QJsonObject params = rig.sent(path.toLatin1());
    QCOMPARE(params.value("version").toString(), version);
    QCOMPARE(params.contains("version"), !version.isEmpty());
    params.remove("version");
    QCOMPARE(params, expected);
    QCOMPARE(rig.s.feedback->busyCount(), 0);
    QCOMPARE(rig.answers.at(0).at(2).toBool(), answer == int(Answer::Accept));
    const QJsonObject stored = row == SettingsSaver::Row::UserInfo ? kInfo : kSet;
    for (auto it = expected.constBegin(); it != expected.constEnd(); ++it) {
        const QVariant now = rig.saver()->stored(row, it.key());
        if (answer == int(Answer::Accept))
            QCOMPARE(now.toString(), it.value().toVariant().toString());
        else
            QCOMPARE(now.toString(), stored.value(it.key()).toVariant().toString());
    }
    if (answer == int(Answer::Accept)) {
        QVERIFY(!shownAsBefore() || tab == "skin");
    } else {
        // Set back to what is stored, the control free again.
        QVERIFY(shownAsBefore());
    }
}

// While a change is out its controls wait; another attribute may go out
// meanwhile; the row takes nothing before the answer, and a change that never
// got through is set back.
void TstSettingsPresenters::aChangeOutHoldsItsControlsAndTheRowWaits()
{
    SettingsRig rig(m_root);
    rig.storeRows(kSet, kInfo);
    GeneralSettingsPresenter general(rig.services, rig.saver(), &rig.window);
    StandinFault held = StandinFault::of(StandinFault::Kind::NoAnswer);
    held.times = 1;
    rig.s.service->setFault("user/sysSet/modify", held);

    general.chooseAddPosition(1);
    QTRY_COMPARE(rig.requests("user/sysSet/modify"), 1);
    QVERIFY(general.positionsBusy());
    QCOMPARE(general.addPosition(), 1);
    QCOMPARE(rig.set()->noteAddPositionType(), 0);
    // The other pop-up of the pair waits too: no second position goes out.
    general.chooseCompletePosition(3);
    general.chooseAddPosition(0);
    QTest::qWait(50);
    QCOMPARE(rig.requests("user/sysSet/modify"), 1);
    // Another setting is free and is stored at once.
    general.setLinkMarked(true);
    QVERIFY(rig.answeredAs(1, true));
    QVERIFY(rig.set()->hyperlinkDistinguish());
    QCOMPARE(rig.set()->noteAddPositionType(), 0);
    QVERIFY(general.positionsBusy());

    // The held request runs out of time: a transport failure.
    QVERIFY(rig.answeredAs(2, false));
    QVERIFY(!general.positionsBusy());
    QCOMPARE(general.addPosition(), 0);
    QCOMPARE(rig.set()->noteAddPositionType(), 0);
    QCOMPARE(rig.s.feedback->busyCount(), 0);
    general.chooseAddPosition(1);
    QVERIFY(rig.answeredAs(3, true));
    QCOMPARE(rig.set()->noteAddPositionType(), 1);
}

void TstSettingsPresenters::loadsAtEachOpeningMakeMissingRows()
{
    SettingsRig rig(m_root);
    rig.account().sysSet.insert("noteAddPositionType", 1);
    rig.account().userInfo.insert("nick", "小李");
    QVERIFY(!rig.set());
    QVERIFY(!rig.info());
    QSignalSpy loaded(rig.presenter, &SettingsWindowPresenter::loaded);
    rig.presenter->load();
    QTRY_COMPARE(loaded.count(), 2);
    QVERIFY(rig.set());
    QCOMPARE(rig.set()->noteAddPositionType(), 1);
    QVERIFY(rig.info());
    QCOMPARE(rig.info()->nick(), QStringLiteral("小李"));
    QCOMPARE(qint64(rig.info()->userId()), rig.account().userId.toLongLong());
    QCOMPARE(rig.ctx()->findAll<UserInfo>().size(), 1);
    QCOMPARE(rig.ctx()->findAll<UserSet>().size(), 1);

    // A second window loads again, into the same rows; nothing is sent.
    QObject second;
    auto *again = new SettingsWindowPresenter(rig.services, &second);
    QSignalSpy loadedAgain(again, &SettingsWindowPresenter::loaded);
    rig.account().userInfo.insert("nick", "小王");
    again->load();
    QTRY_COMPARE(loadedAgain.count(), 2);
    QCOMPARE(rig.requests("user/userInfo"), 2);
    QCOMPARE(rig.requests("user/sysSet"), 2);
    QCOMPARE(rig.requests("user/userInfo/modify") + rig.requests("user/sysSet/modify"), 0);
    QCOMPARE(rig.info()->nick(), QStringLiteral("小王"));
    QCOMPARE(rig.ctx()->findAll<UserInfo>().size(), 1);

    // A refused load changes nothing.
    rig.s.service->setFault("user/sysSet", StandinFault::replyCode(500, "忙"));
    rig.account().sysSet.insert("noteAddPositionType", 0);
    rig.presenter->load();
    QTRY_COMPARE(loaded.count(), 3); // the profile only
    QTest::qWait(50);
    QCOMPARE(rig.set()->noteAddPositionType(), 1);
}

void TstSettingsPresenters::aLoadAfterAChangeKeepsTheChange()
{
    SettingsRig rig(m_root);
    rig.storeRows(kSet, kInfo);
    rig.account().sysSet.insert("wifiSilenceRemindInterval", 0);
    RemindSettingsPresenter remind(rig.services, rig.saver(), &rig.window);
    QSignalSpy loaded(rig.presenter, &SettingsWindowPresenter::loaded);
    rig.presenter->load();
    // The user picks before the loads are back.
    remind.chooseWifi(2);
    QTRY_COMPARE(loaded.count(), 2);
    // The load brought the old silence; the pop-up still shows the choice.
    QCOMPARE(remind.wifiIndex(), 2);
    QVERIFY(rig.answeredAs(1, true));
    QCOMPARE(remind.wifiIndex(), 2);
    QCOMPARE(rig.set()->wifiSilenceRemindInterval(), 8);
    QCOMPARE(rig.account().sysSet.value("wifiSilenceRemindInterval").toString(), QStringLiteral("8"));
}

void TstSettingsPresenters::syncChoiceTexts_data()
{
    QTest::addColumn<bool>("skin");
    QTest::addColumn<bool>("remind");
    QTest::addColumn<bool>("link");
    QTest::addColumn<QString>("text");
    QTest::newRow("reminders only") << false << true << false << "2";
    QTest::newRow("skin and links") << true << false << true << "1,3";
    QTest::newRow("all") << true << true << true << "1,2,3";
    QTest::newRow("none") << false << false << false << "";
}

void TstSettingsPresenters::syncChoiceTexts()
{
    QFETCH(bool, skin);
    QFETCH(bool, remind);
    QFETCH(bool, link);
    QFETCH(QString, text);
    QCOMPARE(SyncSettingsPresenter::joined(skin, remind, link), text);

    // Switching one box from the opposite state sends the whole choice.
    SettingsRig rig(m_root);
    rig.storeRows(kSet, {{"syncSettings", SyncSettingsPresenter::joined(skin, remind, !link)}});
    SyncSettingsPresenter sync(rig.services, rig.saver(), &rig.window);
    QCOMPARE(sync.isOn(SyncSettingsPresenter::Link), !link);
    sync.toggle(SyncSettingsPresenter::Link, link);
    QVERIFY(rig.answeredAs(1, true));
    QCOMPARE(rig.sent("user/userInfo/modify").value("syncSettings").toString(), text);
    QCOMPARE(rig.info()->syncSettings(), text);
    QCOMPARE(rig.account().userInfo.value("syncSettings").toString(), text);
}

void TstSettingsPresenters::snapshotListAndRestore()
{
    SettingsRig rig(m_root);
    rig.storeRows(kSet, kInfo);
    UserDefaults::setValue(SignInKeys::Version, "12");
    SyncSettingsPresenter sync(rig.services, rig.saver(), &rig.window);
    QSignalSpy listed(&sync, &SyncSettingsPresenter::snapshotsChanged);
    QSignalSpy pulls(&rig.events, &AppEvents::syncPullNoteDatas);
    QCOMPARE(sync.snapshotDates(), QStringList());

    // Nothing chosen yet: no question, nothing sent.
    sync.restore({});
    QCOMPARE(rig.s.feedback->messages(), QStringList{SyncSettingsPresenter::NoDateText});

    rig.s.notes->takeSnapshot(rig.account(), "2026/3/1 0:00:00");
    sync.loadSnapshots();
    QTRY_COMPARE(listed.count(), 1);
    QCOMPARE(sync.snapshotDates(), QStringList({"2026/12/1 0:00:00", "2026/3/1 0:00:00"}));
    // An empty list keeps what was listed.
    rig.account().snapshots = QJsonArray{};
    sync.loadSnapshots();
    QTRY_COMPARE(rig.requests("user/data/snapshot/list"), 2);
    QTest::qWait(50);
    QCOMPARE(sync.snapshotDates().size(), 2);

    // Declined: nothing sent.
    rig.s.feedback->autoAnswer = false;
    sync.restore("2026/3/1 0:00:00");
    QTRY_COMPARE(rig.s.feedback->messages().size(), 2);
    QCOMPARE(rig.s.feedback->messages().last(), SyncSettingsPresenter::RestoreQuestion);
    QTest::qWait(20);
    QCOMPARE(rig.requests("user/data/snapshot/restore"), 0);

    // A date without data is refused: the version stays, no pull.
    rig.s.feedback->autoAnswer = true;
    sync.restore("2026/12/1 0:00:00");
    QTRY_COMPARE(rig.requests("user/data/snapshot/restore"), 1);
    QTRY_VERIFY(!sync.isRestoring());
    const auto busyShown = [&] {
        return std::count_if(rig.s.feedback->entries.cbegin(), rig.s.feedback->entries.cend(),
                             [](const auto &e) { return e.kind == RecordingFeedback::Kind::BusyShown; });
    };
    QCOMPARE(busyShown(), 1);
    QCOMPARE(rig.s.feedback->busyCount(), 0);
    QCOMPARE(UserDefaults::string(SignInKeys::Version), QStringLiteral("12"));
    QCOMPARE(pulls.count(), 0);

    // Confirmed and restored: the new version, then exactly one full pull.
    const qint64 before = rig.account().version;
    sync.restore("2026/3/1 0:00:00");
    QTRY_COMPARE(rig.requests("user/data/snapshot/restore"), 2);
    QCOMPARE(rig.sent("user/data/snapshot/restore"),
             QJsonObject({{"snapshotDate", "2026/3/1 0:00:00"}, {"version", "12"}}));
    QTRY_COMPARE(pulls.count(), 1);
    QCOMPARE(pulls.at(0).at(0).toString(), QStringLiteral("0"));
    QCOMPARE(UserDefaults::string(SignInKeys::Version), QString::number(before + 1));
    QCOMPARE(rig.s.feedback->busyCount(), 0);
}

void TstSettingsPresenters::positionPairs_data()
{
    QTest::addColumn<int>("add");
    QTest::addColumn<int>("complete");
    QTest::addColumn<bool>("changeAdd");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("refusal");
    for (int complete = 0; complete < 4; ++complete) {
        const int add = complete == 2 ? 1 : 0; // stored pairs are allowed ones
        for (int to = 0; to < 2; ++to)
            QTest::addRow("complete %d, new notes to %d", complete, to)
                << add << complete << true << to << GeneralSettingsPresenter::refusalOf(to, complete);
    }
    for (int add = 0; add < 2; ++add)
        for (int to = 0; to < 4; ++to)
            QTest::addRow("new %d, completed to %d", add, to)
                << add << (add == 0 ? 1 : 2) << false << to << GeneralSettingsPresenter::refusalOf(add, to);
}

// The pair is checked against the other setting as stored; a refusal tells
// why and sets the changed pop-up back; an allowed one sends its index.
void TstSettingsPresenters::positionPairs()
{
    QFETCH(int, add);
    QFETCH(int, complete);
    QFETCH(bool, changeAdd);
    QFETCH(int, to);
    QFETCH(QString, refusal);
    QCOMPARE(GeneralSettingsPresenter::refusalOf(0, 2), GeneralSettingsPresenter::BothBottomText);
    QCOMPARE(GeneralSettingsPresenter::refusalOf(1, 1), GeneralSettingsPresenter::BothTopText);
    SettingsRig rig(m_root);
    QJsonObject set = kSet;
    set.insert("noteAddPositionType", add);
    set.insert("noteCompleteActionType", complete);
    rig.storeRows(set, kInfo);
    GeneralSettingsPresenter general(rig.services, rig.saver(), &rig.window);
    QSignalSpy changed(&general, &GeneralSettingsPresenter::changed);
    if (changeAdd)
        general.chooseAddPosition(to);
    else
        general.chooseCompletePosition(to);
    if (!refusal.isEmpty()) {
        QCOMPARE(rig.s.feedback->messages(), QStringList{refusal});
        QVERIFY(changed.count() > 0);
        QCOMPARE(general.addPosition(), add);
        QCOMPARE(general.completePosition(), complete);
        QTest::qWait(20);
        QCOMPARE(rig.requests("user/sysSet/modify"), 0);
        return;
    }
    QVERIFY(rig.answeredAs(1, true));
    const QString key = changeAdd ? "noteAddPositionType" : "noteCompleteActionType";
    QCOMPARE(rig.sent("user/sysSet/modify").value(key), QJsonValue(QString::number(to)));
    QCOMPARE(changeAdd ? rig.set()->noteAddPositionType() : rig.set()->noteCompleteActionType(), to);
}

void TstSettingsPresenters::lockAndPassword()
{
    SettingsRig rig(m_root);
    rig.storeRows(kSet, kInfo);
    GeneralSettingsPresenter general(rig.services, rig.saver(), &rig.window);
    // No saved password: the box asks for one first and shows off again.
    general.setLockOn(true);
    QCOMPARE(rig.s.feedback->messages(), QStringList{GeneralSettingsPresenter::NoLockPasswordText});
    QVERIFY(!general.lockOn());
    QCOMPARE(rig.requests("user/userInfo/modify"), 0);

    const QList<std::pair<QString, QString>> refused{{"", GeneralSettingsPresenter::EmptyPasswordText},
                                                     {"12a", GeneralSettingsPresenter::DigitsOnlyText},
                                                     {"１２", GeneralSettingsPresenter::DigitsOnlyText},
                                                     {"12 3", GeneralSettingsPresenter::DigitsOnlyText}};
    for (const auto &[text, why] : refused) {
        rig.s.feedback->clear();
        general.savePassword(text);
        QCOMPARE(rig.s.feedback->messages(), QStringList{why});
    }
    QTest::qWait(20);
    QCOMPARE(rig.requests("user/userInfo/modify"), 0);

    QSignalSpy answered(&general, &GeneralSettingsPresenter::passwordAnswered);
    general.savePassword("0012");
    QVERIFY(general.passwordBusy());
    QVERIFY(rig.answeredAs(1, true));
    QCOMPARE(answered.count(), 1);
    QCOMPARE(rig.sent("user/userInfo/modify").value("lockScreenPassword").toString(), QStringLiteral("0012"));
    QCOMPARE(rig.info()->lockScreenPassword(), QStringLiteral("0012"));

    general.setLockOn(true);
    QVERIFY(rig.answeredAs(2, true));
    QCOMPARE(rig.sent("user/userInfo/modify").value("isDefaultLockScreen"), QJsonValue(1));
    QVERIFY(rig.info()->isDefaultLockScreen());
    QVERIFY(general.lockOn());
    // A refused switch-off leaves the lock on and the box shows it.
    rig.s.service->setFault("user/userInfo/modify", StandinFault::replyCode(300, "不行"));
    general.setLockOn(false);
    QVERIFY(rig.answeredAs(3, false));
    QVERIFY(rig.info()->isDefaultLockScreen());
    QVERIFY(general.lockOn());
}

// A refused change stays out of the row when a later change is accepted, and
// an unsaved password never becomes the lock password.
void TstSettingsPresenters::onlyWhatWasSentIsStored()
{
    SettingsRig rig(m_root);
    QJsonObject info = kInfo;
    info.insert("lockScreenPassword", "1234");
    rig.storeRows(kSet, info);
    UserDefaults::setValue(SignInKeys::Version, "3");
    GeneralSettingsPresenter general(rig.services, rig.saver(), &rig.window);
    StandinFault once = StandinFault::replyCode(300, "不行");
    once.times = 1;
    rig.s.service->setFault("user/sysSet/modify", once);
    general.chooseAddPosition(1);
    QVERIFY(rig.answeredAs(1, false));
    general.setLinkMarked(true);
    QVERIFY(rig.answeredAs(2, true));
    QCOMPARE(rig.set()->noteAddPositionType(), 0);
    QVERIFY(rig.set()->hyperlinkDistinguish());

    general.savePassword("99a"); // typed, refused, never sent
    general.setLockOn(true);
    QVERIFY(rig.answeredAs(3, true));
    QCOMPARE(rig.info()->lockScreenPassword(), QStringLiteral("1234"));
    QVERIFY(rig.info()->isDefaultLockScreen());
    QCOMPARE(rig.sent("user/userInfo/modify").keys(), QStringList({"isDefaultLockScreen", "version"}));

    // A stored position outside the pop-up's items selects nothing.
    rig.set()->setNoteCompleteActionType(7);
    QVERIFY(rig.ctx()->saveAndWait().ok);
    QCOMPARE(general.completePosition(), -1);
}

void TstSettingsPresenters::fontSizeStaysLocal()
{
    SettingsRig rig(m_root);
    rig.storeRows(kSet, kInfo);
    GeneralSettingsPresenter general(rig.services, rig.saver(), &rig.window);
    QCOMPARE(general.fontSizeIndex(), 1); // "14" until chosen
    QSignalSpy reloads(&rig.events, &AppEvents::notesListReloadDatas);
    general.chooseFontSize(3);
    QCOMPARE(UserDefaults::string(SignInKeys::FontSize), QStringLiteral("18"));
    QCOMPARE(general.fontSizeIndex(), 3);
    QCOMPARE(reloads.count(), 1);
    QCOMPARE(reloads.at(0).at(0).value<NotesListReload>(), NotesListReload::all());
    QTest::qWait(20);
    QCOMPARE(rig.requests("user/sysSet/modify"), 0);
}

void TstSettingsPresenters::soundList_data()
{
    QTest::addColumn<QString>("types");
    QTest::addColumn<bool>("on");
    QTest::addColumn<QString>("sent");
    QTest::newRow("1 on") << "1" << true << "1,2";
    QTest::newRow("1,2,3 off") << "1,2,3" << false << "1,3";
    QTest::newRow("already on") << "1,2" << true << "1,2";
    QTest::newRow("every 2 goes") << "2,1,2" << false << "1";
    QTest::newRow("empty on") << "" << true << "2";
    QTest::newRow("only commas on") << ",," << true << "2";
    QTest::newRow("12 is not 2") << "12" << true << "12,2";
}

void TstSettingsPresenters::soundList()
{
    QFETCH(QString, types);
    QFETCH(bool, on);
    QFETCH(QString, sent);
    QCOMPARE(RemindSettingsPresenter::withSound(types, on), sent);
}

void TstSettingsPresenters::soundChoicesAndIntervals()
{
    QCOMPARE(RemindSettingsPresenter::soundFileName("音乐铃声1"), QStringLiteral("音乐铃声1.mp3"));
    QCOMPARE(RemindSettingsPresenter::soundFileName("机场提示音"), QStringLiteral("机场提示音.wav"));
    QCOMPARE(RemindSettingsPresenter::soundFileName("别的"), QStringLiteral("别的.mp3"));
    QStringList files;
    for (const QString &name : RemindSettingsPresenter::soundNames())
        files << RemindSettingsPresenter::soundFileName(name);
    // The same ten files the notifications play.
    QCOMPARE(files, LocalNotificationManager::soundFileNames());
    QCOMPARE(RemindSettingsPresenter::wifiTitles().first(), QStringLiteral("无间隔"));
    QCOMPARE(RemindSettingsPresenter::wifiTitles().last(), QStringLiteral("20小时"));
    QCOMPARE(RemindSettingsPresenter::importantTitles(), QStringList({"5分钟", "10分钟", "30分钟"}));

    SettingsRig rig(m_root);
    rig.storeRows(kSet, kInfo);
    RemindSettingsPresenter remind(rig.services, rig.saver(), &rig.window);
    QCOMPARE(remind.soundIndex(), 0);
    QCOMPARE(remind.importantIndex(), 0);
    QCOMPARE(remind.wifiIndex(), 0);
    QVERIFY(!remind.soundOn());
    // What is stored already sends nothing.
    remind.chooseSound(0);
    remind.chooseImportant(0);
    remind.chooseWifi(0);
    QTest::qWait(20);
    QCOMPARE(rig.requests("user/sysSet/modify"), 0);

    remind.setSoundOn(true);
    QVERIFY(rig.answeredAs(1, true));
    QCOMPARE(rig.sent("user/sysSet/modify").value("remindTypes").toString(), QStringLiteral("1,2"));
    QVERIFY(remind.soundOn());
    remind.chooseImportant(2);
    QVERIFY(rig.answeredAs(2, true));
    QCOMPARE(rig.sent("user/sysSet/modify").value("importantRemindInterval"), QJsonValue("30"));
    QCOMPARE(rig.set()->importantRemindInterval(), 30);
    rig.s.service->setFault("user/sysSet/modify", StandinFault::of(StandinFault::Kind::Reset));
    remind.chooseWifi(4);
    QVERIFY(rig.answeredAs(3, false));
    QCOMPARE(remind.wifiIndex(), 0);
    QCOMPARE(rig.s.feedback->busyCount(), 0);
    // A stored interval none of the items has selects nothing.
    rig.set()->setWifiSilenceRemindInterval(6);
    QVERIFY(rig.ctx()->saveAndWait().ok);
    QCOMPARE(remind.wifiIndex(), -1);
}

void TstSettingsPresenters::previewPlaysOnceAndPauses()
{
    SettingsRig rig(m_root);
    rig.storeRows(kSet, kInfo);
    RemindSettingsPresenter remind(rig.services, rig.saver(), &rig.window);
    remind.preview(2);
    QCOMPARE(rig.sounds.played.size(), 1);
    QVERIFY(rig.sounds.played.first().endsWith("/音乐铃声1.mp3"));
    QVERIFY(QFileInfo::exists(rig.sounds.played.first()));
    QVERIFY(!remind.previewEnabled());
    remind.preview(3);
    QCOMPARE(rig.sounds.played.size(), 1);
    rig.scheduler.advance(RemindSettingsPresenter::PreviewPause - 1);
    QVERIFY(!remind.previewEnabled());
    rig.scheduler.advance(1);
    QVERIFY(remind.previewEnabled());
    QCOMPARE(rig.requests("user/sysSet/modify"), 0);

    // Without an audio output the preview says so.
    rig.sounds.result = SoundPlayer::Result::NoAudioOutput;
    remind.preview(0);
    QCOMPARE(rig.sounds.played.size(), 2);
    QCOMPARE(rig.s.feedback->toasts(), QStringList{RemindSettingsPresenter::NoAudioText});
}

void TstSettingsPresenters::skinConfirm()
{
    SettingsRig rig(m_root);
    rig.storeRows(kSet, kInfo);
    QVERIFY(rig.services.skins->addSkinToLocal());
    SkinSettingsPresenter skin(rig.services, rig.saver(), &rig.window);
    QStringList bySort;
    for (const SkinListModel &m : SkinManager::getSkinList())
        if (m.sortValue() > 25)
            bySort << m.skinName();
    QCOMPARE(skin.skins().size(), bySort.size());
    QCOMPARE(skin.skins().first(), QStringLiteral("#10b56c")); // sort 26
    QCOMPARE(skin.currentIndex(), 0);

    QSignalSpy closes(&skin, &SkinSettingsPresenter::closeWanted);
    QStringList told;
    connect(&rig.events, &AppEvents::reloadDatasForTitleBar, &skin, [&] { told << "titleBar"; });
    connect(&rig.events, &AppEvents::reloadLeftHomeList, &skin, [&] { told << "column"; });
    connect(&skin, &SkinSettingsPresenter::closeWanted, &skin, [&] { told << "close"; });
    // Nothing picked: the window closes, nothing is sent.
    skin.confirm();
    QCOMPARE(closes.count(), 1);
    QTest::qWait(20);
    QCOMPARE(rig.requests("user/sysSet/modify"), 0);

    // Refused: the skin stays, the window too.
    told.clear();
    rig.s.service->setFault("user/sysSet/modify", StandinFault::replyCode(300, "不行"));
    skin.pick(3);
    skin.confirm();
    QVERIFY(rig.answeredAs(1, false));
    QCOMPARE(rig.services.skins->getCurrSkin()->nameId(), QStringLiteral("#10b56c"));
    QCOMPARE(told, QStringList());

    // The current skin again still goes out, and then redraws and closes.
    rig.s.service->clearFaults();
    skin.pick(0);
    skin.confirm();
    QVERIFY(rig.answeredAs(2, true));
    QCOMPARE(told, QStringList({"titleBar", "column", "close"}));
    told.clear();
    skin.pick(3);
    skin.confirm();
    QVERIFY(rig.answeredAs(3, true));
    QCOMPARE(rig.services.skins->getCurrSkin()->nameId(), skin.skins().at(3));
    QCOMPARE(skin.currentIndex(), 3);
    QCOMPARE(rig.set()->newSkinColor(), skin.skins().at(3));
    QCOMPARE(told, QStringList({"titleBar", "column", "close"}));
}

void TstSettingsPresenters::aboutVersionsAndPages_data()
{
    QTest::addColumn<QJsonArray>("terminals");
    QTest::addColumn<QString>("version");
    const QJsonObject ios{{"id", 1}, {"version", "3.2.0"}};
    const QJsonObject mine{{"id", 7}, {"version", "1.2.0"}};
    QTest::newRow("in id order") << QJsonArray{ios, mine} << "1.2.0";
    QTest::newRow("other order") << QJsonArray{mine, ios} << "1.2.0";
    QTest::newRow("id as text") << QJsonArray{ios, QJsonObject{{"id", "7"}, {"version", "1.3.0"}}} << "1.3.0";
    QTest::newRow("fewer than seven, none ours") << QJsonArray{ios} << "";
    // Ids that are no whole number in range are nobody's (and convert without undefined behaviour).
    QTest::newRow("id out of range, then ours")
        << QJsonArray{QJsonObject{{"id", 1e300}, {"version", "9.9.9"}}, mine} << "1.2.0";
    QTest::newRow("id a fraction") << QJsonArray{QJsonObject{{"id", 7.5}, {"version", "9.9.9"}}} << "";
    QTest::newRow("empty") << QJsonArray{} << "";
}

void TstSettingsPresenters::aboutVersionsAndPages()
{
    QFETCH(QJsonArray, terminals);
    QFETCH(QString, version);
    QCOMPARE(AboutPresenter::versionFor(terminals), version);
    QCOMPARE(AboutPresenter::pageFor(AboutPresenter::AgreementLink), QStringLiteral("protocol"));
    QCOMPARE(AboutPresenter::pageFor(AboutPresenter::PrivacyLink), QStringLiteral("secret"));
}

void TstSettingsPresenters::aboutLoadsAtEachShowingAndOpensPages()
{
    SettingsRig rig(m_root);
    UserDefaults::setValue(ApiNetWorking::WebBaseUrlKey, "http://127.0.0.1:9/");
    AboutPresenter about(rig.services, &rig.window);
    QSignalSpy pages(&about, &AboutPresenter::pageWanted);
    about.loadTerminals();
    QTRY_COMPARE(about.serviceVersion(), QStringLiteral("1.0.0"));
    about.loadTerminals();
    QTRY_COMPARE(rig.requests("sys/terminal/list"), 2);
    about.openLink(AboutPresenter::PrivacyLink);
    QCOMPARE(pages.at(0).at(0).toString(), QStringLiteral("secret"));
    about.openDownloadPage();
    about.openClientPage();
    QCOMPARE(rig.urls.opened,
             QList<QUrl>({QUrl("http://127.0.0.1:9/xiazai/"), QUrl("http://127.0.0.1:9/mac/")}));
}

PRELVANE_TEST_CORE_MAIN(TstSettingsPresenters)
#include "tst_settingspresenters.moc"
