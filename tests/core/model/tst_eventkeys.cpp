#include "core/model/Classify.h"
#include "core/model/EventKeys.h"
#include "core/model/NoteDetail.h"
#include "platform/store/Context.h"
#include "platform/store/Store.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TestEnv.h"

class TestEventKeys : public QObject
{
    Q_OBJECT
    StoreFixture m_fx;

private slots:
    void init() { QVERIFY(m_fx.open(QDateTime(QDate(2026, 3, 1), QTime(9, 0)))); }
    void cleanup() { m_fx.close(); }

    void keysFindTheirRowsInAnyContext()
    {
        Classify *work = m_fx.category("k1", "工作");
        NoteDetail *note = m_fx.note("c1", work);
        QVERIFY(m_fx.ctx()->saveAndWait());
        const CategoryKey workKey = EventKeys::of(work);
        const NoteKey noteKey = EventKeys::of(note);
        QCOMPARE(workKey.classId, QString("k1"));
        QVERIFY(workKey.pk > 0);
        QCOMPARE(noteKey.cId, QString("c1"));
        QVERIFY(EventKeys::of(static_cast<NoteDetail *>(nullptr)).isNull());

        QCOMPARE(EventKeys::find(*m_fx.ctx(), workKey), work);
        QCOMPARE(EventKeys::find(*m_fx.ctx(), noteKey), note);
        std::unique_ptr<Context> other = m_fx.store()->newContext();
        NoteDetail *there = EventKeys::find(*other, noteKey);
        QVERIFY(there && there != note);
        QCOMPARE(there->cId(), QString("c1"));
    }

    void aReplacedRowIsFoundByItsIdAndAGoneOneNotAtAll()
    {
        NoteDetail *note = m_fx.note("c1");
        QVERIFY(m_fx.ctx()->saveAndWait());
        const NoteKey key = EventKeys::of(note);

        // A full pull made the note again: another store key, the same cId.
        m_fx.ctx()->deleteObject(note);
        NoteDetail *again = m_fx.note("c1");
        QVERIFY(m_fx.ctx()->saveAndWait());
        QVERIFY(EventKeys::of(again).pk != key.pk);
        QCOMPARE(EventKeys::find(*m_fx.ctx(), key), again);

        // A store key whose row now holds another note does not name it.
        QCOMPARE(EventKeys::find(*m_fx.ctx(), NoteKey{EventKeys::of(again).pk, "c2"}), nullptr);
        m_fx.ctx()->deleteObject(again);
        QVERIFY(m_fx.ctx()->saveAndWait());
        QCOMPARE(EventKeys::find(*m_fx.ctx(), key), nullptr);
        QCOMPARE(EventKeys::find(*m_fx.ctx(), NoteKey{}), nullptr);
        QCOMPARE(EventKeys::find(*m_fx.ctx(), CategoryKey{0, "nope"}), nullptr);
    }
};

PRELVANE_TEST_CORE_MAIN(TestEventKeys)
#include "tst_eventkeys.moc"
