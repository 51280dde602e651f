// The edit-history row: its badge and device image by the record's values, its
// height at a width (the painter's quick measure agrees with the wrapped
// layout), and the spans as they come out in the painted pixels.

#include "app/uikit/AppImages.h"
#include "notes/records/presenter/NoteLogCell.h"
#include "notes/records/presenter/NoteLogCellLayout.h"
#include "notes/records/view/NoteLogCellDelegate.h"

#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QStandardItemModel>
#include <QTextLayout>
#include <QtTest>

namespace {

NoteLogCell cell(qint64 key, const QString &text, const QVariant &items = {}, int actionType = 2)
{
    NoteLogCell c;
    c.key = key;
    c.createTime = QStringLiteral("2026/3/2 9:15:00");
    c.classifyName = QStringLiteral("工作");
    c.actionType = actionType;
    c.terminalId = 7;
    c.text = NoteLogText::build(text, items, actionType);
    return c;
}

bool near(QRgb a, const QColor &b)
{
    return std::abs(qRed(a) - b.red()) < 40 && std::abs(qGreen(a) - b.green()) < 40 &&
           std::abs(qBlue(a) - b.blue()) < 40 && (qRed(a) + qGreen(a) + qBlue(a)) < 600;
}

// Whether a pixel of that colour lies in the columns [x1, x2) of the rows [y1, y2).
bool hasColour(const QImage &img, int x1, int x2, int y1, int y2, const QColor &c)
{
    for (int y = std::max(0, y1); y < std::min(img.height(), y2); ++y)
        for (int x = std::max(0, x1); x < std::min(img.width(), x2); ++x)
            if (near(img.pixel(x, y), c))
                return true;
    return false;
}

} // namespace

class TstNoteLogCell : public QObject
{
    Q_OBJECT

private slots:
    void badgesAndImages_data();
    void badgesAndImages();
    void heights_data();
    void heights();
    void heightFollowsTheWidth();
    void paintsTheSpans();
};

void TstNoteLogCell::badgesAndImages_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<QString>("badge");
    QTest::addColumn<QString>("color");
    QTest::addColumn<QString>("image");
    QTest::newRow("1") << 1 << "新增"
                       << "#e38a04"
                       << "note_web";
    QTest::newRow("2") << 2 << "修改"
                       << "#248fd8"
                       << "note_pc";
    QTest::newRow("3") << 3 << "删除"
                       << "#e35d5d"
                       << "note_ios";
    QTest::newRow("4") << 4 << "管理"
                       << "#6e6e6e"
                       << "note_android";
    QTest::newRow("5") << 5 << "管理"
                       << "#6e6e6e"
                       << "note_web";
    QTest::newRow("6") << 6 << "管理"
                       << "#6e6e6e"
                       << "note_ipad";
    QTest::newRow("7") << 7 << "管理"
                       << "#6e6e6e"
                       << "note_mac";
    QTest::newRow("0") << 0 << "管理"
                       << "#6e6e6e"
                       << "note_web";
    QTest::newRow("-1") << -1 << "管理"
                        << "#6e6e6e"
                        << "note_web";
}

void TstNoteLogCell::badgesAndImages()
{
    QFETCH(int, value);
    QFETCH(QString, badge);
    QFETCH(QString, color);
    QFETCH(QString, image);
    QCOMPARE(NoteLogCell::badgeText(value), badge);
    QCOMPARE(NoteLogCell::badgeColor(value).name(), color);
    QCOMPARE(NoteLogCell::terminalImage(value), image);
    // The image is one of ours and draws.
    const QPixmap p = AppImages::pixmap(image, QSize(16, 16), 2.0);
    QVERIFY(!p.isNull());
    QCOMPARE(p.size(), QSize(32, 32));
}

void TstNoteLogCell::heights_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");
    const QString longLine =
        QStringLiteral("明天上午十点在三楼会议室讨论下一季度的预算安排，记得带上报表和去年的对比数据。")
            .repeated(3);
    const QString word = QString(300, u'x');
    for (int width : {80, 200, 420, 900}) {
        const QByteArray w = QByteArray::number(width);
        QTest::newRow("empty " + w) << QString() << width;
        QTest::newRow("short " + w) << QStringLiteral("买牛奶") << width;
        QTest::newRow("long " + w) << longLine << width;
        QTest::newRow("one long word " + w) << word << width;
        QTest::newRow("line breaks " + w) << QStringLiteral("第一行\n第二行\n\n第四行") << width;
        QTest::newRow("faces " + w) << QStringLiteral("\U0001F600").repeated(40) << width;
    }
}

