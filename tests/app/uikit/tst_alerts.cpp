#include "app/uikit/AlertManager.h"
#include "app/uikit/AlertViewController.h"
#include "app/uikit/WidgetFeedback.h"
#include "tests/support/TestEnv.h"
#include "tests/support/doubles/ManualScheduler.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTextEdit>
#include <QTimer>

#include <memory>

#if __has_include(<valgrind/valgrind.h>)
#include <valgrind/valgrind.h>
static bool runningOnValgrind()
{
    return RUNNING_ON_VALGRIND;
}
#else
static bool runningOnValgrind()
{
    return false;
}
#endif

namespace {

QMessageBox *openBox()
{
    for (QWidget *w : QApplication::allWidgets()) {
        auto *box = qobject_cast<QMessageBox *>(w);
        if (box && box->isVisible())
            return box;
    }
    return nullptr;
}

QStringList buttonTexts(QMessageBox *box)
{
    QStringList out;
    for (QAbstractButton *b : box->buttons())
        out << b->text();
    out.sort();
    return out;
}

QAbstractButton *buttonWithText(QMessageBox *box, const QString &text)
{
    for (QAbstractButton *b : box->buttons()) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}

void flushDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace

class TestAlerts : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<QWidget> window;
    QList<bool> answers;
    AlertManager::Handler record()
    {
        return [this](bool first) { answers.append(first); };
    }

private slots:
    void init()
    {
        answers.clear();
        window = std::make_unique<QWidget>();
        window->resize(400, 300);
        window->show();
        AlertManager::setCurrentWindow(window.get());
    }
    void cleanup()
    {
        if (QMessageBox *box = openBox())
            delete box;
        window.reset();
        AlertManager::setCurrentWindow(nullptr);
        flushDeletes();
    }

    void defaultMessageIsAWindowModalSheet()
    {
        AlertManager::showDefaultMessageAlertWithDetailText(QString::fromUtf8("网络错误"), record());
        QMessageBox *box = openBox();
        QVERIFY(box);
        QCOMPARE(box->window()->parentWidget(), window.get());
        QCOMPARE(box->windowModality(), Qt::WindowModal);
        QCOMPARE(box->text(), QString::fromUtf8("提示"));
        QCOMPARE(box->informativeText(), QString::fromUtf8("网络错误"));
        QCOMPARE(box->icon(), QMessageBox::Warning);
        QCOMPARE(buttonTexts(box), QStringList{QString::fromUtf8("确定")});
        QVERIFY(answers.isEmpty()); // returns at once, nothing answered yet
        buttonWithText(box, QString::fromUtf8("确定"))->click();
        QCOMPARE(answers, QList<bool>{true});
        flushDeletes();
        QVERIFY(!openBox());
    }

