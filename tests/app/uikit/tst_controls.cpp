#include "app/uikit/AppImages.h"
#include "app/uikit/ApplicationFont.h"
#include "app/uikit/BorderTextField.h"
#include "app/uikit/ControlSkin.h"
#include "app/uikit/CustomButton.h"
#include "app/uikit/HomeRowDelegate.h"
#include "app/uikit/MouseBoxView.h"
#include "app/uikit/MouseView.h"
#include "app/uikit/TintButton.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QListView>
#include <QPainter>
#include <QPixmapCache>
#include <QSignalSpy>
#include <QStringListModel>

namespace {

bool near(const QColor &a, const QColor &b, int tolerance = 3)
{
    return qAbs(a.red() - b.red()) <= tolerance && qAbs(a.green() - b.green()) <= tolerance &&
           qAbs(a.blue() - b.blue()) <= tolerance && qAbs(a.alpha() - b.alpha()) <= tolerance;
}

// The button drawn on a white ground.
QImage render(QWidget *widget)
{
    QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    widget->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

QColor overWhite(QColor color)
{
    const qreal a = color.alphaF();
    return QColor::fromRgbF(float(color.redF() * a + (1 - a)), float(color.greenF() * a + (1 - a)),
                            float(color.blueF() * a + (1 - a)));
}

} // namespace

class TestControls : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { ControlSkin::setBarColorSource(nullptr); }

    void customButtonLook()
    {
        ControlSkin::setBarColorSource([] { return QColor(0x33, 0x66, 0x99); });
        CustomButton button(QStringLiteral("登录"));
        button.resize(100, 36);
        QColor expectedFill(0x33, 0x66, 0x99);
        expectedFill.setAlphaF(0.8f);
        QCOMPARE(button.lp_bgColor(), expectedFill);
        QCOMPARE(button.lp_textColor(), QColor(Qt::white));
        QCOMPARE(button.lp_textAlignment(), Qt::AlignCenter);
        QCOMPARE(button.lp_cornerRadius(), 3.0);
        QCOMPARE(button.lp_borderWidth(), 0.0);
        QCOMPARE(button.lp_borderColor().alpha(), 0);

        QImage image = render(&button);
        QVERIFY(near(image.pixelColor(4, 30), overWhite(expectedFill)));
        // The rounded corner leaves the very corner pixel (nearly) white.
        QVERIFY(image.pixelColor(0, 0).lightness() > 200);
        // White title pixels in the middle.
        bool white = false;
        for (int x = 30; x < 70 && !white; ++x)
            for (int y = 10; y < 26 && !white; ++y)
                white = image.pixelColor(x, y).lightness() > 240;
        QVERIFY(white);

        button.setDown(true);
        QVERIFY(near(render(&button).pixelColor(4, 30), ControlSkin::lightGray()));

        // A skin change reaches only buttons made afterwards.
        ControlSkin::setBarColorSource([] { return QColor(0xff, 0x00, 0x00); });
        QCOMPARE(button.lp_bgColor(), expectedFill);
        QCOMPARE(CustomButton().lp_bgColor().rgb(), QColor(0xff, 0x00, 0x00).rgb());
    }

    void customButtonWithoutTitleDrawsOnlyItsFill()
    {
        CustomButton button;
        button.resize(60, 30);
        button.setLp_bgColor(Qt::red);
        const QImage image = render(&button);
        for (int x = 4; x < 56; ++x)
            QVERIFY(near(image.pixelColor(x, 15), Qt::red));
        // The default skin without a source.
        QCOMPARE(CustomButton().lp_bgColor().rgb(), QColor(0x10, 0xb5, 0x6c).rgb());
    }

    void borderTextFieldTakesTheOpaqueBarColour()
    {
        QColor translucent(0x20, 0x40, 0x60, 100);
        ControlSkin::setBarColorSource([translucent] { return translucent; });
        BorderTextField field;
        field.resize(160, 28);
        QCOMPARE(field.lp_borderColor(), QColor(0x20, 0x40, 0x60));
        QCOMPARE(field.lp_borderWidth(), 1.0);
        field.show();
        QVERIFY(near(render(&field).pixelColor(0, 14), QColor(0x20, 0x40, 0x60)));
    }

