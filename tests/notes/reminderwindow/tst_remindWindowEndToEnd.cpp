// The reminder window opened from the note editor of the real main window, against the stand-in service,
// driven as a user drives it: a monthly reminder on the 31st and a lunar yearly one set, confirmed and
// stored, seen on the note's row, in the notification centre at the engine's next occurrence and on the
// service; a Wi-Fi reminder on a saved network that fires when the network is joined.

#include "app/mainwindow/view/MainWindow.h"
#include "app/uikit/MouseView.h"
#include "core/model/DateRemind.h"
#include "core/model/NoteDetail.h"
#include "core/reminders/dates/DateManager.h"
#include "core/reminders/dates/NoteDateManager.h"
#include "core/reminders/scheduling/ReminderScheduler.h"
#include "core/reminders/wifi/NetworkStatusManager.h"
#include "core/reminders/wifi/WiFiRemindManager.h"
#include "notes/categories/presenter/CategoryColumnPresenter.h"
#include "notes/categories/presenter/CategoryListModel.h"
#include "notes/detail/view/NoteDetailViewController.h"
#include "notes/editor/view/EditNoteView.h"
#include "notes/list/presenter/NoteListModel.h"
#include "notes/list/presenter/NoteRowLook.h"
#include "notes/list/view/NoteListView.h"
#include "notes/reminderwindow/presenter/DateRemindPresenter.h"
#include "notes/reminderwindow/presenter/NoteRemindRepeatPresenter.h"
#include "notes/reminderwindow/presenter/WIFIRemindPresenter.h"
#include "notes/reminderwindow/presenter/WifiNetworkListModel.h"
#include "notes/reminderwindow/view/DateRemindViewController.h"
#include "notes/reminderwindow/view/NoteRemindPicker.h"
#include "notes/reminderwindow/view/NoteRemindRepeatViewController.h"
#include "notes/reminderwindow/view/NoteRemindViewController.h"
#include "notes/reminderwindow/view/WIFIRemindViewController.h"
#include "platform/network/NetworkStatus.h"
#include "tests/notes/MainWindowDesk.h"
#include "tests/support/TestEnv.h"
#include "tests/support/doubles/FakeNetworkMonitor.h"
#include "tests/support/doubles/FakeUserNotificationCenter.h"

#include <QComboBox>
#include <QDateTimeEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>

namespace {

template <typename T> T *shown()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *t = qobject_cast<T *>(w); t && t->isVisible())
            return t;
    return nullptr;
}

template <typename T> T *byText(QWidget *root, const QString &text)
{
    for (T *w : root->findChildren<T *>())
        if (w->text() == text && w->isVisible())
            return w;
    return nullptr;
}

// The signed-in main window, with the reminder scheduler and the Wi-Fi reminders following a network the
// test drives.
struct Desk : MainWindowDesk
{
    FakeNetworkMonitor &network; // the graph's

    explicit Desk(const QString &root) : MainWindowDesk(root), network(*rig.graph->network()) {}
    ~Desk()
    {
        window.reset();
        rig.services.networkStatus->unregisterNetwork();
        rig.services.reminders->stop();
    }

    bool open()
    {
        return MainWindowDesk::open([this] {
            rig.services.reminders->start();
            rig.services.networkStatus->registerNetwork();
        });
    }

    NoteRowLook look(const QString &text) const
    {
        return notes()->model()->index(rowOf(text), 0).data(NoteListModel::LookRole).value<NoteRowLook>();
    }
    void clickRow(const QString &text) { MainWindowDesk::clickRow(rowOf(text)); }
    // Chooses the note, starts editing it and clicks its reminder line: the reminder window opens.
    NoteRemindViewController *openReminderWindow(const QString &text)
    {
        clickRow(text);
        QTest::mouseClick(editor()->button(NoteEditorPresenter::Button::Edit), Qt::LeftButton);
        if (!editor()->presenter()->isEditing())
            return nullptr;
        return clickReminderLine();
    }
    // While editing: the reminder window opens.
    NoteRemindViewController *clickReminderLine()
    {
        QTest::mouseClick(editor()->dateView(), Qt::LeftButton);
        NoteRemindViewController *w = shown<NoteRemindViewController>();
        // A new modal window takes the keyboard, as the window manager makes it.
        if (w) {
            w->activateWindow();
            if (!QTest::qWaitFor([w] { return QApplication::activeWindow() == w; }))
                return nullptr;
        }
        return w;
    }
    // Confirms the editor (the button that reads "确定" while editing) and lets the sync cycle end.
    bool confirmEditor()
    {
        QTest::mouseClick(editor()->button(NoteEditorPresenter::Button::Edit), Qt::LeftButton);
        QTest::qWait(20);
        return rig.settle();
    }
    QJsonObject servedRemind(const QString &content)
    {
        const auto n = served(content);
        return n ? n->remind : QJsonObject{};
    }
    std::optional<UserNotification> pending(const QString &content)
    {
        for (const UserNotification &n : rig.s.notifications->scheduledNotifications())
            if (n.informativeText.contains(content) || n.title.contains(content))
                return n;
        return std::nullopt;
    }
};

