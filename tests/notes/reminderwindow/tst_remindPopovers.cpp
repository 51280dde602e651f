#include "core/model/NoteRemindModel.h"
#include "notes/reminderwindow/presenter/NoteRemindCalendarPresenter.h"
#include "notes/reminderwindow/presenter/NoteRemindRepeatPresenter.h"
#include "notes/reminderwindow/view/NoteRemindCalendarController.h"
#include "notes/reminderwindow/view/NoteRemindCalendarGrid.h"
#include "notes/reminderwindow/view/NoteRemindRepeatViewController.h"
#include "notes/reminderwindow/view/NoteRepeatRemindGrid.h"
#include "platform/base/Clock.h"
#include "tests/support/TestEnv.h"

#include <QComboBox>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>

namespace {

QPushButton *button(QWidget *root, const QString &text)
{
    for (QPushButton *b : root->findChildren<QPushButton *>()) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}

bool hasLabel(QWidget *root, const QString &text)
{
    for (QLabel *l : root->findChildren<QLabel *>()) {
        if (l->text() == text && l->isVisible())
            return true;
    }
    return false;
}

} // namespace

// The popovers as a user drives them: clicks and keys reach the presenter, the shown state follows it, and
// the popover answers once and closes itself.
class TestRemindPopovers : public QObject
{
    Q_OBJECT

private slots:
    void init() { Clock::setNow(QDateTime(QDate(2026, 3, 30), QTime(8, 0))); }
    void cleanup() { Clock::reset(); }

    // A popover opens beside its control, never over the title bar (and its close button) of the window the
    // control is in, and stays on the screen. Screen 1920 x 1080, popover 300 x 330, a 30 px title bar.
    void placementAvoidsTheTitleBar_data()
    {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QRect>("client");
        QTest::addColumn<QPoint>("expected");
        // The anchor near the window's top right: centred on it the popover would rise over the title bar.
        QTest::newRow("right, lowered below the title bar")
            << QRect(360, 150, 24, 24) << QRect(100, 70, 300, 380) << QRect(100, 100, 300, 350)
            << QPoint(388, 100);
        QTest::newRow("no room on the right: left of the anchor, lowered")
            << QRect(1870, 150, 24, 24) << QRect(1610, 70, 300, 380) << QRect(1610, 100, 300, 350)
            << QPoint(1566, 100);
        // Lowered it would leave the screen: beside the whole window instead, centred on the anchor.
        QTest::newRow("window low on the screen: right of the window")
            << QRect(360, 850, 24, 24) << QRect(100, 770, 300, 280) << QRect(100, 800, 300, 250)
            << QPoint(404, 696);
        QTest::newRow("no window: on the screen")
            << QRect(1900, 1060, 10, 10) << QRect() << QRect() << QPoint(1596, 750);
    }

    void placementAvoidsTheTitleBar()
    {
        QFETCH(QRect, anchor);
        QFETCH(QRect, frame);
        QFETCH(QRect, client);
        QFETCH(QPoint, expected);
        const QRect screen(0, 0, 1920, 1080);
        const QSize size(300, 330);
        const QPoint at = RemindPopover::placement(anchor, size, frame, client, screen);
        QCOMPARE(at, expected);
        const QRect placed(at, size);
        QVERIFY(screen.contains(placed));
        if (client.isValid()) {
            const QRect titleBar(frame.left(), frame.top(), frame.width(), client.top() - frame.top());
            QVERIFY(!placed.intersects(titleBar));
        }
    }

    void calendarPickAndConfirm()
    {
        auto *popover = new NoteRemindCalendarController(QDateTime(QDate(2026, 3, 31), QTime(22, 48, 31)), 1);
        QPointer<NoteRemindCalendarController> alive(popover);
        QSignalSpy picked(popover, &NoteRemindCalendarController::dateSelected);
        popover->popUpBeside(nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(popover));

        auto *grid = popover->findChild<NoteRemindCalendarGrid *>();
        QVERIFY(grid);
        QCOMPARE(grid->sizeHint(), QSize(280, 280));
        // The first cell of the last row is 5 April, a day of the next month.
        QTest::mouseClick(grid, Qt::LeftButton, {}, grid->cellRect(42).center());
        QVERIFY(hasLabel(popover, QStringLiteral("4")));
        QVERIFY(hasLabel(popover, QStringLiteral("2026/4/5 22:48")));
        QCOMPARE(grid->sizeHint(), QSize(280, 240));

        QTest::keyClick(grid, Qt::Key_Right);
        QVERIFY(hasLabel(popover, QStringLiteral("2026/4/6 22:48")));

        const QList<QComboBox *> combos = popover->findChildren<QComboBox *>();
        QCOMPARE(combos.size(), 2);
        QCOMPARE(combos[0]->currentText(), QStringLiteral("22"));
        QCOMPARE(combos[1]->currentText(), QStringLiteral("48"));
        combos[0]->setCurrentIndex(7);
        emit combos[0]->activated(7);
        combos[1]->setCurrentIndex(5);
        emit combos[1]->activated(5);
        QVERIFY(hasLabel(popover, QStringLiteral("2026/4/6 7:05")));

        QTest::mouseClick(button(popover, QStringLiteral("确定")), Qt::LeftButton);
        QCOMPARE(picked.size(), 1);
        QCOMPARE(picked[0][0].toDateTime(), QDateTime(QDate(2026, 4, 6), QTime(7, 5)));
        QCOMPARE(picked[0][1].toUInt(), 1u);
        QTRY_VERIFY(alive.isNull());
    }

