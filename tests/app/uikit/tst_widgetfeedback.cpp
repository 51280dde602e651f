#include "app/uikit/AlertManager.h"
#include "app/uikit/BusySpinner.h"
#include "app/uikit/HUDManager.h"
#include "app/uikit/ToastView.h"
#include "app/uikit/WidgetFeedback.h"
#include "platform/base/Clock.h"
#include "tests/support/TestEnv.h"
#include "tests/support/doubles/ManualScheduler.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

#include <memory>

namespace {
QList<QMessageBox *> openBoxes()
{
    QList<QMessageBox *> out;
    for (QWidget *w : QApplication::allWidgets())
        if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible())
            out << box;
    return out;
}

QAbstractButton *button(QMessageBox *box, const QString &text)
{
    for (QAbstractButton *b : box->buttons())
        if (b->text() == text)
            return b;
    return nullptr;
}
} // namespace

class TestWidgetFeedback : public QObject
{
    Q_OBJECT
    std::unique_ptr<QWidget> mainWindow;
    std::unique_ptr<QWidget> settingsWindow;
    std::unique_ptr<ManualScheduler> scheduler;

private slots:
    void init()
    {
        Clock::setNow(QDateTime::fromMSecsSinceEpoch(0));
        scheduler = std::make_unique<ManualScheduler>();
        mainWindow = std::make_unique<QWidget>();
        settingsWindow = std::make_unique<QWidget>();
        for (QWidget *w : {mainWindow.get(), settingsWindow.get()}) {
            w->resize(400, 300);
            w->show();
        }
        AlertManager::setCurrentWindow(mainWindow.get());
    }
    void cleanup()
    {
        for (QMessageBox *box : openBoxes())
            delete box;
        settingsWindow.reset();
        mainWindow.reset();
        scheduler.reset();
        AlertManager::setCurrentWindow(nullptr);
        Clock::reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The window that asked gets the sheet, whether it asked through one of
    // its widgets or through a presenter its view attached; nobody: the main one.
    void aSheetGoesOnTheAskingWindow_data()
    {
        QTest::addColumn<int>("asker"); // 0 a widget, 1 an attached presenter, 2 its child, 3 nobody
        QTest::addColumn<bool>("onSettings");
        QTest::newRow("widget of the settings window") << 0 << true;
        QTest::newRow("presenter attached to it") << 1 << true;
        QTest::newRow("object below that presenter") << 2 << true;
        QTest::newRow("no anchor") << 3 << false;
    }
    void aSheetGoesOnTheAskingWindow()
    {
        QFETCH(int, asker);
        QFETCH(bool, onSettings);
        WidgetFeedback feedback(*scheduler);
        auto *field = new QPushButton(settingsWindow.get());
        QObject presenter;
        QObject part(&presenter);
        feedback.attach(&presenter, settingsWindow.get());
        const QObject *anchors[] = {field, &presenter, &part, nullptr};

        feedback.showConfirm("删除该分类?", {nullptr, anchors[asker]}, {});
        feedback.showToast("已复制", anchors[asker]);
        QCOMPARE(openBoxes().size(), 1);
        QWidget *expected = onSettings ? settingsWindow.get() : mainWindow.get();
        QCOMPARE(openBoxes().first()->parentWidget(), expected);
        QCOMPARE(openBoxes().first()->windowModality(), Qt::WindowModal);
        QCOMPARE(HUDManager::toastsOf(expected).size(), 1);
    }

    void anAnswerAfterTheOwnerDiedRunsNothing()
    {
        WidgetFeedback feedback(*scheduler);
        auto owner = std::make_unique<QObject>();
        QObject stays;
        QStringList heard;
        feedback.showConfirm("退出登录?", {owner.get(), mainWindow.get()},
                             [&](bool ok) { heard << QString("dead %1").arg(ok); });
        feedback.showMessage("已保存", {&stays, mainWindow.get()},
                             [&](bool ok) { heard << QString("live %1").arg(ok); });
        QCOMPARE(openBoxes().size(), 2);
        owner.reset();
        for (QMessageBox *box : openBoxes())
            button(box, "确定")->click();
        QCOMPARE(heard, QStringList{"live 1"});

        // A window that goes away ends its sheet: the live owner hears "not 确定".
        feedback.attach(&stays, settingsWindow.get());
        feedback.showConfirm("放弃修改?", UserFeedback::by(&stays),
                             [&](bool ok) { heard << QString("closed %1").arg(ok); });
        settingsWindow.reset();
        QTRY_COMPARE(heard.size(), 2);
        QCOMPARE(heard.last(), QString("closed 0"));
    }

    void overlappingOperationsHideOnlyTheirOwnSpinners()
    {
        WidgetFeedback feedback(*scheduler);
        QWidget *window = mainWindow.get();
        auto login = std::make_unique<BusyGuard>(window, &feedback); // at 0 s
        scheduler->advance(5000);
        auto sync = std::make_unique<BusyGuard>(window, &feedback); // at 5 s
        scheduler->advance(5000);
        BusyGuard settings(settingsWindow.get(), &feedback); // at 10 s
        QCOMPARE(HUDManager::spinnersOf(window).size(), 2);
        QCOMPARE(HUDManager::spinnersOf(settingsWindow.get()).size(), 1);

        login.reset();
        QCOMPARE(HUDManager::spinnersOf(window).size(), 1); // the sync still shows
        QCOMPARE(HUDManager::spinnersOf(settingsWindow.get()).size(), 1);

        // Each is hidden by force 20 s after it was shown, itself only.
        scheduler->advance(15000 - 1);
        QCOMPARE(HUDManager::spinnersOf(window).size(), 1);
        scheduler->advance(1); // 25 s
        QCOMPARE(HUDManager::spinnersOf(window).size(), 0);
        QCOMPARE(HUDManager::spinnersOf(settingsWindow.get()).size(), 1);
        scheduler->advance(5000); // 30 s
        QCOMPARE(HUDManager::spinnersOf(settingsWindow.get()).size(), 0);
        sync.reset(); // after the forced hide: nothing left to hide, nothing breaks
        QCOMPARE(scheduler->pending(), 0);
    }
};

PRELVANE_TEST_MAIN(TestWidgetFeedback)
#include "tst_widgetfeedback.moc"