// Sets the date tab's start as the user does in its field.
void setStart(NoteRemindViewController *window, const QDateTime &start)
{
    window->dateTab()->findChild<NoteRemindPicker *>()->edit()->setDateTime(start);
}

void chooseRepeat(NoteRemindViewController *window, int index)
{
    auto *popUp = window->dateTab()->findChild<QComboBox *>();
    popUp->setCurrentIndex(index);
    emit popUp->activated(index);
}

} // namespace

class TstRemindWindowEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_root = TestEnv::freshFolders(); }
    void dateRemindersFromTheEditor();
    void wifiReminderFiresWhenTheNetworkIsJoined();
    void theEditorHasTheKeyboardAfterTheWindowCloses();
    void theDueDotAppearsWhenTheReminderFires();

private:
    QString m_root;
};

void TstRemindWindowEndToEnd::dateRemindersFromTheEditor()
{
    Desk d(m_root);
    Classify *work = d.other.addCategory("工作");
    d.other.addNote(work, "妈妈生日");
    d.other.addNote(work, "交房租");
    QVERIFY(d.open());
    QTRY_VERIFY(d.rowOf("交房租") >= 0);

    // Every month on the 31st, from 31 January 2026 at 9:00 (now is 2 March), chosen in the custom repeat
    // popover.
    NoteRemindViewController *window = d.openReminderWindow("交房租");
    QVERIFY(window);
    QCOMPARE(window->tabs()->currentIndex(), int(NoteRemindViewController::DateTab));
    const QDateTime start(QDate(2026, 1, 31), QTime(9, 0));
    setStart(window, start);
    chooseRepeat(window, DateRemindPresenter::CustomRepeatIndex);
    auto *custom = shown<NoteRemindRepeatViewController>();
    QVERIFY(custom);
    custom->presenter()->selectUnit(2);
    custom->presenter()->toggle(30);
    QTest::mouseClick(byText<QPushButton>(custom, QStringLiteral("确定")), Qt::LeftButton);
    QCOMPARE(window->dateTab()->presenter()->summary(), QStringLiteral("2026年1月31日 09:00 每月 31号"));
    QTest::mouseClick(byText<QPushButton>(window->dateTab(), QStringLiteral("确定")), Qt::LeftButton);
    QTRY_VERIFY(!shown<NoteRemindViewController>());
    QVERIFY(d.editor()->presenter()->reminderLine().isSet);
    QVERIFY(d.confirmEditor());

    const DateRemind *rent = d.local("交房租")->remind();
    QVERIFY(rent);
    QCOMPARE(rent->remindCycleType(), 3);
    QCOMPARE(rent->remindCycleSpecific(), QStringLiteral("31"));
    QCOMPARE(d.servedRemind("交房租").value("remindCycleSpecific").toString(), QStringLiteral("31"));
    QCOMPARE(d.servedRemind("交房租").value("remindDateTime").toString(),
             QStringLiteral("2026/1/31 9:00:00"));
    QTRY_VERIFY(d.look("交房租").showLine);
    QCOMPARE(d.look("交房租").lineIcon, NoteRowLook::LineIcon::Date);
    // The next occurrence is 31 March: February has no 31st and does not count.
    const QDateTime due = NoteDateManager::dueDateFromStartWithCalendarIdentifier(
        CalendarIdentifier::Gregorian, start, start, 3, 1, QStringLiteral("31"), QDateTime());
    QCOMPARE(due, QDateTime(QDate(2026, 3, 31), QTime(9, 0)));
    QTRY_VERIFY(d.pending("交房租"));
    QCOMPARE(d.look("交房租").intervalText, QStringLiteral("每月 31号"));
    QCOMPARE(d.look("交房租").dateText, QStringLiteral("2026年1月31日 09:00"));
    QCOMPARE(d.pending("交房租")->deliveryDate, due);

    // A lunar yearly reminder from the 1st of the lunar 6th month of 2025.
    window = d.openReminderWindow("妈妈生日");
    QVERIFY(window);
    QTest::mouseClick(byText<QRadioButton>(window, QStringLiteral("农历")), Qt::LeftButton);
    const QDateTime birthday(QDate(2025, 6, 25), QTime(8, 30)); // 2025 六月初一
    setStart(window, birthday);
    chooseRepeat(window, 5);
    QTest::mouseClick(byText<QPushButton>(window->dateTab(), QStringLiteral("确定")), Qt::LeftButton);
    QVERIFY(d.confirmEditor());
    const DateRemind *mum = d.local("妈妈生日")->remind();
    QVERIFY(mum);
    QCOMPARE(mum->remindDateType(), 1);
    QCOMPARE(mum->remindCycleType(), 5);
    QCOMPARE(d.servedRemind("妈妈生日").value("remindDateType").toInt(), 1);
    QCOMPARE(d.servedRemind("妈妈生日").value("remindCycleType").toInt(), 5);
    QTRY_VERIFY(d.look("妈妈生日").showLine);
    QCOMPARE(d.look("妈妈生日").intervalText, QStringLiteral("每年"));
    QTRY_VERIFY(d.pending("妈妈生日"));
    const QDateTime nextBirthday = NoteDateManager::dueDateFromStartWithCalendarIdentifier(
        CalendarIdentifier::Chinese, birthday, birthday, 5, 1, QString(), QDateTime());
    QVERIFY(nextBirthday > Clock::now());
    QCOMPARE(nextBirthday.date().year(), 2026);
    QCOMPARE(d.pending("妈妈生日")->deliveryDate, nextBirthday);

    // Opened again, the window shows the stored lunar yearly reminder; cancelling it changes nothing.
    window = d.openReminderWindow("妈妈生日");
    QVERIFY(window);
    QVERIFY(byText<QRadioButton>(window, QStringLiteral("农历"))->isChecked());
    QCOMPARE(window->dateTab()->findChild<QComboBox *>()->currentIndex(), 5);
    QTest::keyClick(window, Qt::Key_Escape);
    QTRY_VERIFY(!shown<NoteRemindViewController>());
    QVERIFY(d.confirmEditor());
    QCOMPARE(d.local("妈妈生日")->remind()->remindCycleType(), 5);
}