void TstNoteLogCell::heights()
{
    QFETCH(QString, text);
    QFETCH(int, width);
    NoteLogCellDelegate delegate;
    delegate.setRowWidth(width);
    const NoteLogCell c = cell(1, text);
    const int expected = NoteLogCellLayout::rowHeight(text, width);
    QCOMPARE(delegate.rowHeight(c), expected);
    // Asked again (from the cache) and through the view's call.
    QCOMPARE(delegate.rowHeight(c), expected);
    QStandardItemModel model(1, 1);
    model.setData(model.index(0, 0), QVariant::fromValue(c), NoteLogCell::Role);
    QCOMPARE(delegate.sizeHint(QStyleOptionViewItem(), model.index(0, 0)).height(), expected);

    // The rule itself: the wrapped text's lines, at least 17, plus 41.
    QTextLayout layout(QString(text).replace(u'\n', QChar::LineSeparator), NoteLogCellLayout::textFont());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    int lines = 0;
    for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine(), ++lines)
        l.setLineWidth(std::max(1, width - 60));
    layout.endLayout();
    const qreal spacing = QFontMetricsF(NoteLogCellLayout::textFont()).lineSpacing();
    QCOMPARE(expected, std::max(17, int(std::ceil(std::max(1, lines) * spacing))) + 41);
}

void TstNoteLogCell::heightFollowsTheWidth()
{
    NoteLogCellDelegate delegate;
    const NoteLogCell c = cell(9, QStringLiteral("很长的一段文字").repeated(12));
    delegate.setRowWidth(900);
    const int wide = delegate.rowHeight(c);
    QSignalSpy relayout(&delegate, &NoteLogCellDelegate::sizeHintChanged);
    delegate.setRowWidth(200);
    QCOMPARE(relayout.size(), 1);
    const int narrow = delegate.rowHeight(c);
    QVERIFY2(narrow > wide, qPrintable(QStringLiteral("%1 vs %2").arg(narrow).arg(wide)));
    QCOMPARE(narrow, NoteLogCellLayout::rowHeight(c.text.text(), 200));
    // The same key with another text is measured again.
    const NoteLogCell shorter = cell(9, QStringLiteral("短"));
    QCOMPARE(delegate.rowHeight(shorter), NoteLogCellLayout::rowHeight(QStringLiteral("短"), 200));
    delegate.setRowWidth(200);
    QCOMPARE(relayout.size(), 1); // the same width changes nothing
}

void TstNoteLogCell::paintsTheSpans()
{
    // Ten letters: the first two added, the sixth to eighth removed.
    const QString text = QStringLiteral("abcdefghij");
    const QVariantList items{QVariantMap{{"diffType", 1}, {"diffStartIndex", 0}, {"diffLength", 2}},
                             QVariantMap{{"diffType", 2}, {"diffStartIndex", 5}, {"diffLength", 3}}};
    const NoteLogCell c = cell(3, text, items);
    NoteLogCellDelegate delegate;
    const int width = 400;
    delegate.setRowWidth(width);
    QStandardItemModel model(1, 1);
    model.setData(model.index(0, 0), QVariant::fromValue(c), NoteLogCell::Role);
    const int height = delegate.rowHeight(c);
    QImage img(width, height, QImage::Format_RGB32);
    img.fill(Qt::black);
    {
        QPainter p(&img);
        QStyleOptionViewItem option;
        option.rect = QRect(0, 0, width, height);
        delegate.paint(&p, option, model.index(0, 0));
    }
    const NoteLogCellLayout::Geometry g =
        NoteLogCellLayout::geometry(QRect(0, 0, width, height), c.createTime, c.classifyName, c.badge());
    QTextLayout layout(text, NoteLogCellLayout::textFont());
    layout.beginLayout();
    QTextLine line = layout.createLine();
    line.setLineWidth(g.text.width());
    layout.endLayout();
    const auto x = [&](int i) { return g.text.left() + int(std::round(line.cursorToX(i))); };
    const int top = g.text.top();
    const int bottom = g.text.top() + int(line.height());
    const QColor blue(0x24, 0x8f, 0xd8), red(0xe3, 0x5d, 0x5d), grey(0x99, 0x99, 0x99),
        plain(0x33, 0x33, 0x33);
    QVERIFY(hasColour(img, x(0), x(2), top, bottom, blue));
    QVERIFY(!hasColour(img, x(2), x(5), top, bottom, blue));
    QVERIFY(hasColour(img, x(2), x(5), top, bottom, plain));
    QVERIFY(hasColour(img, x(5) + 1, x(8) - 1, top, bottom, red));
    QVERIFY(hasColour(img, x(5), x(8), top, bottom, grey));
    QVERIFY(!hasColour(img, x(0), x(5) - 1, top, bottom, red));
    QVERIFY(!hasColour(img, x(8) + 1, x(10), top, bottom, red));
    // The badge is painted in the kind's colour.
    QVERIFY(hasColour(img, g.badge.left(), g.badge.right(), g.badge.top(), g.badge.bottom(), blue));
}

QTEST_MAIN(TstNoteLogCell)
#include "tst_notelogcell.moc"