    void tintButtonDrawsItsImageInOneColour()
    {
        TintButton button;
        button.setIcon(AppImages::icon(QStringLiteral("window_close")));
        button.setIconSize(QSize(16, 16));
        button.resize(24, 24);
        QCOMPARE(button.tintColor(), ControlSkin::darkGray());
        const QImage image = render(&button);
        int tinted = 0;
        for (int x = 0; x < image.width(); ++x)
            for (int y = 0; y < image.height(); ++y)
                tinted += near(image.pixelColor(x, y), ControlSkin::darkGray(), 6) ? 1 : 0;
        QVERIFY(tinted > 10); // the drawn cross, which is light grey in the file
    }

    void rowFill_data()
    {
        QTest::addColumn<int>("state");
        QTest::addColumn<bool>("selectionFill");
        QTest::addColumn<bool>("filled");
        const int hover = int(QStyle::State_MouseOver);
        const int selected = int(QStyle::State_Selected);
        QTest::newRow("plain") << 0 << true << false;
        QTest::newRow("hover") << hover << true << true;
        QTest::newRow("selected") << selected << true << true;
        QTest::newRow("selected, no selection fill") << selected << false << false;
        QTest::newRow("hover, no selection fill") << hover << false << true;
    }
    void rowFill()
    {
        QFETCH(int, state);
        QFETCH(bool, selectionFill);
        QFETCH(bool, filled);
        QImage image(100, 30, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::white);
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, 100, 30);
        option.state = QStyle::State_Enabled | QStyle::StateFlag(state);
        QPainter painter(&image);
        QCOMPARE(HomeRowDelegate::paintRowBackground(&painter, option, selectionFill), filled);
        painter.end();
        QCOMPARE(image.pixelColor(50, 15), filled ? ControlSkin::rowFill() : QColor(Qt::white));
        QCOMPARE(image.pixelColor(0, 0), QColor(Qt::white)); // inset by one pixel
        QCOMPARE(image.pixelColor(99, 29), QColor(Qt::white));
        QCOMPARE(image.pixelColor(1, 1), filled ? ControlSkin::rowFill() : QColor(Qt::white));
    }

    void delegateInAListWithoutSelection()
    {
        QStringListModel model({QStringLiteral("工作"), QStringLiteral("生活")});
        QListView view;
        view.setModel(&model);
        HomeRowDelegate *delegate = HomeRowDelegate::install(&view);
        delegate->setRowHeight(30);
        view.resize(200, 100);
        view.setSelectionMode(QAbstractItemView::NoSelection);
        view.selectionModel()->select(model.index(0, 0), QItemSelectionModel::Select);
        view.show();
        QCOMPARE(view.visualRect(model.index(1, 0)).height(), 30);
        QVERIFY(view.viewport()->testAttribute(Qt::WA_Hover));
        const QImage image = view.viewport()->grab().toImage();
        QVERIFY(image.pixelColor(190, 15) != ControlSkin::rowFill());

        view.setSelectionMode(QAbstractItemView::SingleSelection);
        view.selectionModel()->select(model.index(0, 0), QItemSelectionModel::ClearAndSelect);
        QCOMPARE(view.viewport()->grab().toImage().pixelColor(190, 15), ControlSkin::rowFill());
    }

    void mouseViewsTellEnterAndExit()
    {
        QWidget window;
        auto *view = new MouseView(&window);
        auto *box = new MouseBoxView(&window);
        window.show();
        for (QWidget *widget : {static_cast<QWidget *>(view), static_cast<QWidget *>(box)}) {
            QSignalSpy entered(widget, SIGNAL(mouseEntered()));
            QSignalSpy exited(widget, SIGNAL(mouseExited()));
            QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
            QApplication::sendEvent(widget, &enter);
            QApplication::sendEvent(widget, &enter);
            QCOMPARE(entered.size(), 1);
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(widget, &leave);
            QCOMPARE(exited.size(), 1);
            // Hidden under the mouse: the exit is told all the same, once.
            QApplication::sendEvent(widget, &enter);
            widget->hide();
            QApplication::sendEvent(widget, &leave);
            QCOMPARE(entered.size(), 2);
            QCOMPARE(exited.size(), 2);
            QVERIFY(!widget->hasFocus());
        }
    }

    void chineseFontIsInstalledAndFirst()
    {
        const QFont before = QApplication::font();
        ApplicationFont::install();
        QVERIFY2(QFontDatabase::families(QFontDatabase::SimplifiedChinese)
                     .contains(ApplicationFont::chineseFamily()),
                 "the setup installs the Chinese font");
        QCOMPARE(QFontInfo(QApplication::font()).family(), ApplicationFont::chineseFamily());
        QCOMPARE(QApplication::font().pointSizeF(), before.pointSizeF());
        // Installing twice keeps one entry per family.
        ApplicationFont::install();
        const QStringList families = QApplication::font().families();
        QCOMPARE(QSet<QString>(families.begin(), families.end()).size(), families.size());
        QApplication::setFont(before);
    }

    void everyImageLoads()
    {
        for (const QString &name : AppImages::names()) {
            for (qreal ratio : {1.0, 2.0}) {
                const QPixmap pixmap = AppImages::pixmap(name, QSize(32, 32), ratio);
                QVERIFY2(!pixmap.isNull(), qPrintable(name));
                QCOMPARE(pixmap.size(), QSize(32, 32) * ratio);
                const QImage image = pixmap.toImage();
                int opaque = 0;
                for (int x = 0; x < image.width(); ++x)
                    for (int y = 0; y < image.height(); ++y)
                        opaque += image.pixelColor(x, y).alpha() > 200 ? 1 : 0;
                QVERIFY2(opaque > 8, qPrintable(name));
            }
        }
        QVERIFY(AppImages::pixmap(QStringLiteral("no_such_image"), QSize(16, 16)).isNull());
        QVERIFY(AppImages::icon(QStringLiteral("no_such_image")).isNull());
    }

    // Images are drawn once per name, size, ratio and tint: asked again, the kept
    // pixmap comes back; it is what a fresh drawing gives; no two kinds share one.
    void imagesAreKeptPerSizeRatioAndTint()
    {
        struct Kind
        {
            const char *name;
            QSize size;
            qreal ratio;
            QColor tint;
        };
        const QColor red(Qt::red);
        const QList<Kind> kinds = {
            {"title_search", {16, 16}, 1.0, {}},  {"title_search", {16, 16}, 2.0, {}},
            {"title_search", {16, 16}, 1.25, {}}, {"title_search", {16, 16}, 1.5, {}},
            {"title_search", {24, 24}, 1.0, {}},  {"title_search", {16, 24}, 1.0, {}},
            {"title_search", {16, 16}, 1.0, red}, {"title_search", {16, 16}, 1.0, QColor(255, 0, 0, 128)},
            {"title_search", {16, 16}, 2.0, red}, {"title_sync", {16, 16}, 1.0, {}},
        };
        QPixmapCache::clear();
        QList<QPixmap> first;
        QSet<qint64> entries;
        for (const Kind &k : kinds) {
            first << AppImages::pixmap(k.name, k.size, k.tint, k.ratio);
            QVERIFY(!first.last().isNull());
            QCOMPARE(first.last().size(), (QSizeF(k.size) * k.ratio).toSize());
            QCOMPARE(first.last().devicePixelRatio(), k.ratio);
            entries << first.last().cacheKey();
        }
        QCOMPARE(entries.size(), kinds.size());
        for (qsizetype i = kinds.size() - 1; i >= 0; --i) {
            const Kind &k = kinds.at(i);
            QCOMPARE(AppImages::pixmap(k.name, k.size, k.tint, k.ratio).cacheKey(), first.at(i).cacheKey());
        }
        // Without a tint is the untinted one.
        QCOMPARE(AppImages::pixmap("title_search", {16, 16}, 2.0).cacheKey(), first.at(1).cacheKey());
        QVERIFY(first.at(0).toImage() != first.at(6).toImage());
        QVERIFY(first.at(6).toImage() != first.at(7).toImage());

        QPixmapCache::clear();
        for (qsizetype i = 0; i < kinds.size(); ++i) {
            const Kind &k = kinds.at(i);
            const QPixmap fresh = AppImages::pixmap(k.name, k.size, k.tint, k.ratio);
            QVERIFY(fresh.cacheKey() != first.at(i).cacheKey());
            QCOMPARE(fresh.toImage(), first.at(i).toImage());
        }
        // A tint paints the opaque pixels in its colour.
        const QImage tinted = first.at(6).toImage();
        bool anyOpaque = false;
        for (int x = 0; x < tinted.width(); ++x) {
            for (int y = 0; y < tinted.height(); ++y) {
                const QColor c = tinted.pixelColor(x, y);
                if (c.alpha() == 255) {
                    anyOpaque = true;
                    QCOMPARE(c.rgb(), red.rgb());
                }
            }
        }
        QVERIFY(anyOpaque);
    }
};

PRELVANE_TEST_MAIN(TestControls)
#include "tst_controls.moc"