void TstRemindWindowEndToEnd::wifiReminderFiresWhenTheNetworkIsJoined()
{
    Desk d(m_root);
    d.rig.s.tester().wifis =
        QJsonArray{QJsonObject{{"wifiId", "9001"}, {"name", "Home-WiFi"}, {"alias", "家里"}},
                   QJsonObject{{"wifiId", "9002"}, {"name", "Office-5G"}, {"alias", "公司"}}};
    d.rig.s.tester().sysSet["wifiSilenceRemindInterval"] = 3;
    Classify *home = d.other.addCategory("家");
    d.other.addNote(home, "到家充电");
    d.network.change(NetworkStatus::ReachableNotWiFi, QString());
    QVERIFY(d.open());
    QTRY_VERIFY(d.rowOf("到家充电") >= 0);

    NoteRemindViewController *window = d.openReminderWindow("到家充电");
    QVERIFY(window);
    QTest::mouseClick(window->tabs()->tabBar(), Qt::LeftButton, {},
                      window->tabs()->tabBar()->tabRect(NoteRemindViewController::WifiTab).center());
    WIFIRemindViewController *tab = window->wifiTab();
    QTRY_COMPARE(tab->presenter()->rowCount(), 3);
    QTableView *table = tab->table();
    const int homeRow = tab->presenter()->networkAt(1)->name == QLatin1String("Home-WiFi") ? 1 : 2;
    QStyleOptionViewItem option;
    option.rect =
        table->visualRect(tab->presenter()->model()->index(homeRow, WifiNetworkListModel::NameColumn));
    option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    QTest::mouseClick(
        table->viewport(), Qt::LeftButton, {},
        table->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, table).center());
    QVERIFY(tab->presenter()->isTicked(homeRow));
    QTest::mouseClick(byText<QPushButton>(tab, QStringLiteral("确定")), Qt::LeftButton);
    QTRY_VERIFY(!shown<NoteRemindViewController>());
    QVERIFY(d.confirmEditor());

    const DateRemind *r = d.local("到家充电")->remind();
    QVERIFY(r);
    QCOMPARE(r->connectWifiIds(), QStringLiteral("9001"));
    QCOMPARE(r->connectWifiType(), 0);
    QCOMPARE(d.servedRemind("到家充电").value("connectWifiIds").toString(), QStringLiteral("9001"));
    QTRY_VERIFY(d.look("到家充电").showLine);
    QCOMPARE(d.look("到家充电").lineIcon, NoteRowLook::LineIcon::WiFi);
    QVERIFY(!d.pending("到家充电"));

    // Joining another network fires nothing, nor does the saved one within the silence after saving;
    // once that has passed, joining the saved one shows the note's notification.
    d.network.change(NetworkStatus::WiFi, QStringLiteral("Office-5G"));
    d.network.change(NetworkStatus::ReachableNotWiFi, QString());
    d.network.change(NetworkStatus::WiFi, QStringLiteral("Home-WiFi"));
    QTest::qWait(50);
    QVERIFY(d.rig.s.notifications->presented().isEmpty());
    d.network.change(NetworkStatus::ReachableNotWiFi, QString());
    QCOMPARE(d.rig.services.wifiReminds->silenceHours(), 3);
    Clock::setNow(Clock::now().addSecs(3 * 3600 + 60));
    d.network.change(NetworkStatus::WiFi, QStringLiteral("Home-WiFi"));
    QTRY_VERIFY(d.pending("到家充电"));
    QCOMPARE(d.pending("到家充电")->deliveryDate, Clock::now());
    d.rig.s.notifications->deliverDueNotifications();
    QCOMPARE(d.rig.s.notifications->presented().size(), 1);
    QVERIFY(d.rig.s.notifications->presented().first().informativeText.contains(QStringLiteral("到家充电")));
}

