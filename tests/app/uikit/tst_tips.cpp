#include "app/uikit/HoverTip.h"
#include "app/uikit/TipBubble.h"
#include "app/uikit/TipButton.h"
#include "app/uikit/TipImageView.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QVBoxLayout>

#include <memory>

namespace {

void enter(QWidget *widget)
{
    QEnterEvent event(QPointF(1, 1), widget->mapTo(widget->window(), QPointF(1, 1)),
                      widget->mapToGlobal(QPointF(1, 1)));
    QApplication::sendEvent(widget, &event);
}

void leave(QWidget *widget)
{
    QEvent event(QEvent::Leave);
    QApplication::sendEvent(widget, &event);
}

QList<TipBubble *> bubblesOn(QWidget *window)
{
    return window->findChildren<TipBubble *>();
}

} // namespace

class TestTips : public QObject
{
    Q_OBJECT
private:
    std::unique_ptr<QWidget> window;

private slots:
    void init()
    {
        window = std::make_unique<QWidget>();
        window->resize(400, 300);
        window->show();
    }
    void cleanup() { window.reset(); }

    void placementBesideTheControl_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<QRect>("expected");
        // Control at (100, 100) 40 x 20, bubble 60 x 22, far from the edges.
        QTest::newRow("0 below right") << 0 << QRect(140, 120, 60, 22);
        QTest::newRow("1 above right") << 1 << QRect(140, 78, 60, 22);
        QTest::newRow("2 above left") << 2 << QRect(40, 78, 60, 22);
        QTest::newRow("3 below left") << 3 << QRect(40, 120, 60, 22);
        QTest::newRow("4 above centred") << 4 << QRect(90, 78, 60, 22);
        QTest::newRow("5 below centred") << 5 << QRect(90, 120, 60, 22);
        QTest::newRow("6 left centred") << 6 << QRect(40, 99, 60, 22);
        QTest::newRow("7 right centred") << 7 << QRect(140, 99, 60, 22);
    }
    void placementBesideTheControl()
    {
        QFETCH(int, position);
        QFETCH(QRect, expected);
        const QRect control(100, 100, 40, 20);
        QCOMPARE(TipBubble::placement(control, QSize(60, 22), position, QRect(0, 0, 800, 600)), expected);
        // Without bounds the table holds as it is.
        QCOMPARE(TipBubble::placement(control, QSize(60, 22), position, QRect()), expected);
    }

    void placementNearTheWindowEdges_data()
    {
        QTest::addColumn<QRect>("control");
        QTest::addColumn<int>("position");
        QTest::addColumn<QRect>("expected");
        // Window 300 x 200; bubble 60 x 22.
        QTest::newRow("right edge: below right goes below left")
            << QRect(260, 50, 30, 20) << 0 << QRect(200, 70, 60, 22);
        QTest::newRow("bottom edge: below right goes above right")
            << QRect(50, 170, 30, 20) << 0 << QRect(80, 148, 60, 22);
        QTest::newRow("bottom-right corner: both sides change")
            << QRect(250, 170, 30, 20) << 0 << QRect(190, 148, 60, 22);
        QTest::newRow("top edge: above centred goes below")
            << QRect(100, 0, 40, 20) << 4 << QRect(90, 20, 60, 22);
        QTest::newRow("left edge: centred below is moved in")
            << QRect(0, 50, 20, 20) << 5 << QRect(0, 70, 60, 22);
        QTest::newRow("right edge: centred above is moved in")
            << QRect(285, 50, 15, 20) << 4 << QRect(240, 28, 60, 22);
        QTest::newRow("left edge: left centred goes right")
            << QRect(10, 80, 20, 20) << 6 << QRect(30, 79, 60, 22);
        QTest::newRow("no room on either side: moved inside")
            << QRect(0, 50, 290, 20) << 7 << QRect(240, 49, 60, 22);
    }
    void placementNearTheWindowEdges()
    {
        QFETCH(QRect, control);
        QFETCH(int, position);
        QFETCH(QRect, expected);
        QCOMPARE(TipBubble::placement(control, QSize(60, 22), position, QRect(0, 0, 300, 200)), expected);
    }

    void unknownPositionPlacesNothing()
    {
        for (int position : {-1, 8, 100})
            QVERIFY(
                !TipBubble::placement(QRect(10, 10, 20, 20), QSize(40, 22), position, QRect(0, 0, 300, 200)));

        auto *button = new TipButton(QStringLiteral("同步"), window.get());
        button->setGeometry(100, 100, 40, 24);
        button->setPosition(8);
        enter(button);
        QVERIFY(bubblesOn(window.get()).isEmpty());
    }

    void bubbleSizeFollowsTheText()
    {
        QCOMPARE(TipBubble::widthFor(QString()), 16);
        const QString text = QStringLiteral("时间管理");
        QFontMetricsF metrics(TipBubble::tipFont());
        QCOMPARE(TipBubble::widthFor(text), int(std::ceil(metrics.horizontalAdvance(text))) + 16);

        // A 20-pixel control with a 60-pixel text: the 76-pixel bubble is centred under it.
        QCOMPARE(TipBubble::placement(QRect(100, 40, 20, 20), QSize(60 + 16, 22), 5, QRect(0, 0, 400, 300)),
                 QRect(72, 60, 76, 22));
    }

    void tipTextOfANewButton_data()
    {
        QTest::addColumn<bool>("withTitle");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("tip");
        QTest::newRow("no title") << false << QString() << QStringLiteral("提示");
        QTest::newRow("empty title") << true << QString(QLatin1String("")) << QString(QLatin1String(""));
        QTest::newRow("title") << true << QStringLiteral("搜索") << QStringLiteral("搜索");
    }
    void tipTextOfANewButton()
    {
        QFETCH(bool, withTitle);
        QFETCH(QString, title);
        QFETCH(QString, tip);
        auto *button = withTitle ? new TipButton(title, window.get()) : new TipButton(window.get());
        QCOMPARE(button->tipTitle(), tip);
        QCOMPARE(button->position(), 0);
        button->setGeometry(50, 50, 40, 24);
        enter(button);
        const QList<TipBubble *> bubbles = bubblesOn(window.get());
        QCOMPARE(bubbles.size(), 1);
        QCOMPARE(bubbles.first()->label()->text(), tip);
        QCOMPARE(bubbles.first()->size(), QSize(TipBubble::widthFor(tip), 22));
        if (tip.isEmpty())
            QCOMPARE(bubbles.first()->width(), 16);
    }

    void enterShowsAndLeaveRemoves()
    {
        auto *image = new TipImageView(window.get());
        image->setGeometry(100, 100, 20, 20);
        QVERIFY(image->tipTitle().isEmpty());
        image->setTipTitle(QStringLiteral("编辑分类"));
        image->setPosition(5);

        enter(image);
        QList<TipBubble *> bubbles = bubblesOn(window.get());
        QCOMPARE(bubbles.size(), 1);
        TipBubble *bubble = bubbles.first();
        QCOMPARE(bubble->parentWidget(), window.get());
        QVERIFY(bubble->isVisible());
        QCOMPARE(bubble->geometry(),
                 *TipBubble::placement(image->geometry(), bubble->size(), 5, window->rect()));
        QVERIFY(bubble->testAttribute(Qt::WA_TransparentForMouseEvents));

        // A new text waits for the next entry.
        image->setTipTitle(QStringLiteral("删除"));
        QCOMPARE(bubble->label()->text(), QStringLiteral("编辑分类"));
        leave(image);
        QVERIFY(bubblesOn(window.get()).isEmpty());
        enter(image);
        QCOMPARE(bubblesOn(window.get()).size(), 1);
        QCOMPARE(bubblesOn(window.get()).first()->label()->text(), QStringLiteral("删除"));
        // A second entry without a leave still leaves one bubble.
        enter(image);
        QCOMPARE(bubblesOn(window.get()).size(), 1);
    }

    void bubbleGoesWithItsControl_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("control hidden") << QStringLiteral("hide");
        QTest::newRow("its row hidden") << QStringLiteral("hide parent");
        QTest::newRow("control destroyed") << QStringLiteral("delete");
        QTest::newRow("its row destroyed") << QStringLiteral("delete parent");
        QTest::newRow("window deactivated") << QStringLiteral("deactivate");
        QTest::newRow("moved to another window") << QStringLiteral("reparent");
    }
    void bubbleGoesWithItsControl()
    {
        QFETCH(QString, what);
        auto *row = new QWidget(window.get());
        row->setGeometry(0, 0, 400, 40);
        auto *button = new TipButton(QStringLiteral("删除"), row);
        button->setGeometry(10, 8, 40, 24);
        row->show();
        enter(button);
        QCOMPARE(bubblesOn(window.get()).size(), 1);
        QPointer<TipBubble> bubble = bubblesOn(window.get()).first();

        QWidget other;
        if (what == QLatin1String("hide"))
            button->hide();
        else if (what == QLatin1String("hide parent"))
            row->hide();
        else if (what == QLatin1String("delete"))
            delete button;
        else if (what == QLatin1String("delete parent"))
            delete row;
        else if (what == QLatin1String("deactivate")) {
            QEvent event(QEvent::WindowDeactivate);
            QApplication::sendEvent(window.get(), &event);
        } else if (what == QLatin1String("reparent"))
            button->setParent(&other);
        QVERIFY(!bubble);
        QVERIFY(bubblesOn(window.get()).isEmpty());
    }

    void bubbleFollowsAMovedControl()
    {
        auto *button = new TipButton(QStringLiteral("同步"), window.get());
        button->setGeometry(20, 20, 40, 24);
        button->show();
        enter(button);
        button->move(120, 60);
        QCOMPARE(bubblesOn(window.get()).size(), 1);
        QCOMPARE(bubblesOn(window.get()).first()->pos(), QPoint(160, 84));
    }
};

PRELVANE_TEST_MAIN(TestTips)
#include "tst_tips.moc"
