#include "app/uikit/AlertManager.h"
#include "app/uikit/BusySpinner.h"
#include "app/uikit/DisPatchManager.h"
#include "app/uikit/DispatchTimer.h"
#include "app/uikit/EmptyView.h"
#include "app/uikit/HUDManager.h"
#include "app/uikit/ToastView.h"
#include "platform/base/Clock.h"
#include "platform/base/TimerScheduler.h"
#include "tests/support/TestEnv.h"
#include "tests/support/doubles/ManualScheduler.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QThread>

#include <memory>

namespace {
void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
} // namespace

class TestHud : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<ManualScheduler> scheduler;
    std::unique_ptr<HUDManager> hud;
    std::unique_ptr<DisPatchManager> dispatch;
    std::unique_ptr<QWidget> window;

private slots:
    void init()
    {
        Clock::setNow(QDateTime::fromMSecsSinceEpoch(0));
        scheduler = std::make_unique<ManualScheduler>();
        hud = std::make_unique<HUDManager>(*scheduler);
        dispatch = std::make_unique<DisPatchManager>(*scheduler);
        window = std::make_unique<QWidget>();
        window->resize(500, 400);
        window->show();
    }
    void cleanup()
    {
        window.reset();
        dispatch.reset();
        hud.reset();
        scheduler.reset();
        Clock::reset();
        AlertManager::setCurrentWindow(nullptr);
        flushDeletes();
    }

    void spinnerCoversItsViewAndHides()
    {
        hud->showHudAddedTo(window.get());
        hud->showHudAddedTo(window.get());
        QList<BusySpinner *> spinners = HUDManager::spinnersOf(window.get());
        QCOMPARE(spinners.size(), 2);
        QVERIFY(spinners.last()->isVisible());
        QCOMPARE(spinners.last()->geometry(), window->rect());
        window->resize(600, 450);
        QCOMPARE(spinners.last()->geometry(), window->rect());

        BusySpinner *bottom = spinners.first();
        HUDManager::hideHudForView(window.get()); // the topmost only
        QCOMPARE(HUDManager::spinnersOf(window.get()), QList<BusySpinner *>{bottom});
        hud->showHudAddedTo(window.get());
        HUDManager::hideAllHudForView(window.get());
        QVERIFY(HUDManager::spinnersOf(window.get()).isEmpty());
        flushDeletes();
        QVERIFY(window->findChildren<BusySpinner *>().isEmpty());

        hud->showHudAddedTo(nullptr);
        HUDManager::hideHudForView(nullptr);
        HUDManager::hideAllHudForView(nullptr);
    }

    void forcedHideTwentySecondsAfterTheFirstShow()
    {
        hud->showHudAddedTo(window.get());
        scheduler->advance(5000);
        HUDManager::hideHudForView(window.get());
        scheduler->advance(5000);
        hud->showHudAddedTo(window.get()); // at 10 s
        scheduler->advance(9999);
        QCOMPARE(HUDManager::spinnersOf(window.get()).size(), 1);
        scheduler->advance(1); // 20 s after the first show
        QVERIFY(HUDManager::spinnersOf(window.get()).isEmpty());
        // The second show's own forced hide at 30 s finds nothing and does no harm.
        scheduler->advance(10000);
        QCOMPARE(scheduler->pending(), 0);
    }

    void severalShowsAllGoAtTheFirstForcedHide()
    {
        hud->showHudAddedTo(window.get());
        scheduler->advance(5000);
        hud->showHudAddedTo(window.get());
        scheduler->advance(10000);
        hud->showHudAddedTo(window.get());
        QCOMPARE(HUDManager::spinnersOf(window.get()).size(), 3);
        scheduler->advance(5000); // 20 s after the first: nothing shown is left, however many showed
        QVERIFY(HUDManager::spinnersOf(window.get()).isEmpty());
        hud->showHudAddedTo(window.get()); // at 20 s, caught by the second show's hide at 25 s
        scheduler->advance(4999);
        QCOMPARE(HUDManager::spinnersOf(window.get()).size(), 1);
        scheduler->advance(1);
        QVERIFY(HUDManager::spinnersOf(window.get()).isEmpty());
        flushDeletes();
        QVERIFY(window->findChildren<BusySpinner *>().isEmpty());
    }

    void forcedHideAfterTheViewIsGone()
    {
        auto view = std::make_unique<QWidget>();
        hud->showHudAddedTo(view.get());
        view.reset();
        scheduler->advance(HUDManager::ForcedHideMsecs); // must not touch the dead view
        QCOMPARE(scheduler->pending(), 0);
    }

    void windowSpinnerUsesTheCurrentWindow()
    {
        AlertManager::setCurrentWindow(window.get());
        hud->showHudToWindow();
        hud->showHudToWindow();
        QCOMPARE(HUDManager::spinnersOf(window.get()).size(), 2);
        HUDManager::hideHudForWindow(); // all of them
        QVERIFY(HUDManager::spinnersOf(window.get()).isEmpty());

        window->hide();
        QApplication::setActiveWindow(nullptr);
        hud->showHudToWindow(); // no window: nothing, no crash
        hud->showText("x");
        QVERIFY(HUDManager::spinnersOf(window.get()).isEmpty());
        QVERIFY(HUDManager::toastsOf(window.get()).isEmpty());
    }

    void toastMetrics_data()
    {
        QTest::addColumn<qreal>("textWidth");
        QTest::addColumn<QSizeF>("box");
        QTest::addColumn<qreal>("labelHeight");
        QTest::newRow("100: minimum width") << 100.0 << QSizeF(160, 46) << 0.0;
        QTest::newRow("200") << 200.0 << QSizeF(216, 46) << 0.0;
        QTest::newRow("224: exactly the maximum") << 224.0 << QSizeF(240, 46) << 0.0;
        QTest::newRow("300: two lines") << 300.0 << QSizeF(240, 60) << 38.0;
        QTest::newRow("empty") << 0.0 << QSizeF(160, 46) << 0.0;
    }
    void toastMetrics()
    {
        QFETCH(qreal, textWidth);
        QFETCH(QSizeF, box);
        QFETCH(qreal, labelHeight);
        const ToastView::Metrics m = ToastView::metricsForTextWidth(textWidth);
        QCOMPARE(m.box, box);
        QCOMPARE(m.labelHeight, labelHeight);
        QCOMPARE(m.twoLines, labelHeight > 0);
    }

    void toastStandsTwoSecondsEach()
    {
        hud->showText(QString::fromUtf8("已复制"), window.get());
        scheduler->advance(1000);
        hud->showText(QString::fromUtf8("保存成功"), window.get());
        QCOMPARE(HUDManager::toastsOf(window.get()).size(), 2);
        scheduler->advance(999);
        QCOMPARE(HUDManager::toastsOf(window.get()).size(), 2);
        scheduler->advance(1); // the first one's two seconds
        QList<ToastView *> left = HUDManager::toastsOf(window.get());
        QCOMPARE(left.size(), 1);
        QCOMPARE(left.first()->label()->text(), QString::fromUtf8("保存成功"));
        scheduler->advance(1000);
        QVERIFY(HUDManager::toastsOf(window.get()).isEmpty());
        flushDeletes();
        QVERIFY(window->findChildren<ToastView *>().isEmpty());
    }

    void toastLayout()
    {
        hud->showText(QString::fromUtf8("好"), window.get());
        ToastView *shortToast = HUDManager::toastsOf(window.get()).last();
        QCOMPARE(shortToast->geometry(), window->rect());
        QVERIFY(shortToast->testAttribute(Qt::WA_TransparentForMouseEvents));
        QFrame *box = shortToast->box();
        QCOMPARE(box->geometry(), QRect((500 - 160) / 2, 120, 160, 46));
        QCOMPARE(shortToast->label()->geometry().left(), 8);
        QCOMPARE(shortToast->label()->geometry().right(), 160 - 8 - 1);

        const QString longText = QString("The network connection failed, please try again later").repeated(2);
        hud->showText(longText, window.get());
        ToastView *longToast = HUDManager::toastsOf(window.get()).last();
        QCOMPARE(longToast->box()->size(), QSize(240, 60));
        QCOMPARE(longToast->label()->height(), 38);
        QVERIFY(longToast->label()->wordWrap());
        window->resize(800, 400); // stays centred
        QCOMPARE(longToast->box()->geometry().left(), (800 - 240) / 2);
    }

    void aHugeToastTextIsCut()
    {
        const QString text = QString::fromUtf8("已复制😀").repeated(300000);
        hud->showText(text, window.get());
        ToastView *toast = HUDManager::toastsOf(window.get()).last();
        const QString shown = toast->label()->text();
        QVERIFY(shown.size() < 1000);
        QVERIFY(shown.endsWith(QString::fromUtf8("…")));
        QVERIFY(text.startsWith(shown.chopped(1)));
        QVERIFY(QStringView(shown).isValidUtf16());
        QCOMPARE(toast->box()->size(), QSize(240, 60));
    }

    void toastOnAViewThatGoes()
    {
        auto view = std::make_unique<QWidget>();
        hud->showText(QString::fromUtf8("保存成功"), view.get());
        QPointer<ToastView> toast = HUDManager::toastsOf(view.get()).last();
        scheduler->advance(1000);
        view.reset();
        QVERIFY(!toast);
        scheduler->advance(HUDManager::ToastMsecs); // its removal finds nothing to touch
        QCOMPARE(scheduler->pending(), 0);
    }

    void missingToastTextShowsNothing()
    {
        hud->showText(QString(), window.get());
        hud->showText("", window.get());
        hud->showText("x", nullptr);
        QVERIFY(HUDManager::toastsOf(window.get()).isEmpty());
        QCOMPARE(scheduler->pending(), 0);
    }

    void countdownOfSixty()
    {
        QObject owner;
        QList<int> values;
        QList<qint64> times;
        int completed = 0;
        qint64 completedAt = -1;
        bool allOnMainThread = true;
        dispatch->countDownWithTime(
            &owner, 60,
            [&](int n) {
                values.append(n);
                times.append(Clock::nowMSecs());
                allOnMainThread &= QThread::currentThread() == qApp->thread();
            },
            [&] {
                ++completed;
                completedAt = Clock::nowMSecs();
                allOnMainThread &= QThread::currentThread() == qApp->thread();
            });
        QVERIFY(values.isEmpty()); // the first call comes from the event loop, not from inside the start
        scheduler->advance(0);
        QCOMPARE(values, QList<int>{59});
        scheduler->advance(100000);
        QCOMPARE(values.size(), 60);
        QCOMPARE(values.first(), 59);
        QCOMPARE(values.last(), 0);
        for (int i = 0; i < 60; ++i) {
            QCOMPARE(values.at(i), 59 - i);
            QCOMPARE(times.at(i), qint64(i) * 1000);
        }
        QCOMPARE(completed, 1);
        QCOMPARE(completedAt, qint64(60000));
        QVERIFY(allOnMainThread);
        QCOMPARE(scheduler->pending(), 0);
    }

    void countdownOfZeroOnlyCompletes()
    {
        QObject owner;
        int running = 0, completed = 0;
        dispatch->countDownWithTime(
            &owner, 0, [&](int) { ++running; }, [&] { ++completed; });
        scheduler->advance(5000);
        QCOMPARE(running, 0);
        QCOMPARE(completed, 1);
    }

    void countdownStopsWithItsOwner()
    {
        auto owner = std::make_unique<QObject>();
        QList<int> values;
        int completed = 0;
        dispatch->countDownWithTime(
            owner.get(), 60, [&](int n) { values.append(n); }, [&] { ++completed; });
        scheduler->advance(5500);
        QCOMPARE(values.size(), 6);
        owner.reset();
        scheduler->advance(120000);
        QCOMPARE(values.size(), 6);
        QCOMPARE(completed, 0);
        QCOMPARE(scheduler->pending(), 0);
    }

    void countdownOwnerDestroyedInsideTheRunningBlock()
    {
        auto *owner = new QObject;
        QList<int> values;
        dispatch->countDownWithTime(
            owner, 10,
            [&](int n) {
                values.append(n);
                if (n == 7)
                    delete owner;
            },
            [] { QFAIL("completed after its owner went"); });
        scheduler->advance(60000);
        QCOMPARE(values, (QList<int>{9, 8, 7}));
    }

    void timingFiresItsCountThenCancels_data()
    {
        QTest::addColumn<qint64>("count");
        QTest::addColumn<double>("interval");
        QTest::addColumn<QList<qint64>>("times");
        QTest::newRow("three every 1.5 s") << qint64(3) << 1.5 << QList<qint64>{0, 1500, 3000};
        QTest::newRow("zero") << qint64(0) << 1.0 << QList<qint64>{};
        QTest::newRow("negative") << qint64(-4) << 1.0 << QList<qint64>{};
        QTest::newRow("zero interval never spins") << qint64(2) << 0.0 << QList<qint64>{0, 1};
        QTest::newRow("nan interval") << qint64(2) << std::nan("") << QList<qint64>{0, 1};
    }
    void timingFiresItsCountThenCancels()
    {
        QFETCH(qint64, count);
        QFETCH(double, interval);
        QFETCH(QList<qint64>, times);
        QObject owner;
        QList<qint64> fired;
        DispatchTimer *timer =
            dispatch->timingWithDuration(&owner, count, interval, [&] { fired.append(Clock::nowMSecs()); });
        QCOMPARE(timer->parent(), &owner);
        scheduler->advance(10000);
        QVERIFY(fired.isEmpty()); // not started until resumed
        const qint64 start = Clock::nowMSecs();
        timer->resume();
        timer->resume();
        scheduler->advance(100000);
        for (qint64 &t : fired)
            t -= start;
        QCOMPARE(fired, times);
        QVERIFY(timer->isCancelled());
        QCOMPARE(scheduler->pending(), 0);
    }

    void timingStopsWhenCancelledOrItsOwnerGoes()
    {
        auto owner = std::make_unique<QObject>();
        int fired = 0;
        DispatchTimer *timer = dispatch->timingWithDuration(owner.get(), 10, 1.0, [&] {
            if (++fired == 3)
                owner.reset(); // destroys the timer from inside its own block
        });
        timer->resume();
        scheduler->advance(60000);
        QCOMPARE(fired, 3);
        QCOMPARE(scheduler->pending(), 0);

        QObject other;
        int calls = 0;
        DispatchTimer *second = dispatch->timingWithDuration(&other, 10, 1.0, [&] { ++calls; });
        second->resume();
        scheduler->advance(1500);
        second->cancel();
        scheduler->advance(60000);
        QCOMPARE(calls, 2);
    }

    void countdownWithRealTimers()
    {
        // The program's scheduler: real timers (one short countdown, with no owner).
        dispatch.reset();
        hud.reset();
        scheduler.reset();
        Clock::reset();
        TimerScheduler timers;
        DisPatchManager realDispatch(timers);
        QList<int> values;
        bool completed = false;
        realDispatch.countDownWithTime(
            nullptr, 1, [&](int n) { values.append(n); }, [&] { completed = true; });
        QTRY_COMPARE(values, QList<int>{0});
        QTRY_VERIFY_WITH_TIMEOUT(completed, 3000);
    }

    void emptyView()
    {
        QPointer<EmptyView> placeholder = EmptyView::showEmptyView();
        QVERIFY(placeholder);
        QVERIFY(!placeholder->textLabel()->text().isEmpty()); // its own default text
        placeholder->attachTo(window.get());
        QCOMPARE(placeholder->parentWidget(), window.get());
        QVERIFY(!placeholder->isVisible());
        placeholder->text = QString::fromUtf8("没有已完成的便签");
        QImage img(8, 8, QImage::Format_ARGB32);
        img.fill(Qt::gray);
        placeholder->image = img;
        placeholder->show();
        QVERIFY(placeholder->isVisible());
        QCOMPARE(placeholder->textLabel()->text(), QString::fromUtf8("没有已完成的便签"));
        QVERIFY(!placeholder->imageView()->pixmap().isNull());
        QCOMPARE(placeholder->geometry(), window->rect());
        window->resize(300, 200);
        QCOMPARE(placeholder->geometry(), window->rect());
        placeholder->hide();
        QVERIFY(!window->findChildren<EmptyView *>().contains(placeholder.data()));
        flushDeletes();
        QVERIFY(!placeholder);
    }
};

PRELVANE_TEST_MAIN(TestHud)
#include "tst_hud.moc"
