#include "app/services/Services.h"
#include "notes/reminderwindow/presenter/DateRemindPresenter.h"
#include "notes/reminderwindow/presenter/NoteRemindRepeatPresenter.h"
#include "notes/reminderwindow/presenter/WIFIRemindPresenter.h"
#include "notes/reminderwindow/presenter/WifiNetworkListModel.h"
#include "notes/reminderwindow/view/DateRemindViewController.h"
#include "notes/reminderwindow/view/NoteRemindRepeatViewController.h"
#include "notes/reminderwindow/view/NoteRemindViewController.h"
#include "notes/reminderwindow/view/WIFIRemindViewController.h"
#include "notes/reminderwindow/view/WiFiListViewController.h"
#include "platform/base/Clock.h"
#include "tests/support/RecordingFeedback.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestGraph.h"
#include "tests/support/doubles/FakeNetworkMonitor.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

Q_DECLARE_METATYPE(NoteRemindModel)

namespace {

template <typename T> T *byText(QWidget *root, const QString &text)
{
    for (T *w : root->findChildren<T *>())
        if (w->text() == text && w->isVisible())
            return w;
    return nullptr;
}

NoteRemindModel dated(quint64 cycleType = 0, qint64 interval = 1, const QString &specify = {},
                      quint64 dateType = 0)
{
    NoteRemindModel m;
    m.setRemindActionType(2);
    m.setRemindStartTime(QStringLiteral("2026/12/9 10:15:00"));
    m.setRemindRealDateTime(QStringLiteral("2026/12/9 10:15:00"));
    m.setRemindCycleType(cycleType);
    m.setRemindInterval(interval);
    m.setRemindSpecify(specify);
    m.setRemindDateType(dateType);
    return m;
}

// A repeat the user sets up on the date tab: a plain choice, or the custom popover's unit, interval and
// chosen grid positions (1-based values).
struct Repeat
{
    int choice = 0;
    int unit = 0;
    int interval = 1;
    QList<int> values;
};

} // namespace

Q_DECLARE_METATYPE(Repeat)

class TestNoteRemindWindow : public QObject
{
    Q_OBJECT

    RecordingFeedback m_feedback;
    StoreFixture m_store;
    std::unique_ptr<TestGraph> m_graph;