    // Wide enough that a short sentence stays on one line (Chinese breaks between any two characters) and a
    // long one wraps at a readable width, not in a narrow column.
    void messageWidth_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("oneLine");
        QTest::newRow("short question") << QString::fromUtf8("您还没有设置锁屏密码，是否设置？") << true;
        QTest::newRow("two characters") << QString::fromUtf8("错误") << true;
        QTest::newRow("long notice") << QString::fromUtf8(
                                            "系统钥匙串不可用，密码无法保存，下次登录时请重新输入密码。"
                                            "本地数据文件无法读取，已改名保存，并新建了一个空的数据文件。")
                                     << false;
    }
    void messageWidth()
    {
        QFETCH(QString, text);
        QFETCH(bool, oneLine);
        AlertManager::showDefaultMessageAlertWithDetailText(text, record());
        QMessageBox *box = openBox();
        QVERIFY(box);
        QVERIFY(QTest::qWaitForWindowExposed(box));
        auto *body = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"));
        QVERIFY(body);
        const QFontMetrics metrics = body->fontMetrics();
        const QRect laidOut = metrics.boundingRect(QRect(0, 0, body->contentsRect().width(), 100000),
                                                   Qt::TextWordWrap, body->text());
        const int lines = qRound(double(laidOut.height()) / metrics.lineSpacing());
        QVERIFY(box->width() >= 280);
        if (oneLine)
            QVERIFY2(lines <= 1, qPrintable(QString::number(lines)));
        else
            QVERIFY2(lines >= 2 && lines <= 4, qPrintable(QString::number(lines)));
    }

    void messageWithoutHandler()
    {
        AlertManager::showDefaultMessageAlertWithDetailText("x");
        QMessageBox *box = openBox();
        QVERIFY(box);
        QPointer<QMessageBox> guard(box);
        box->buttons().first()->click();
        flushDeletes();
        QVERIFY(!guard);
    }

    void confirmReportsWhichButtonEnded_data()
    {
        QTest::addColumn<QString>("press");
        QTest::addColumn<bool>("first");
        QTest::newRow("确定") << QString::fromUtf8("确定") << true;
        QTest::newRow("取消") << QString::fromUtf8("取消") << false;
        QTest::newRow("escape") << QString() << false;
    }
    void confirmReportsWhichButtonEnded()
    {
        QFETCH(QString, press);
        QFETCH(bool, first);
        AlertManager::showAddCancleButtonAlertWithText(QString::fromUtf8("确定删除？"), record());
        QMessageBox *box = openBox();
        QVERIFY(box);
        QCOMPARE(buttonTexts(box), (QStringList{QString::fromUtf8("取消"), QString::fromUtf8("确定")}));
        QCOMPARE(box->defaultButton()->text(), QString::fromUtf8("确定"));
        QCOMPARE(box->informativeText(), QString::fromUtf8("确定删除？"));
        if (press.isEmpty())
            QTest::keyClick(box, Qt::Key_Escape);
        else
            buttonWithText(box, press)->click();
        QCOMPARE(answers, QList<bool>{first});
    }

    void twoButtonAlertUsesItsTitles()
    {
        AlertManager::showTwoButtonAlertWithMsgText("t", QString::fromUtf8("恢复"),
                                                    QString::fromUtf8("再想想"), record());
        QMessageBox *box = openBox();
        QVERIFY(box);
        QCOMPARE(box->defaultButton()->text(), QString::fromUtf8("恢复"));
        buttonWithText(box, QString::fromUtf8("再想想"))->click();
        QCOMPARE(answers, QList<bool>{false});
    }

    void unshownAlertIsReturned()
    {
        std::unique_ptr<QMessageBox> box(
            AlertManager::showAlertWithMessage("m", QString::fromUtf8("知道了")));
        QVERIFY(!box->isVisible());
        QCOMPARE(box->text(), QString::fromUtf8("提示"));
        QCOMPARE(box->informativeText(), QString("m"));
        QCOMPARE(buttonTexts(box.get()), QStringList{QString::fromUtf8("知道了")});
    }

    void withoutAWindowTheBoxIsApplicationModal()
    {
        window.reset();
        AlertManager::showDefaultMessageAlertWithDetailText(QString::fromUtf8("请下载最新版本"), record());
        QMessageBox *box = openBox();
        QVERIFY(box); // not lost
        QVERIFY(!box->parentWidget());
        QCOMPARE(box->windowModality(), Qt::ApplicationModal);
        box->buttons().first()->click();
        QCOMPARE(answers, QList<bool>{true});
    }

    void aHiddenCurrentWindowIsNotUsed()
    {
        window->hide();
        AlertManager::showDefaultMessageAlertWithDetailText("x", record());
        QMessageBox *box = openBox();
        QVERIFY(box);
        QVERIFY(box->parentWidget() != window.get());
    }

    void theHandlerIsAnsweredWhenTheWindowGoesAway()
    {
        AlertManager::showAddCancleButtonAlertWithText("x", record());
        QVERIFY(openBox());
        window.reset(); // closes the sheet with it
        QVERIFY(answers.isEmpty());
        QTRY_COMPARE(answers, QList<bool>{false});
        QCoreApplication::processEvents();
        QCOMPARE(answers.size(), 1);
    }

    void aSecondMessageDoesNotHangOnTheFirstSheet()
    {
        AlertManager::setCurrentWindow(nullptr);
        QApplication::setActiveWindow(window.get());
        AlertManager::showDefaultMessageAlertWithDetailText("first", record());
        QMessageBox *first = openBox();
        QVERIFY(first);
        QApplication::setActiveWindow(first);
        AlertManager::showDefaultMessageAlertWithDetailText("second", record());
        QMessageBox *second = nullptr;
        for (QMessageBox *b : window->findChildren<QMessageBox *>()) {
            if (b->informativeText() == "second")
                second = b;
        }
        QVERIFY(second);
        QCOMPARE(second->parentWidget(), window.get());
        first->buttons().first()->click();
        flushDeletes();
        QVERIFY(second->isVisible());
        second->buttons().first()->click();
        QCOMPARE(answers, (QList<bool>{true, true}));
    }

    void serverTextIsShownAsPlainText()
    {
        // Messages come from the service; markup in them is text, not layout.
        const QString text = "<b>bad</b> <img src=\"file:///etc/passwd\"> a<b";
        AlertManager::showDefaultMessageAlertWithDetailText(text, record());
        QMessageBox *box = openBox();
        QVERIFY(box);
        QLabel *body = nullptr;
        QLabel *headline = nullptr;
        for (QLabel *label : box->findChildren<QLabel *>()) {
            if (label->text() == text)
                body = label;
            if (label->text() == QString::fromUtf8("提示"))
                headline = label;
        }
        QVERIFY(body);
        QCOMPARE(body->textFormat(), Qt::PlainText);
        QVERIFY(headline);
        QVERIFY(headline->font().bold());
    }

    void aHugeMessageOpensAtOnce()
    {
        // A runaway reply must not freeze the window while the text is laid out.
        const QString text = QString::fromUtf8("网络错误😀 network ").repeated(70000); // over a megabyte
        QElapsedTimer timer;
        timer.start();
        AlertManager::showDefaultMessageAlertWithDetailText(text, record());
        QMessageBox *box = openBox();
        QVERIFY(box);
        QCoreApplication::processEvents();
        if (!runningOnValgrind())
            QVERIFY2(timer.elapsed() < 1000, qPrintable(QString("%1 ms").arg(timer.elapsed())));
        const QString shown = box->informativeText();
        QVERIFY(shown.size() < 5000);
        QVERIFY(shown.endsWith(QString::fromUtf8("…")));
        QVERIFY(text.startsWith(shown.chopped(1)));
        QVERIFY(QStringView(shown).isValidUtf16());
        box->buttons().first()->click();
        QCOMPARE(answers, QList<bool>{true});
    }

    void theHandlerIsAnsweredWhenTheWindowIsClosed()
    {
        // Logout closes (hides) the windows without destroying them.
        AlertManager::showAddCancleButtonAlertWithText("x", record());
        QPointer<QMessageBox> box = openBox();
        QVERIFY(box);
        window->close();
        QTRY_COMPARE(answers, QList<bool>{false});
        flushDeletes();
        QVERIFY(!box);
        QCOMPARE(answers.size(), 1);
    }

    void severalSheetsAnswerEachOnce()
    {
        QList<QPair<int, bool>> got;
        for (int i = 0; i < 3; ++i)
            AlertManager::showAddCancleButtonAlertWithText(QString::number(i), [&got, i](bool first) {
                got.append({i, first});
            });
        QList<QMessageBox *> boxes = window->findChildren<QMessageBox *>();
        QCOMPARE(boxes.size(), 3);
        QMessageBox *middle = nullptr;
        for (QMessageBox *b : boxes) {
            if (b->informativeText() == "1")
                middle = b;
        }
        QVERIFY(middle);
        buttonWithText(middle, QString::fromUtf8("确定"))->click();
        QCOMPARE(got, (QList<QPair<int, bool>>{{1, true}}));
        window.reset(); // takes the other two with it
        QTRY_COMPARE(got.size(), 3);
        QCoreApplication::processEvents();
        QCOMPARE(got.size(), 3);
        QVERIFY(got.contains({0, false}));
        QVERIFY(got.contains({2, false}));
    }

    void aHandlerMayRaiseTheNextSheet()
    {
        AlertManager::showAddCancleButtonAlertWithText("first", [this](bool first) {
            answers.append(first);
            AlertManager::showDefaultMessageAlertWithDetailText("second", record());
        });
        QMessageBox *box = openBox();
        QVERIFY(box);
        buttonWithText(box, QString::fromUtf8("确定"))->click();
        flushDeletes();
        QMessageBox *second = openBox();
        QVERIFY(second);
        QCOMPARE(second->informativeText(), QString("second"));
        QCOMPARE(second->parentWidget(), window.get());
        second->buttons().first()->click();
        QCOMPARE(answers, (QList<bool>{true, true}));
    }

    void openSheetsAreAnsweredWhenTheApplicationQuits()
    {
        AlertManager::setCurrentWindow(nullptr);
        window->hide();
        AlertManager::showDefaultMessageAlertWithDetailText("application modal", record());
        window->show();
        AlertManager::setCurrentWindow(window.get());
        AlertManager::showAddCancleButtonAlertWithText("on the window", record());
        QCOMPARE(window->findChildren<QMessageBox *>().size(), 1);
        // exit() quits without asking the windows to close first.
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
        QCOMPARE(answers, (QList<bool>{false, false}));
        flushDeletes();
        QCOMPARE(answers.size(), 2);
    }

    void widgetFeedbackReachesRealSheets()
    {
        {
            ManualScheduler scheduler;
            WidgetFeedback widgets(scheduler);
            UserFeedback &feedback = widgets; // as the services bundle hands it on
            feedback.showAddCancleButtonAlertWithText("via interface", record());
            QMessageBox *box = openBox();
            QVERIFY(box);
            QCOMPARE(box->parentWidget(), window.get());
            buttonWithText(box, QString::fromUtf8("取消"))->click();
            QCOMPARE(answers, QList<bool>{false});
        }
    }

    void updateNoticeDefaults()
    {
        QPointer<AlertViewController> notice = new AlertViewController;
        notice->detailText = QString::fromUtf8("修复若干问题");
        notice->open();
        QCOMPARE(notice->titleLab()->text(), QString::fromUtf8("提示"));
        QCOMPARE(notice->doneButton()->text(), QString::fromUtf8("确定"));
        QCOMPARE(notice->cancleButton()->text(), QString::fromUtf8("取消"));
        QCOMPARE(notice->detailTextView()->toPlainText(), QString::fromUtf8("修复若干问题"));
        QCOMPARE(notice->windowTitle(), QString());
        QVERIFY(!(notice->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!(notice->windowFlags() & Qt::WindowMinimizeButtonHint));
        delete notice.data();
    }

    void updateNoticeResults_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QList<int>>("calls");
        QTest::newRow("done: 2 then the closing 1") << "done" << QList<int>{2, 1};
        QTest::newRow("cancel: 1 once") << "cancel" << QList<int>{1};
        QTest::newRow("close button: 1") << "close" << QList<int>{1};
        QTest::newRow("escape: 1") << "escape" << QList<int>{1};
    }
    void updateNoticeResults()
    {
        QFETCH(QString, how);
        QFETCH(QList<int>, calls);
        QList<int> got;
        QPointer<AlertViewController> notice = new AlertViewController;
        notice->text = QString::fromUtf8("发现新版本");
        notice->doneTitle = QString::fromUtf8("立即更新");
        notice->cancleTitle = QString::fromUtf8("以后再说");
        notice->alertBlcok = [&got](int v) { got.append(v); };
        notice->open();
        QCOMPARE(notice->titleLab()->text(), QString::fromUtf8("发现新版本"));
        QCOMPARE(notice->doneButton()->text(), QString::fromUtf8("立即更新"));
        QCOMPARE(notice->cancleButton()->text(), QString::fromUtf8("以后再说"));
        if (how == "done")
            notice->doneButton()->click();
        else if (how == "cancel")
            notice->cancleButton()->click();
        else if (how == "close")
            notice->close();
        else
            QTest::keyClick(notice.data(), Qt::Key_Escape);
        QCOMPARE(got, calls);
        flushDeletes();
        QVERIFY(!notice); // it deletes itself once closed
        QCOMPARE(got, calls);
    }

    void updateNoticeDoneButtonLooks()
    {
        QPointer<AlertViewController> notice = new AlertViewController;
        notice->open();
        QPushButton *done = notice->doneButton();
        QCOMPARE(done->font().pixelSize(), 11);
        done->ensurePolished();
        const QPoint middle(done->width() / 2, done->height() / 2);
        // Sample beside the centred title: the system red fill, light grey when pressed.
        const QPoint fill(middle.x(), 1);
        QCOMPARE(done->grab().toImage().pixelColor(fill).rgb(), QColor(255, 59, 48).rgb());
        done->setDown(true);
        QCOMPARE(done->grab().toImage().pixelColor(fill).rgb(), QColor(170, 170, 170).rgb());
        delete notice.data();
    }

    void updateNoticeHandlerMayDeleteTheNotice_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("deleteOn");
        QTest::addColumn<QList<int>>("calls");
        QTest::newRow("done, deleted on 2") << "done" << 2 << QList<int>{2};
        QTest::newRow("done, deleted on 1") << "done" << 1 << QList<int>{2, 1};
        QTest::newRow("cancel, deleted on 1") << "cancel" << 1 << QList<int>{1};
        QTest::newRow("close, deleted on 1") << "close" << 1 << QList<int>{1};
    }
    void updateNoticeHandlerMayDeleteTheNotice()
    {
        QFETCH(QString, how);
        QFETCH(int, deleteOn);
        QFETCH(QList<int>, calls);
        QList<int> got;
        QPointer<AlertViewController> notice = new AlertViewController;
        notice->alertBlcok = [&got, &notice, deleteOn](int v) {
            got.append(v);
            if (v == deleteOn)
                delete notice.data();
        };
        notice->open();
        if (how == "done")
            notice->doneButton()->click();
        else if (how == "cancel")
            notice->cancleButton()->click();
        else
            notice->close();
        QVERIFY(!notice);
        flushDeletes();
        QCOMPARE(got, calls);
    }

    void updateNoticeGoesQuietlyWithItsParent()
    {
        QList<int> got;
        QPointer<AlertViewController> notice = new AlertViewController(window.get());
        notice->alertBlcok = [&got](int v) { got.append(v); };
        notice->open();
        window.reset();
        QVERIFY(!notice);
        flushDeletes();
        QVERIFY(got.isEmpty()); // its owner is gone: nobody to tell
    }

    void updateNoticeClosesWhenTheApplicationQuits()
    {
        QList<int> got;
        QPointer<AlertViewController> notice = new AlertViewController;
        notice->alertBlcok = [&got](int v) { got.append(v); };
        notice->open();
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
        QCoreApplication::exec();
        QCOMPARE(got, QList<int>{1});
        flushDeletes();
        QVERIFY(!notice);
    }
};

PRELVANE_TEST_MAIN(TestAlerts)
#include "tst_alerts.moc"
