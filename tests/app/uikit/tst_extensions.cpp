#include "app/uikit/ButtonHelpers.h"
#include "app/uikit/ImageHelpers.h"
#include "app/uikit/ViewHelpers.h"
#include "platform/base/Clock.h"
#include "platform/text/ColorHelpers.h"
#include "platform/text/DateHelpers.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QPushButton>

class TestExtensions : public QObject
{
    Q_OBJECT
private slots:
    void cleanup() { Clock::reset(); }

    void hexColours_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QColor>("expected");
        const QColor green(0x10, 0xb5, 0x6c);
        const QColor clear(0, 0, 0, 0);
        QTest::newRow("bare") << "10b56c" << green;
        QTest::newRow("hash") << "#10b56c" << green;
        QTest::newRow("0X") << "0X10B56C" << green;
        QTest::newRow("0x lower") << "0x10b56c" << green;
        QTest::newRow("hash then 0x") << "#0x10B56C" << green;
        QTest::newRow("white space and line breaks") << " \t#10B56C\n" << green;
        QTest::newRow("skin grey") << "F5F5F8" << QColor(0xF5, 0xF5, 0xF8);
        QTest::newRow("empty") << "" << clear;
        QTest::newRow("short form") << "#fff" << clear;
        QTest::newRow("three digits bare") << "fff" << clear;
        QTest::newRow("seven digits") << "#1234567" << clear;
        QTest::newRow("not hex from the start") << "zz0000" << clear;
        QTest::newRow("last not hex: five-digit value") << "#12345g" << QColor(0x01, 0x23, 0x45);
        QTest::newRow("inner white space stops the digits") << "#12 456" << QColor(0, 0, 0x12);
        QTest::newRow("emoji") << QString::fromUtf8("😀😀😀") << clear;
        QTest::newRow("chinese") << QString::fromUtf8("#红色红色红色") << clear;
        QTest::newRow("very long") << QString(5000, u'f') << clear;
        QTest::newRow("two digits") << "#12" << clear;
        QTest::newRow("letters only") << "zzzzzz" << clear;
        QTest::newRow("0x short") << "0x1234" << clear;
        QTest::newRow("0x seven digits") << "0x1234567" << clear;
        QTest::newRow("hash alone, padded") << "   #   " << clear;
        QTest::newRow("full-width digits") << QString::fromUtf8("#ＦＦ００００") << clear;
        QTest::newRow("sign") << "-12345" << clear;
        QTest::newRow("megabyte") << QString(1 << 20, u'f') << clear;
    }
    void hexColours()
    {
        QFETCH(QString, text);
        QFETCH(QColor, expected);
        const QColor c = colorWithHexString(text);
        QVERIFY(c.isValid());
        QCOMPARE(c.rgba(), expected.rgba());
    }

    void hexAlphaAndOutOfRangeValues()
    {
        const QColor black = colorWithHexString("#000000", 0.8);
        QCOMPARE(black.red(), 0);
        QCOMPARE(black.alpha(), 204);
        QVERIFY(!colorWithHex(0x1000000, 1.0).isValid());
        QVERIFY(!colorWithHex(-1, 1.0).isValid());
        QCOMPARE(colorWithHex(0xFFFFFF, 1.0).rgba(), QColor(Qt::white).rgba());
    }

    void frameSettersKeepTheRest()
    {
        QWidget w;
        w.setGeometry(10, 20, 30, 40);
        setX(&w, 5);
        QCOMPARE(w.geometry(), QRect(5, 20, 30, 40));
        setY(&w, 6);
        setWidth(&w, 70);
        QCOMPARE(w.geometry(), QRect(5, 6, 70, 40));
        setHeight(&w, 80);
        QCOMPARE(w.geometry(), QRect(5, 6, 70, 80));
        setSize(&w, QSize(1, 2));
        QCOMPARE(w.geometry(), QRect(5, 6, 1, 2));
        setX(nullptr, 1); // ignored
    }

    void tintKeepsTransparentPixels()
    {
        QImage image(4, 4, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        for (int y = 0; y < 4; ++y)
            image.setPixelColor(0, y, QColor(255, 0, 0));
        const QImage tinted = lp_imageTintedWithColor(image, QColor(0, 0, 255));
        QCOMPARE(tinted.size(), image.size());
        QCOMPARE(tinted.pixelColor(0, 1).rgba(), QColor(0, 0, 255).rgba());
        QCOMPARE(tinted.pixelColor(2, 1).alpha(), 0);
        // The original is left alone.
        QCOMPARE(image.pixelColor(0, 1).rgba(), QColor(255, 0, 0).rgba());

        const QImage plain = lp_imageTintedWithColor(image, QColor());
        QVERIFY(!plain.isNull());
        QCOMPARE(plain, image);
        QVERIFY(lp_imageTintedWithColor(QImage(), Qt::red).isNull());
    }

    void solidImage()
    {
        const QImage img = lp_getImageWithColor(QColor(1, 2, 3), QSize(5, 3));
        QCOMPARE(img.size(), QSize(5, 3));
        QCOMPARE(img.pixelColor(4, 2).rgba(), QColor(1, 2, 3).rgba());
        QVERIFY(lp_getImageWithColor(Qt::red, QSize(0, 3)).isNull());
    }

    void buttonColoursCombineAndPaint()
    {
        QPushButton button("ok");
        button.resize(80, 30);
        lp_backgroundColor(&button, QColor(255, 0, 0));
        lp_highlightColor(&button, QColor(0, 255, 0));
        lp_titleColor(&button, QColor(Qt::white)); // must not undo the colours above
        button.ensurePolished();
        QImage normal = button.grab().toImage();
        QCOMPARE(normal.pixelColor(3, 3).rgb(), QColor(255, 0, 0).rgb());
        button.setDown(true);
        QImage pressed = button.grab().toImage();
        QCOMPARE(pressed.pixelColor(3, 3).rgb(), QColor(0, 255, 0).rgb());
        lp_backgroundColor(nullptr, Qt::red); // ignored
    }

    void buttonTint()
    {
        QPushButton button;
        QImage img(16, 16, QImage::Format_ARGB32);
        img.fill(Qt::transparent);
        img.setPixelColor(8, 8, Qt::black);
        button.setIconSize(QSize(16, 16));
        button.setIcon(QIcon(QPixmap::fromImage(img)));
        lp_tintColor(&button, QColor(0, 0, 255));
        const QImage tinted = button.icon().pixmap(QSize(16, 16)).toImage();
        QCOMPARE(tinted.pixelColor(8, 8).rgb(), QColor(0, 0, 255).rgb());
        QCOMPARE(tinted.pixelColor(1, 1).alpha(), 0);
    }

    void dateFilters_data()
    {
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QDateTime>("date");
        QTest::addColumn<bool>("sameWeek");
        QTest::addColumn<bool>("lastWeek");
        QTest::addColumn<bool>("sameMonth");
        QTest::addColumn<bool>("lastMonth");
        auto local = [](const char *s) { return QDateTime::fromString(s, Qt::ISODate); };
        // 2025-01-01 is a Wednesday; its week began on Monday 2024-12-30.
        const QDateTime newYear = local("2025-01-01T12:00:00");
        QTest::newRow("week across the year's end")
            << newYear << local("2024-12-30T00:00:00") << true << false << false << true;
        QTest::newRow("last week across the year's end")
            << newYear << local("2024-12-25T09:00:00") << false << true << false << true;
        QTest::newRow("same week number a year earlier is not this week")
            << newYear << local("2024-01-03T09:00:00") << false << false << false << false;
        QTest::newRow("today") << newYear << newYear << true << false << true << false;
        const QDateTime march = local("2025-03-12T08:00:00"); // Wednesday
        QTest::newRow("same month a year earlier")
            << march << local("2024-03-12T08:00:00") << false << false << false << false;
        QTest::newRow("sunday before is last week")
            << march << local("2025-03-09T23:59:59") << false << true << true << false;
        QTest::newRow("monday midnight is this week")
            << march << local("2025-03-10T00:00:00") << true << false << true << false;
        QTest::newRow("two weeks ago")
            << march << local("2025-02-26T12:00:00") << false << false << false << true;
        QTest::newRow("utc instant read in local time")
            << march << QDateTime::fromString("2025-03-09T16:30:00Z", Qt::ISODate) << true << false << true
            << false;
        QTest::newRow("next week is neither")
            << march << local("2025-03-17T00:00:00") << false << false << true << false;
        QTest::newRow("invalid date") << march << QDateTime() << false << false << false << false;
    }
    void dateFilters()
    {
        QFETCH(QDateTime, now);
        QFETCH(QDateTime, date);
        Clock::setNow(now);
        QTEST(lp_isSameWeekFromToday(date), "sameWeek");
        QTEST(lp_isLastWeekFromToday(date), "lastWeek");
        QTEST(lp_isSameMonthFromToday(date), "sameMonth");
        QTEST(lp_isLastMonthFromToday(date), "lastMonth");
    }
};

PRELVANE_TEST_MAIN(TestExtensions)
#include "tst_extensions.moc"
