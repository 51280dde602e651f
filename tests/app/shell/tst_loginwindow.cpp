// The login window's corners: rounded and transparent only where a compositing
// manager blends them, a square opaque card elsewhere (a plain X server would
// show the transparent pixels black), and the choice made again when the fact
// changes between or during showings.

#include "app/login/LoginPresenter.h"
#include "app/shell/LoginWindow.h"
#include "core/model/LoginAccount.h"
#include "platform/store/Context.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestGraph.h"

#include <QExposeEvent>
#include <QImage>
#include <QWindow>
#include <QtTest>

#include <memory>

namespace {
const QColor kBorder(0xDC, 0xDC, 0xE0);

// The window as it paints itself, over a transparent image.
QImage painted(LoginWindow &window)
{
    QImage image(window.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    window.QWidget::render(&image);
    return image;
}

QList<QPoint> corners(const QImage &image)
{
    return {{0, 0}, {image.width() - 1, 0}, {0, image.height() - 1}, {image.width() - 1, image.height() - 1}};
}

// Every corner pixel is the opaque border colour (never black, never see-through).
void verifySquareCorners(LoginWindow &window)
{
    QVERIFY(!window.testAttribute(Qt::WA_TranslucentBackground));
    const QImage image = painted(window);
    for (const QPoint &corner : corners(image))
        QCOMPARE(image.pixelColor(corner), kBorder);
}

// Every corner pixel is fully transparent; the card itself is opaque white.
void verifyRoundedCorners(LoginWindow &window)
{
    QVERIFY(window.testAttribute(Qt::WA_TranslucentBackground));
    const QImage image = painted(window);
    for (const QPoint &corner : corners(image))
        QCOMPARE(image.pixelColor(corner).alpha(), 0);
    QCOMPARE(image.pixelColor(image.width() / 2, 8), QColor(Qt::white));
}

void expose(QWindow *window)
{
    QExposeEvent event(QRegion(QRect(QPoint(), window->size())));
    QCoreApplication::sendEvent(window, &event);
}
} // namespace

class TestLoginWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<StoreFixture> store;
    std::unique_ptr<TestGraph> graph;
    std::unique_ptr<LoginWindow> window;
    bool composited = false;

    void makeWindow(bool compositing)
    {
        composited = compositing;
        window = std::make_unique<LoginWindow>(new LoginPresenter(graph->services()));
        window->setCompositingCheck([this] { return composited; });
    }

private slots:
    void init()
    {
        store = std::make_unique<StoreFixture>();
        QVERIFY(store->open(QDateTime(QDate(2026, 3, 1), QTime(9, 0))));
        graph = std::make_unique<TestGraph>(*store);
    }

    void cleanup()
    {
        window.reset();
        graph.reset();
        store.reset();
    }

    void cornersFollowCompositing_data()
    {
        QTest::addColumn<bool>("compositing");
        QTest::newRow("composited") << true;
        QTest::newRow("plain X server") << false;
    }
    void cornersFollowCompositing()
    {
        QFETCH(bool, compositing);
        makeWindow(compositing);
        if (compositing)
            verifyRoundedCorners(*window);
        else
            verifySquareCorners(*window);
        // The same once shown.
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QCOMPARE(window->windowHandle()->requestedFormat().hasAlpha(), compositing);
        if (compositing)
            verifyRoundedCorners(*window);
        else
            verifySquareCorners(*window);
    }

    void compositorStoppingWhileShownSquaresTheCorners()
    {
        makeWindow(true);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        verifyRoundedCorners(*window);
        composited = false;
        expose(window->windowHandle());
        verifySquareCorners(*window);
    }

    void compositorStartingRoundsTheCornersAtTheNextShowing()
    {
        makeWindow(false);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        composited = true;
        // A shown window keeps the visual it was made with: no alpha, so still square.
        expose(window->windowHandle());
        verifySquareCorners(*window);
        window->hide();
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(window->windowHandle()->requestedFormat().hasAlpha());
        verifyRoundedCorners(*window);
        // Exposures of the new window are watched too.
        composited = false;
        expose(window->windowHandle());
        verifySquareCorners(*window);
    }

    // The open account list dims the whole card, corners included, in either shape.
    void theAccountListsDimmingFollowsTheCorners_data() { cornersFollowCompositing_data(); }
    void theAccountListsDimmingFollowsTheCorners()
    {
        QFETCH(bool, compositing);
        auto *row = store->ctx()->create<LoginAccount>();
        row->setUserId(1);
        row->setAccount(QStringLiteral("13800000000"));
        QVERIFY(bool(store->ctx()->saveAndWait()));
        makeWindow(compositing);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        window->presenter()->accountListClicked();
        QVERIFY(window->presenter()->accountListOpen());
        const QImage image = painted(*window);
        // 20% black over the border colour on the square card; nothing over the rounded one's corners.
        const auto dimmed = [](int c) { return qRound(c * 0.8); };
        for (const QPoint &point : corners(image)) {
            const QColor pixel = image.pixelColor(point);
            if (compositing) {
                QCOMPARE(pixel.alpha(), 0);
                continue;
            }
            QCOMPARE(pixel.alpha(), 255);
            QVERIFY2(qAbs(pixel.red() - dimmed(kBorder.red())) <= 1 &&
                         qAbs(pixel.blue() - dimmed(kBorder.blue())) <= 1,
                     qPrintable(pixel.name()));
        }
    }
};

PRELVANE_TEST_MAIN(TestLoginWindow)
#include "tst_loginwindow.moc"