PRELVANE_TEST_MAIN(TstRemindWindowEndToEnd)
#include "tst_remindWindowEndToEnd.moc"

// Closed by Escape or by its confirm, the window hands the keyboard back to the editor's text: Ctrl+Return
// confirms the note at once.
void TstRemindWindowEndToEnd::theEditorHasTheKeyboardAfterTheWindowCloses()
{
    Desk d(m_root);
    Classify *work = d.other.addCategory("工作");
    d.other.addNote(work, "交房租");
    QVERIFY(d.open());
    QTRY_VERIFY(d.rowOf("交房租") >= 0);

    NoteRemindViewController *window = d.openReminderWindow("交房租");
    QVERIFY(window);
    QTest::keyClick(window, Qt::Key_Escape);
    QTRY_VERIFY(!shown<NoteRemindViewController>());
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(d.editor()->textEdit()));

    QVERIFY(d.editor()->presenter()->isEditing());
    window = d.clickReminderLine();
    QVERIFY(window);
    setStart(window, QDateTime(QDate(2026, 3, 9), QTime(9, 0)));
    QTest::mouseClick(byText<QPushButton>(window->dateTab(), QStringLiteral("确定")), Qt::LeftButton);
    QTRY_VERIFY(!shown<NoteRemindViewController>());
    QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget *>(d.editor()->textEdit()));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
    QTRY_VERIFY(!d.editor()->presenter()->isEditing());
    QVERIFY(d.rig.settle());
    QTRY_VERIFY(d.local("交房租")->remind());
}

// A reminder set in the window fires: its category's due dot shows at once (the delivery refreshes the
// column).
void TstRemindWindowEndToEnd::theDueDotAppearsWhenTheReminderFires()
{
    Desk d(m_root);
    Classify *work = d.other.addCategory("工作");
    d.other.addNote(work, "交房租");
    QVERIFY(d.open());
    QTRY_VERIFY(d.rowOf("交房租") >= 0);
    // What the program does with a delivered notification (the shell's part).
    QObject::connect(d.rig.s.notifications.get(), &UserNotificationCenter::didDeliverNotification,
                     d.window.get(),
                     [&d] { emit d.rig.services.events->reloadLeftHomeList(LeftHomeListReload::refetch()); });

    NoteRemindViewController *window = d.openReminderWindow("交房租");
    QVERIFY(window);
    const QDateTime at(QDate(2026, 3, 2), QTime(9, 30, 0));
    setStart(window, at);
    QTest::mouseClick(byText<QPushButton>(window->dateTab(), QStringLiteral("确定")), Qt::LeftButton);
    QTRY_VERIFY(!shown<NoteRemindViewController>());
    QVERIFY(d.confirmEditor());
    QTRY_VERIFY(d.pending("交房租"));
    CategoryListModel *column = d.window->columnPresenter()->model();
    QCOMPARE(column->rowCount(), 1);
    QVERIFY(!column->data(column->index(0), CategoryListModel::DueRole).toBool());

    QSignalSpy delivered(d.rig.s.notifications.get(), &UserNotificationCenter::didDeliverNotification);
    Clock::setNow(at);
    QTRY_COMPARE(delivered.count(), 1);
    QTRY_VERIFY(column->data(column->index(0), CategoryListModel::DueRole).toBool());
}
