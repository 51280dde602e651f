// The completed list's row heights: one line of text at least, the text's
// wrapped height at the row's width less 51, plus 38 for the margins and the
// completion line; a width change is a new height, not the one kept before.

#include "notes/records/presenter/NoteCompleteListModel.h"
#include "notes/records/view/NoteCompleteRowDelegate.h"
#include "tests/support/TestEnv.h"

#include <QStandardItemModel>
#include <QStyleOptionViewItem>

namespace {

const QString longText = QStringLiteral(
    "整理上个月的发票和报销单据,一起交给财务部的王老师,顺便问一下差旅补贴的新标准是什么时候开始执行的");

QStandardItem *record(qint64 key, const QString &text)
{
    auto *item = new QStandardItem(text);
    item->setData(key, NoteCompleteListModel::KeyRole);
    return item;
}

int hintAt(const NoteCompleteRowDelegate &d, const QModelIndex &index, int width)
{
    QStyleOptionViewItem option;
    option.rect = QRect(0, 0, width, 10);
    return d.sizeHint(option, index).height();
}

} // namespace

class TstCompleteRowDelegate : public QObject
{
    Q_OBJECT

private slots:
    void heights_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("lines"); // lines of 13-pixel text the row must hold, at least
        QTest::newRow("empty text: one line") << QString() << 600 << 1;
        QTest::newRow("short text: one line") << QStringLiteral("交水电费") << 600 << 1;
        QTest::newRow("long text, wide row") << longText << 900 << 1;
        QTest::newRow("long text, narrow row") << longText << 300 << 3;
        QTest::newRow("line breaks") << QStringLiteral("一\n二\n三\n四") << 600 << 4;
        QTest::newRow("narrower than the margins") << QStringLiteral("交水电费") << 20 << 1;
    }

    void heights()
    {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(int, lines);
        const NoteCompleteRowDelegate d;
        const int h = d.rowHeight(text, width);
        QCOMPARE(h, d.textHeight(text, width) + 38);
        QVERIFY(h >= 17 + 38);
        QFont f = QApplication::font();
        f.setPixelSize(13);
        QVERIFY2(h - 38 >= lines * QFontMetrics(f).lineSpacing() - 2, qPrintable(QString::number(h)));
        // The text fits its rectangle: nothing drawn below the row's text area is cut.
        const QRect need = QFontMetrics(f).boundingRect(
            QRect(0, 0, std::max(1, width - NoteCompleteRowDelegate::TextMargin), 1 << 20), Qt::TextWordWrap,
            text);
        QVERIFY(h - 38 >= need.height());
    }

    void aWidthChangeIsANewHeight()
    {
        QStandardItemModel model;
        model.appendRow(record(1, longText));
        model.appendRow(record(2, QStringLiteral("交水电费")));
        const NoteCompleteRowDelegate d;
        const QModelIndex a = model.index(0, 0), b = model.index(1, 0);
        const int wide = hintAt(d, a, 900);
        const int narrow = hintAt(d, a, 300);
        QVERIFY(narrow > wide);
        QCOMPARE(hintAt(d, a, 900), wide);
        QCOMPARE(hintAt(d, b, 300), d.rowHeight(QStringLiteral("交水电费"), 300));
        QVERIFY(hintAt(d, b, 300) < narrow);
        // The same key with another record (after a sign-out) is measured again.
        model.setData(a, QStringLiteral("短"), Qt::DisplayRole);
        QCOMPARE(hintAt(d, a, 300), d.rowHeight(QStringLiteral("短"), 300));
        QVERIFY(hintAt(d, a, 300) < narrow);
    }
};

PRELVANE_TEST_MAIN(TstCompleteRowDelegate)
#include "tst_completerowdelegate.moc"