    void calendarTodayButton()
    {
        auto *popover = new NoteRemindCalendarController(QDateTime(QDate(2025, 1, 2), QTime(9, 0)), 0);
        popover->popUpBeside(nullptr);
        QTest::mouseClick(button(popover, QStringLiteral("今天")), Qt::LeftButton);
        QVERIFY(hasLabel(popover, QStringLiteral("2026/3/30 8:00")));
        QCOMPARE(popover->presenter()->dayText(popover->presenter()->selectedIndex()), QStringLiteral("今"));
        popover->close();
    }

    void escapeAndCancelCloseWithoutAnswer_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Escape") << true;
        QTest::newRow("取消") << false;
    }

    void escapeAndCancelCloseWithoutAnswer()
    {
        QFETCH(bool, escape);
        auto *calendar = new NoteRemindCalendarController(QDateTime(QDate(2026, 3, 31), QTime(9, 0)), 0);
        auto *specify = new NoteRemindRepeatViewController(CalendarIdentifier::Gregorian, NoteRemindModel());
        QPointer<QWidget> calendarAlive(calendar);
        QPointer<QWidget> specifyAlive(specify);
        QSignalSpy picked(calendar, &NoteRemindCalendarController::dateSelected);
        QSignalSpy configured(specify, &NoteRemindRepeatViewController::configured);
        for (RemindPopover *popover :
             {static_cast<RemindPopover *>(calendar), static_cast<RemindPopover *>(specify)}) {
            popover->popUpBeside(nullptr);
            QVERIFY(QTest::qWaitForWindowExposed(popover));
            if (escape)
                QTest::keyClick(popover, Qt::Key_Escape);
            else
                QTest::mouseClick(button(popover, QStringLiteral("取消")), Qt::LeftButton);
        }
        QTRY_VERIFY(calendarAlive.isNull() && specifyAlive.isNull());
        QCOMPARE(picked.size(), 0);
        QCOMPARE(configured.size(), 0);
    }

    void specifyChooseAndConfirm()
    {
        NoteRemindModel value;
        value.setRemindCycleType(2);
        value.setRemindInterval(2);
        value.setRemindSpecify(QStringLiteral("1,3"));
        auto *popover = new NoteRemindRepeatViewController(CalendarIdentifier::Chinese, value);
        QPointer<QWidget> alive(popover);
        QSignalSpy configured(popover, &NoteRemindRepeatViewController::configured);
        popover->popUpBeside(nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(popover));

        auto *unit = popover->findChild<QComboBox *>();
        auto *interval = popover->findChild<QSpinBox *>();
        auto *grid = popover->findChild<NoteRepeatRemindGrid *>();
        QCOMPARE(unit->currentText(), QStringLiteral("周"));
        QCOMPARE(interval->value(), 2);
        QVERIFY(hasLabel(popover, QStringLiteral("周")));
        QCOMPARE(grid->sizeHint().height(), 43);

        // Day has no grid; year shows the lunar months.
        unit->setCurrentIndex(0);
        emit unit->activated(0);
        QVERIFY(!grid->isVisible());
        unit->setCurrentIndex(4);
        emit unit->activated(4);
        QVERIFY(grid->isVisible());
        QCOMPARE(grid->sizeHint().height(), 76);
        QCOMPARE(interval->value(), 1);

        QTest::mouseClick(grid, Qt::LeftButton, {}, grid->cellRect(11).center());
        QTest::mouseClick(grid, Qt::LeftButton, {}, grid->cellRect(0).center());
        QTest::mouseClick(grid, Qt::LeftButton, {}, grid->cellRect(0).topLeft() - QPoint(3, 3)); // the gap
        interval->setFocus();
        interval->selectAll();
        QTest::keyClicks(interval, QStringLiteral("150"));
        QTest::mouseClick(button(popover, QStringLiteral("确定")), Qt::LeftButton);

        QCOMPARE(configured.size(), 1);
        QCOMPARE(configured[0][0].toUInt(), 5u);
        QCOMPARE(configured[0][1].toLongLong(), 15); // the box takes no third digit past 99
        QCOMPARE(configured[0][2].toString(), QStringLiteral("1,12"));
        QTRY_VERIFY(alive.isNull());
    }

    void enterConfirms()
    {
        auto *popover = new NoteRemindRepeatViewController(CalendarIdentifier::Gregorian, NoteRemindModel());
        QSignalSpy configured(popover, &NoteRemindRepeatViewController::configured);
        popover->popUpBeside(nullptr);
        QVERIFY(QTest::qWaitForWindowExposed(popover));
        auto *grid = popover->findChild<NoteRepeatRemindGrid *>();
        QVERIFY(!grid->isVisible());
        QTest::keyClick(popover, Qt::Key_Return);
        QCOMPARE(configured.size(), 1);
        QCOMPARE(configured[0][0].toUInt(), 1u);
        QCOMPARE(configured[0][1].toLongLong(), 1);
    }
};

PRELVANE_TEST_MAIN(TestRemindPopovers)
#include "tst_remindPopovers.moc"
