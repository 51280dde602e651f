// The text of a history row with its change spans: which units come out added,
// removed or plain, for spans as the service sends them and for spans that do
// not fit the text.

#include "notes/records/presenter/NoteLogText.h"

#include <QtTest>

namespace {

QVariantMap span(const QVariant &type, const QVariant &start, const QVariant &length)
{
    return {{"diffType", type}, {"diffStartIndex", start}, {"diffLength", length}};
}

// One mark per UTF-16 unit: '.' plain, '+' added, '-' removed, '*' removed and added.
// Fails when the runs do not cover the text from start to end or carry a wrong colour.
QString marks(const NoteLogText &t)
{
    QString out;
    qsizetype at = 0;
    for (const NoteLogText::Run &r : t.runs()) {
        if (r.start != at || r.length <= 0)
            return QStringLiteral("bad run at %1").arg(r.start);
        QChar c = u'.';
        if (r.struck)
            c = r.color == NoteLogText::addedColor() ? u'*' : u'-';
        else if (r.color == NoteLogText::addedColor())
            c = u'+';
        if (r.struck && r.color != NoteLogText::addedColor() && r.color != NoteLogText::removedColor())
            return QStringLiteral("removed text not grey");
        if (!r.struck && r.color.isValid() && r.color != NoteLogText::addedColor())
            return QStringLiteral("wrong colour");
        out += QString(r.length, c);
        at += r.length;
    }
    return at == t.text().size() ? out : QStringLiteral("runs end at %1").arg(at);
}

} // namespace

class TstNoteLogText : public QObject
{
    Q_OBJECT

private slots:
    void spans_data();
    void spans();
    void formatsColourOnlyMarkedRuns();
};

void TstNoteLogText::spans_data()
{
    QTest::addColumn<QString>("content");
    QTest::addColumn<QVariant>("items");
    QTest::addColumn<int>("actionType");
    QTest::addColumn<QString>("expected");

    const QString ten = QStringLiteral("abcdefghij");
    const QVariant none;
    auto list = [](std::initializer_list<QVariantMap> spans) {
        QVariantList l;
        for (const QVariantMap &s : spans)
            l << s;
        return QVariant(l);
    };
    QTest::newRow("insert in the middle") << ten << list({span(1, 3, 4)}) << 2 << "...++++...";
    QTest::newRow("delete in the middle") << ten << list({span(2, 2, 3)}) << 2 << "..---.....";
    QTest::newRow("replace: removed then added")
        << ten << list({span(2, 5, 3), span(1, 0, 2)}) << 2 << "++...---..";
    QTest::newRow("replace side by side") << ten << list({span(2, 4, 2), span(1, 6, 2)}) << 2 << "....--++..";
    QTest::newRow("at the start") << ten << list({span(1, 0, 3)}) << 2 << "+++.......";
    QTest::newRow("at the end") << ten << list({span(2, 7, 3)}) << 2 << ".......---";
    QTest::newRow("overlap: added over removed")
        << ten << list({span(2, 2, 4), span(1, 4, 4)}) << 2 << "..--**++..";
    QTest::newRow("runs past the end: clamped") << ten << list({span(1, 8, 50)}) << 2 << "........++";
    QTest::newRow("starts past the end: dropped")
        << ten << list({span(2, 10, 3), span(2, 40, 1)}) << 2 << "..........";
    QTest::newRow("negative start: clamped") << ten << list({span(1, -2, 4)}) << 2 << "++........";
    QTest::newRow("huge length") << ten << list({span(2, 1, 1e300)}) << 2 << ".---------";
    QTest::newRow("zero length") << ten << list({span(1, 4, 0)}) << 2 << "..........";
    QTest::newRow("numbers as text") << ten << list({span("1", "1", "2")}) << 2 << ".++.......";
    QTest::newRow("no numbers: skipped")
        << ten << list({span(1, "x", 2), span(2, QVariant(), 1)}) << 2 << "..........";
    QTest::newRow("other types ignored") << ten << list({span(3, 0, 5), span(0, 0, 5)}) << 2 << "..........";
    QTest::newRow("not a list") << ten << QVariant(QStringLiteral("x")) << 3 << "..........";
    QTest::newRow("empty list: plain, also deleted") << ten << QVariant(QVariantList()) << 3 << "..........";
    QTest::newRow("no spans: deleted struck whole") << ten << none << 3 << "----------";
    QTest::newRow("no spans: added plain") << ten << none << 1 << "..........";
    QTest::newRow("no spans: other kinds plain") << ten << none << 5 << "..........";
    QTest::newRow("empty text") << QString() << list({span(1, 0, 3)}) << 2 << "";

    // "a😀b😀c": the faces are two units each (1–2 and 4–5).
    const QString faces = QStringLiteral("a\U0001F600b\U0001F600c");
    QTest::newRow("surrogates: span ends inside a pair") << faces << list({span(1, 0, 2)}) << 2 << "+++....";
    QTest::newRow("surrogates: span starts inside a pair")
        << faces << list({span(2, 2, 2)}) << 2 << ".---...";
    QTest::newRow("surrogates: span inside one pair")
        << faces << list({span(1, 5, 0), span(2, 5, 1)}) << 2 << "....--.";
    QTest::newRow("surrogates: clamped at a pair at the end")
        << QStringLiteral("ab\U0001F600") << list({span(1, 3, 9)}) << 2 << "..++";
    QTest::newRow("CJK, one unit each")
        << QStringLiteral("今天开会改到明天") << list({span(2, 0, 2), span(1, 6, 2)}) << 2 << "--....++";
}

void TstNoteLogText::spans()
{
    QFETCH(QString, content);
    QFETCH(QVariant, items);
    QFETCH(int, actionType);
    QFETCH(QString, expected);
    const NoteLogText t = NoteLogText::build(content, items, actionType);
    QCOMPARE(t.text(), content);
    QCOMPARE(marks(t), expected);
    QCOMPARE(t.isPlain(), !expected.contains(QRegularExpression(QStringLiteral("[-+*]"))));
    // No run starts or ends between the halves of a surrogate pair.
    for (const NoteLogText::Run &r : t.runs()) {
        QVERIFY(!content.at(r.start).isLowSurrogate());
        QVERIFY(!content.at(r.start + r.length - 1).isHighSurrogate());
    }
}

void TstNoteLogText::formatsColourOnlyMarkedRuns()
{
    const QVariantList items{span(1, 0, 2), span(2, 5, 3)};
    const NoteLogText t = NoteLogText::build(QStringLiteral("abcdefghij"), items, 2);
    const QList<QTextLayout::FormatRange> f = t.formats();
    QCOMPARE(f.size(), 2);
    QCOMPARE(f[0].start, 0);
    QCOMPARE(f[0].length, 2);
    QCOMPARE(f[0].format.foreground().color(), QColor(0x24, 0x8f, 0xd8));
    QCOMPARE(f[1].start, 5);
    QCOMPARE(f[1].length, 3);
    QCOMPARE(f[1].format.foreground().color(), QColor(0x99, 0x99, 0x99));
}

QTEST_GUILESS_MAIN(TstNoteLogText)
#include "tst_notelogtext.moc"