    NoteRemindViewController *openWindow(const NoteRemindModel &value)
    {
        auto *window = new NoteRemindViewController(value, m_graph->services(), nullptr);
        window->present();
        if (!QTest::qWaitForWindowExposed(window))
            qWarning("reminder window not exposed");
        return window;
    }
    static void click(QWidget *root, const QString &text)
    {
        auto *button = byText<QPushButton>(root, text);
        QVERIFY2(button, qPrintable(text));
        QTest::mouseClick(button, Qt::LeftButton);
    }
    static QComboBox *repeatPopUp(NoteRemindViewController *window)
    {
        return window->dateTab()->findChild<QComboBox *>();
    }
    static QString summary(NoteRemindViewController *window)
    {
        return window->dateTab()->presenter()->summary();
    }
    // Confirms the shown tab and gives what the window handed back.
    static std::optional<NoteRemindModel> confirm(NoteRemindViewController *window)
    {
        QPointer<NoteRemindViewController> alive(window);
        QSignalSpy handed(window, &NoteRemindViewController::remindConfirmed);
        click(window->tabs()->currentWidget(), QStringLiteral("确定"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (alive)
            qWarning("reminder window still open after confirm");
        if (handed.isEmpty())
            return std::nullopt;
        return handed.first().first().value<NoteRemindModel>();
    }

private slots:
    void init()
    {
        QVERIFY(m_store.open(QDateTime(QDate(2026, 12, 9), QTime(10, 15))));
        m_graph = std::make_unique<TestGraph>(m_store, ProgramServices::Parts().use(&m_feedback));
        m_feedback.clear();
    }
    void cleanup()
    {
        for (QWidget *w : QApplication::topLevelWidgets())
            w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        m_graph.reset();
        m_store.close();
    }

    void opensOnTheTabOfTheValue_data()
    {
        QTest::addColumn<QString>("ids");
        QTest::addColumn<int>("tab");
        QTest::newRow("date reminder") << QString() << int(NoteRemindViewController::DateTab);
        QTest::newRow("empty ids") << QString("") << int(NoteRemindViewController::DateTab);
        QTest::newRow("any network") << QString("0") << int(NoteRemindViewController::WifiTab);
        QTest::newRow("two networks") << QString("12,15") << int(NoteRemindViewController::WifiTab);
    }
    void opensOnTheTabOfTheValue()
    {
        QFETCH(QString, ids);
        QFETCH(int, tab);
        NoteRemindModel value = dated();
        value.setConnectWifiIds(ids);
        NoteRemindViewController *window = openWindow(value);
        QCOMPARE(window->tabs()->currentIndex(), tab);
        QCOMPARE(window->size(), QSize(300, 350));
        QVERIFY(window->isModal());
        QCOMPARE(window->windowModality(), Qt::ApplicationModal);
        QVERIFY(window->windowTitle().isEmpty());
        // The window manager offers close only.
        const Qt::WindowFlags flags = window->windowFlags();
        QVERIFY(flags & Qt::CustomizeWindowHint);
        QVERIFY(flags & Qt::WindowCloseButtonHint);
        QVERIFY(!(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
    }

    // Cancel, Escape and closing the window hand nothing back, whatever the tabs were given.
    void closingHandsNothingBack_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("cancel on the date tab") << 0;
        QTest::newRow("cancel on the wifi tab") << 1;
        QTest::newRow("escape") << 2;
        QTest::newRow("window closed") << 3;
    }
    void closingHandsNothingBack()
    {
        QFETCH(int, how);
        NoteRemindViewController *window = openWindow(dated());
        QPointer<NoteRemindViewController> alive(window);
        QSignalSpy handed(window, &NoteRemindViewController::remindConfirmed);
        window->dateTab()->presenter()->chooseRepeat(3);
        if (how == 1)
            window->tabs()->setCurrentIndex(NoteRemindViewController::WifiTab);
        if (how <= 1)
            click(window->tabs()->currentWidget(), QStringLiteral("取消"));
        else if (how == 2)
            QTest::keyClick(window, Qt::Key_Escape);
        else
            window->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!alive);
        QCOMPARE(handed.count(), 0);
    }

    // Each tab edits its own copy: a repeat chosen on the date tab stays there across tab switches and never
    // reaches a Wi-Fi value; a Wi-Fi confirm hands back only the Wi-Fi fields.
    void tabsEditCopies()
    {
        NoteRemindViewController *window = openWindow(dated(2));
        QComboBox *popUp = repeatPopUp(window);
        popUp->setCurrentIndex(3);
        emit popUp->activated(3);
        QCOMPARE(window->dateTab()->presenter()->remind().remindCycleType(), 3u);
        window->tabs()->setCurrentIndex(NoteRemindViewController::WifiTab);
        QCOMPARE(window->wifiTab()->presenter()->remind().remindCycleType(), 2u);
        window->tabs()->setCurrentIndex(NoteRemindViewController::DateTab);
        QCOMPARE(popUp->currentIndex(), 3);

        window->tabs()->setCurrentIndex(NoteRemindViewController::WifiTab);
        WifiNetworkListModel *model = window->wifiTab()->presenter()->model();
        QVERIFY(model->setData(model->index(0, WifiNetworkListModel::NameColumn), Qt::Checked,
                               Qt::CheckStateRole));
        const auto value = confirm(window);
        QVERIFY(value);
        QCOMPARE(value->connectWifiIds(), QStringLiteral("0"));
        QCOMPARE(value->remindCycleType(), 0u);
        QCOMPARE(value->remindInterval(), 0);
        QVERIFY(value->remindStartTime().isNull());
    }

    // The Wi-Fi tab driven as a user: a new row typed in, a network picked from the nearby list, ticks
    // clicked, a leave reminder confirmed.
    void wifiTabAsAUserDrivesIt()
    {
        FakeNetworkMonitor networks;
        networks.setScannedWiFiNames({QStringLiteral("Library"), QStringLiteral("Cafe")});
        NoteRemindModel value;
        value.setConnectWifiIds(QStringLiteral("0"));
        auto *window = new NoteRemindViewController(value, m_graph->services(), &networks);
        window->present();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        QCOMPARE(window->tabs()->currentIndex(), int(NoteRemindViewController::WifiTab));
        WIFIRemindViewController *tab = window->wifiTab();
        QTableView *table = tab->table();
        WIFIRemindPresenter *presenter = tab->presenter();

        QTest::mouseClick(byText<QToolButton>(tab, QStringLiteral("+")), Qt::LeftButton);
        QCOMPARE(presenter->rowCount(), 2);
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("Attic"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(presenter->networkAt(1)->name, QStringLiteral("Attic"));

        QTest::mouseClick(tab->nearbyButton(), Qt::LeftButton);
        WiFiListViewController *nearby = tab->findChild<WiFiListViewController *>();
        QVERIFY(nearby && nearby->isVisible());
        const QModelIndex cafe = nearby->list()->model()->index(1, 0);
        QTest::mouseClick(nearby->list()->viewport(), Qt::LeftButton, {},
                          nearby->list()->visualRect(cafe).center());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCOMPARE(presenter->rowCount(), 3);
        QCOMPARE(presenter->networkAt(2)->name, QStringLiteral("Cafe"));

        // A click on a check box ticks its row; "任意无线" goes.
        const QModelIndex attic = presenter->model()->index(1, WifiNetworkListModel::NameColumn);
        QStyleOptionViewItem option;
        option.rect = table->visualRect(attic);
        option.features = QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
        const QRect check =
            table->style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, table);
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, check.center());
        QVERIFY(presenter->isTicked(1));
        QVERIFY(!presenter->isTicked(0));

        QTest::mouseClick(byText<QRadioButton>(tab, QStringLiteral("断开时提醒")), Qt::LeftButton);
        QVERIFY(!presenter->isJoin());
        // Attic has a name but the service never took it: nothing to hand back, as with no tick.
        QSignalSpy handed(window, &NoteRemindViewController::remindConfirmed);
        QPointer<NoteRemindViewController> alive(window);
        click(tab, QStringLiteral("确定"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!alive);
        QCOMPARE(handed.count(), 0);
    }

    // Every repeat choice in both calendars goes through the window into the value and comes back from it
    // as it was set: the same item or summary, and the same value once confirmed again.
    void repeatChoicesRoundTrip_data()
    {
        QTest::addColumn<bool>("lunar");
        QTest::addColumn<Repeat>("repeat");
        QTest::addColumn<quint64>("cycleType");
        QTest::addColumn<qint64>("interval");
        QTest::addColumn<QString>("specify");
        for (const bool lunar : {false, true}) {
            const char *cal = lunar ? "lunar " : "gregorian ";
            const QStringList titles = DateRemindPresenter::repeatTitles();
            for (int i = 0; i < 6; ++i)
                QTest::addRow("%s%s", cal, qPrintable(titles.at(i)))
                    << lunar << Repeat{i, 0, 1, {}} << quint64(i) << qint64(1) << QString();
            QTest::addRow("%severy 3 days", cal)
                << lunar << Repeat{6, 0, 3, {}} << quint64(1) << qint64(3) << "";
            QTest::addRow("%severy 2 weeks on Mon and Wed", cal)
                << lunar << Repeat{6, 1, 2, {3, 1}} << quint64(2) << qint64(2) << "1,3";
            QTest::addRow("%smonthly on the last days", cal)
                << lunar << Repeat{6, 2, 1, {30, 1}} << quint64(3) << qint64(1) << "1,30";
            QTest::addRow("%severy 2 quarters", cal)
                << lunar << Repeat{6, 3, 2, {}} << quint64(4) << qint64(2) << "";
            QTest::addRow("%syearly in two months", cal)
                << lunar << Repeat{6, 4, 1, {12, 3}} << quint64(5) << qint64(1) << "3,12";
        }
    }
    void repeatChoicesRoundTrip()
    {
        QFETCH(bool, lunar);
        QFETCH(Repeat, repeat);
        QFETCH(quint64, cycleType);
        QFETCH(qint64, interval);
        QFETCH(QString, specify);

        NoteRemindViewController *window = openWindow(dated());
        if (lunar)
            QTest::mouseClick(byText<QRadioButton>(window, QStringLiteral("农历")), Qt::LeftButton);
        QComboBox *popUp = repeatPopUp(window);
        popUp->setCurrentIndex(repeat.choice);
        emit popUp->activated(repeat.choice);
        if (repeat.choice == DateRemindPresenter::CustomRepeatIndex) {
            NoteRemindRepeatViewController *custom = nullptr;
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *c = qobject_cast<NoteRemindRepeatViewController *>(w); c && c->isVisible())
                    custom = c;
            QVERIFY(custom);
            QCOMPARE(custom->presenter()->calendar(),
                     lunar ? CalendarIdentifier::Chinese : CalendarIdentifier::Gregorian);
            custom->presenter()->selectUnit(repeat.unit);
            custom->presenter()->setInterval(repeat.interval);
            for (int v : repeat.values)
                custom->presenter()->toggle(v - 1);
            click(custom, QStringLiteral("确定"));
        }
        const QString shown = summary(window);
        QCOMPARE(shown.isEmpty(), repeat.choice != DateRemindPresenter::CustomRepeatIndex);
        const auto value = confirm(window);
        QVERIFY(value);
        QCOMPARE(value->remindDateType(), lunar ? 1u : 0u);
        QCOMPARE(value->remindCycleType(), cycleType);
        QCOMPARE(value->remindInterval(), interval);
        QCOMPARE(value->remindSpecify(), repeat.choice == 6 ? specify : QString());
        QCOMPARE(value->remindStartTime(), QStringLiteral("2026/12/9 10:15:00"));
        QVERIFY(value->connectWifiIds().isEmpty());

        NoteRemindViewController *again = openWindow(*value);
        QCOMPARE(again->tabs()->currentIndex(), int(NoteRemindViewController::DateTab));
        QCOMPARE(byText<QRadioButton>(again, QStringLiteral("农历"))->isChecked(), lunar);
        QCOMPARE(repeatPopUp(again)->currentIndex(), repeat.choice);
        QCOMPARE(summary(again), shown);
        const auto back = confirm(again);
        QVERIFY(back);
        QCOMPARE(back->remindDateType(), value->remindDateType());
        QCOMPARE(back->remindCycleType(), value->remindCycleType());
        QCOMPARE(back->remindInterval(), value->remindInterval());
        QCOMPARE(back->remindSpecify(), value->remindSpecify());
        QCOMPARE(back->remindStartTime(), value->remindStartTime());
        QCOMPARE(back->remindEndTime(), value->remindEndTime());
        QCOMPARE(back->remindStarType(), value->remindStarType());
    }
};

PRELVANE_TEST_MAIN(TestNoteRemindWindow)
#include "tst_noteRemindWindow.moc"
