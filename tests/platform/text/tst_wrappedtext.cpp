#include "platform/text/StringHelpers.h"
#include "platform/text/WrappedText.h"
#include "tests/support/TestEnv.h"

#include <QImage>
#include <QPainter>

namespace {
QFont rowFont()
{
    QFont font;
    font.setPixelSize(15);
    return font;
}

// Rows of the image that hold at least one pixel of `color`.
QList<int> rowsWith(const QImage &image, QRgb color)
{
    QList<int> rows;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == color) {
                rows << y;
                break;
            }
    return rows;
}
} // namespace

class TestWrappedText : public QObject
{
    Q_OBJECT
private slots:
    // Nothing runs past the width, and the measured height is the drawn one.
    void wrapsLikeTheRowsPaint_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("minLines");
        const QString url = "https://example.invalid/" + QString("a1b2c3d4e5").repeated(18);
        QTest::newRow("a 200-character link") << url << 5;
        QTest::newRow("words") << QString("word ").repeated(40).trimmed() << 5;
        QTest::newRow("Chinese") << QString::fromUtf8("记得明天上午十点开会").repeated(10) << 5;
        QTest::newRow("a long word among short ones") << "see " + url + " now" << 5;
        QTest::newRow("short") << QString("买牛奶") << 1;
        QTest::newRow("empty") << QString() << 1;
    }
    void wrapsLikeTheRowsPaint()
    {
        QFETCH(QString, text);
        QFETCH(int, minLines);
        const qreal width = 120;
        const WrappedText laid(text, rowFont(), width);
        QVERIFY2(laid.lineCount() >= minLines || (text.isEmpty() && laid.lineCount() <= 1),
                 qPrintable(QString::number(laid.lineCount())));
        QVERIFY(laid.size().width() <= width);
        const qreal lineSpacing = QFontMetricsF(rowFont()).lineSpacing();
        QCOMPARE(laid.size().height(), std::max(1, laid.lineCount()) * lineSpacing);
        QCOMPARE(lp_heightWithFont(text, rowFont(), width), std::ceil(laid.size().height()));

        // Drawn, the ink stays inside the measured box.
        QImage image(200, int(laid.size().height()) + 40, QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter p(&image);
            laid.draw(p, QPointF(0, 20), Qt::black);
        }
        const QList<int> inked = rowsWith(image, qRgb(0, 0, 0));
        if (!text.isEmpty()) {
            QVERIFY(!inked.isEmpty());
            QVERIFY(inked.first() >= 20 && inked.last() < 20 + laid.size().height() + 1);
        }
        for (int y = 0; y < image.height(); ++y)
            for (int x = int(width) + 1; x < image.width(); ++x)
                QVERIFY2(image.pixel(x, y) == qRgb(255, 255, 255), "ink past the width");
    }

    void noWidthMeansNoWrapping()
    {
        const WrappedText laid("one two three", rowFont(), 0);
        QCOMPARE(laid.lineCount(), 1);
        QVERIFY(laid.size().width() > 0);
        QCOMPARE(WrappedText("上\n下", rowFont(), 0).lineCount(), 2);
    }

    // The strike line takes its own colour, across every line of text only.
    void strikeLineInItsOwnColour()
    {
        const WrappedText laid(QString("done ").repeated(12).trimmed(), rowFont(), 120);
        QVERIFY(laid.lineCount() >= 2);
        const QRgb text = qRgb(0, 0, 0), strike = qRgb(255, 0, 0);
        QImage plain(160, int(laid.size().height()), QImage::Format_RGB32);
        plain.fill(Qt::white);
        QImage struck = plain;
        {
            QPainter p(&plain);
            laid.draw(p, QPointF(0, 0), QColor(text));
        }
        {
            QPainter p(&struck);
            p.setRenderHint(QPainter::Antialiasing, false);
            laid.draw(p, QPointF(0, 0), QColor(text), QColor(strike));
        }
        QVERIFY(rowsWith(plain, strike).isEmpty());
        const QList<int> rows = rowsWith(struck, strike);
        QVERIFY(!rows.isEmpty());
        // One stroke through the middle of each line of text.
        const qreal lineSpacing = QFontMetricsF(rowFont()).lineSpacing();
        QSet<int> linesStruck;
        for (int y : rows) {
            const qreal inLine = std::fmod(y, lineSpacing);
            QVERIFY2(inLine > lineSpacing * 0.2 && inLine < lineSpacing * 0.8,
                     qPrintable(QString::number(y)));
            linesStruck.insert(int(y / lineSpacing));
        }
        QCOMPARE(linesStruck.size(), laid.lineCount());
        QVERIFY(!rowsWith(struck, text).isEmpty()); // the text keeps its own colour
    }
};

PRELVANE_TEST_MAIN(TestWrappedText)
#include "tst_wrappedtext.moc"
