#include "app/uikit/PopoverView.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QListView>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>

#include <memory>

namespace {
void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
} // namespace

class TestPopover : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<QWidget> window;
    QPushButton *button = nullptr;

    PopoverView *showTwoRows(int position = 3)
    {
        PopoverView *popover = PopoverView::shareView();
        popover->showAtView(button, position);
        popover->setTitles({QStringLiteral("设置"), QStringLiteral("退出")});
        return popover;
    }

    void clickRow(PopoverView *popover, int row)
    {
        QListView *table = popover->tableView();
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {},
                          table->visualRect(table->model()->index(row, 0)).center());
    }

private slots:
    void init()
    {
        window = std::make_unique<QWidget>();
        window->resize(600, 400);
        button = new QPushButton(QStringLiteral("设置"), window.get());
        button->setGeometry(240, 340, 40, 30);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }
    void cleanup()
    {
        window.reset();
        flushDeletes();
    }

    void placementBesideTheAnchor_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QRect>("expected");
        // Anchor at (200, 150) 40 x 30, list 120 x 64, far from the edges.
        QTest::newRow("0 right") << 0 << QRect(240, 133, 120, 64);
        QTest::newRow("1 below") << 1 << QRect(160, 180, 120, 64);
        QTest::newRow("2 left") << 2 << QRect(80, 133, 120, 64);
        QTest::newRow("3 above") << 3 << QRect(160, 86, 120, 64);
    }
    void placementBesideTheAnchor()
    {
        QFETCH(int, position);
        QFETCH(QRect, expected);
        QCOMPARE(
            PopoverView::placement(QRect(200, 150, 40, 30), QSize(120, 64), position, QRect(0, 0, 600, 400)),
            expected);
    }

    void placementNearTheWindowEdges_data()
    {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<int>("position");
        QTest::addColumn<QRect>("expected");
        // Window 300 x 200; list 120 x 64.
        QTest::newRow("above at the top goes below") << QRect(100, 10, 40, 30) << 3 << QRect(60, 40, 120, 64);
        QTest::newRow("below at the bottom goes above")
            << QRect(100, 160, 40, 30) << 1 << QRect(60, 96, 120, 64);
        QTest::newRow("right at the right edge goes left")
            << QRect(250, 80, 40, 30) << 0 << QRect(130, 63, 120, 64);
        QTest::newRow("left at the left edge goes right")
            << QRect(10, 80, 40, 30) << 2 << QRect(50, 63, 120, 64);
        QTest::newRow("centred above near the left edge is moved in")
            << QRect(0, 150, 40, 30) << 3 << QRect(0, 86, 120, 64);
        QTest::newRow("centred right near the bottom is moved in")
            << QRect(10, 180, 40, 20) << 0 << QRect(50, 136, 120, 64);
    }
    void placementNearTheWindowEdges()
    {
        QFETCH(QRect, anchor);
        QFETCH(int, position);
        QFETCH(QRect, expected);
        QCOMPARE(PopoverView::placement(anchor, QSize(120, 64), position, QRect(0, 0, 300, 200)), expected);
    }

    void twoTitlesAboveAButton()
    {
        PopoverView *popover = showTwoRows(3);
        QCOMPARE(popover->parentWidget(), window.get());
        QVERIFY(popover->isVisible());
        QCOMPARE(popover->size(), QSize(120, 64));
        QCOMPARE(popover->geometry().bottom() + 1, button->geometry().top());
        QCOMPARE(popover->geometry().center().x(), button->geometry().center().x());
        QCOMPARE(popover->tableView()->model()->rowCount(), 2);
        QCOMPARE(popover->tableView()->visualRect(popover->tableView()->model()->index(1, 0)).height(), 30);
        // The mask covers the window, under the list.
        QCOMPARE(popover->maskView()->geometry(), window->rect());
        QVERIFY(popover->maskView()->isVisible());
        QCOMPARE(popover->maskView()->palette().color(QPalette::Window), QColor(0, 0, 0, 26));
        QCOMPARE(PopoverView::heightFor(3), 96);
        // The mask and list follow the window.
        window->resize(700, 500);
        QCOMPARE(popover->maskView()->geometry(), window->rect());
    }

    void aClickedRowIsToldOnceThenTheListGoes()
    {
        QPointer<PopoverView> popover = showTwoRows();
        QPointer<QWidget> mask = popover->maskView();
        QSignalSpy chosen(popover.data(), &PopoverView::didSelectRowWithIndex);
        clickRow(popover, 1);
        clickRow(popover, 0); // before the first answer arrives
        QTRY_COMPARE(chosen.size(), 1);
        QCOMPARE(chosen.first().first().toInt(), 1);
        QCoreApplication::processEvents();
        flushDeletes();
        QCOMPARE(chosen.size(), 1);
        QVERIFY(!popover);
        QVERIFY(!mask);
    }

    void ownerMayDeleteTheListOrItsWindowWhenTold()
    {
        QPointer<PopoverView> popover = showTwoRows();
        connect(popover.data(), &PopoverView::didSelectRowWithIndex, popover.data(),
                [&] { delete popover.data(); });
        clickRow(popover, 0);
        QTRY_VERIFY(!popover);
        flushDeletes();

        popover = showTwoRows();
        connect(popover.data(), &PopoverView::didSelectRowWithIndex, this, [&] { window.reset(); });
        clickRow(popover, 1);
        QTRY_VERIFY(!window);
        flushDeletes();
        QVERIFY(!popover);
    }

    void maskClickRemovesWithoutAChoice_data()
    {
        QTest::addColumn<bool>("tinted");
        QTest::newRow("tinted mask") << true;
        QTest::newRow("clear mask") << false;
    }
    void maskClickRemovesWithoutAChoice()
    {
        QFETCH(bool, tinted);
        QPointer<PopoverView> popover = PopoverView::shareView();
        popover->setShowMaskView(tinted);
        popover->showAtView(button, 3);
        popover->setTitles({QStringLiteral("设置"), QStringLiteral("退出")});
        QCOMPARE(popover->maskView()->palette().color(QPalette::Window).alpha(), tinted ? 26 : 0);
        QSignalSpy chosen(popover.data(), &PopoverView::didSelectRowWithIndex);
        QSignalSpy buttonClicked(button, &QPushButton::clicked);
        // A click over the anchor lands on the mask, not on the button.
        QTest::mouseClick(popover->maskView(), Qt::LeftButton, {}, button->geometry().center());
        QCOMPARE(chosen.size(), 0);
        QCOMPARE(buttonClicked.size(), 0);
        flushDeletes();
        QVERIFY(!popover);
    }

    void keyboard()
    {
        QPointer<PopoverView> popover = showTwoRows();
        QSignalSpy chosen(popover.data(), &PopoverView::didSelectRowWithIndex);
        QListView *table = popover->tableView();
        table->setFocus();
        QTest::keyClick(table, Qt::Key_Down);
        QTest::keyClick(table, Qt::Key_Down);
        QTest::keyClick(table, Qt::Key_Return);
        QTRY_COMPARE(chosen.size(), 1);
        QCOMPARE(chosen.first().first().toInt(), 1);
        flushDeletes();
        QVERIFY(!popover);

        popover = showTwoRows();
        QSignalSpy none(popover.data(), &PopoverView::didSelectRowWithIndex);
        QTest::keyClick(popover->tableView(), Qt::Key_Escape);
        QCOMPARE(none.size(), 0);
        flushDeletes();
        QVERIFY(!popover);
    }

    // A greyed row is neither clicked nor chosen with the keys; the others still are.
    void disabledRowCannotBeChosen()
    {
        QPointer<PopoverView> popover = showTwoRows();
        popover->setRowEnabled(0, false);
        QVERIFY(!popover->isRowEnabled(0));
        QVERIFY(popover->isRowEnabled(1));
        QSignalSpy chosen(popover.data(), &PopoverView::didSelectRowWithIndex);
        clickRow(popover, 0);
        QListView *table = popover->tableView();
        table->setFocus();
        table->setCurrentIndex(table->model()->index(0, 0));
        QTest::keyClick(table, Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(chosen.size(), 0);
        QVERIFY(popover);
        clickRow(popover, 1);
        QTRY_COMPARE(chosen.size(), 1);
        QCOMPARE(chosen.first().first().toInt(), 1);
    }

    void listGoesWithItsAnchor()
    {
        QPointer<PopoverView> popover = showTwoRows();
        QPointer<QWidget> mask = popover->maskView();
        button->hide();
        flushDeletes();
        QVERIFY(!popover);
        QVERIFY(!mask);

        button->show();
        popover = showTwoRows();
        delete button;
        button = nullptr;
        flushDeletes();
        QVERIFY(!popover);
    }

    void unknownSideShowsTheMaskOnly()
    {
        QPointer<PopoverView> popover = PopoverView::shareView();
        popover->showAtView(button, 4);
        popover->setTitles({QStringLiteral("设置")});
        QVERIFY(popover->maskView()->isVisible());
        QVERIFY(!popover->isVisible());
        QTest::mouseClick(popover->maskView(), Qt::LeftButton, {}, QPoint(5, 5));
        flushDeletes();
        QVERIFY(!popover);
    }
};

PRELVANE_TEST_MAIN(TestPopover)
#include "tst_popover.moc"
