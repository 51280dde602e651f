#include "core/model/Classify.h"
#include "core/model/NoteDetail.h"
#include "notes/editor/presenter/NoteEditorPresenter.h"
#include "notes/editor/view/AddNoteView.h"
#include "notes/editor/view/EditNoteView.h"
#include "platform/base/AppEvents.h"
#include "platform/store/Context.h"
#include "tests/support/RecordingFeedback.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestGraph.h"

#include "app/uikit/MouseView.h"

#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>

#include <memory>

using Button = NoteEditorPresenter::Button;

class TestEditNoteView : public QObject
{
    Q_OBJECT
private:
    StoreFixture m_fx;
    std::unique_ptr<AppEvents> m_events;
    std::unique_ptr<RecordingFeedback> m_feedback;
    std::unique_ptr<TestGraph> m_graph;
    std::unique_ptr<EditNoteView> m_view;

    Context *ctx() { return m_fx.ctx(); }
    NoteEditorPresenter *presenter() { return m_view->presenter(); }
    NoteDetail *note(const QString &cId) { return ctx()->findFirstByAttribute<NoteDetail>("cId", cId); }
    void show(const QString &cId) { presenter()->showNote({note(cId)->objectId().pk, cId}); }
    QPushButton *button(Button b) { return m_view->button(b); }

    // Pixels of the text area as the window last painted them (offscreen: its backing store), near `color`.
    int shownPixelsNear(const QColor &color)
    {
        QPlainTextEdit *edit = m_view->textEdit();
        const QRect area(edit->viewport()->mapTo(m_view.get(), QPoint(0, 0)), edit->viewport()->size());
        const QImage shown = m_view->screen()->grabWindow(m_view->winId()).toImage().copy(area);
        int near = 0;
        for (int y = 0; y < shown.height(); ++y)
            for (int x = 0; x < shown.width(); ++x) {
                const QColor c = shown.pixelColor(x, y);
                near += qAbs(c.red() - color.red()) + qAbs(c.green() - color.green()) +
                                    qAbs(c.blue() - color.blue()) <
                                60
                            ? 1
                            : 0;
            }
        return near;
    }

private slots:
    void init()
    {
        QVERIFY(m_fx.open(QDateTime(QDate(2026, 3, 6), QTime(10, 0))));
        m_events = std::make_unique<AppEvents>();
        m_feedback = std::make_unique<RecordingFeedback>();
        Classify *work = m_fx.category("k1", "工作");
        work->setSort(1);
        m_fx.category("k2", "生活")->setSort(2);
        NoteDetail *n = m_fx.note("101", work);
        n->setIsSync(true);
        n->setSort(1);
        n->setNextId("-1");
        QVERIFY(ctx()->saveAndWait());
        m_graph = std::make_unique<TestGraph>(
            m_fx, ProgramServices::Parts().use(m_feedback.get()).use(m_events.get()));
        m_view = std::make_unique<EditNoteView>(new NoteEditorPresenter(m_graph->services()));
        m_view->resize(420, 560);
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }

    void cleanup()
    {
        m_view.reset();
        m_graph.reset();
        m_feedback.reset();
        m_events.reset();
        m_fx.close();
    }

    // Typed text, a colour and a category chosen with the mouse reach the note at "确定".
    void typeAndConfirm()
    {
        show("101");
        QVERIFY(m_view->textEdit()->isReadOnly());
        QVERIFY(!button(Button::Cancel)->isVisible());
        QTest::mouseClick(button(Button::Edit), Qt::LeftButton);
        QCOMPARE(button(Button::Edit)->text(), "确定");
        QVERIFY(button(Button::Cancel)->isVisible());
        QVERIFY(!button(Button::Complete)->isVisible());
        QVERIFY(m_view->textEdit()->hasFocus());
        m_view->textEdit()->selectAll();
        QTest::keyClicks(m_view->textEdit(), "milk, 2 L");
        QCOMPARE(note("101")->content(), "内容 101");

        QTest::mouseClick(m_view->textColorNameLabel(), Qt::LeftButton);
        QTRY_VERIFY(m_view->colorMenu()->isVisible());
        m_view->colorMenu()->actions().at(1)->trigger();
        m_view->colorMenu()->hide();
        QCOMPARE(m_view->textColorNameLabel()->text(), presenter()->colors().at(1).title);
        QCOMPARE(m_view->textEdit()->palette().color(QPalette::Text),
                 QColor(presenter()->colors().at(1).color));

        QVERIFY(m_view->classifyBox()->isEnabled());
        QCOMPARE(m_view->classifyBox()->count(), 2);
        m_view->classifyBox()->setFocus();
        QTest::keyClick(m_view->classifyBox(), Qt::Key_Down);

        QTest::mouseClick(button(Button::Edit), Qt::LeftButton);
        NoteDetail *n = note("101");
        QCOMPARE(n->content(), "milk, 2 L");
        QCOMPARE(n->fontColor(), presenter()->colors().at(1).color);
        QCOMPARE(n->classId(), "k2");
        QVERIFY(!n->isSync());
        QCOMPARE(button(Button::Edit)->text(), "编辑");
        QVERIFY(m_view->textEdit()->isReadOnly());
        QVERIFY(!m_view->classifyBox()->isEnabled());
    }

    // A colour chosen while editing shows on the text at once, before "确定".
    void aChosenColourShowsAtOnce()
    {
        show("101");
        QTest::mouseClick(button(Button::Edit), Qt::LeftButton);
        QTest::keyClicks(m_view->textEdit(), "WWWW MMMM WWWW");
        const QColor chosen(presenter()->colors().at(6).color);
        QTRY_VERIFY(shownPixelsNear(QColor(presenter()->colorValue())) > 20);
        QCOMPARE(shownPixelsNear(chosen), 0);

        QTest::mouseClick(m_view->textColorNameLabel(), Qt::LeftButton);
        QTRY_VERIFY(m_view->colorMenu()->isVisible());
        m_view->colorMenu()->actions().at(6)->trigger();
        m_view->colorMenu()->hide();
        QVERIFY(presenter()->isEditing());
        QTRY_VERIFY(shownPixelsNear(chosen) > 20);
        QVERIFY(note("101")->fontColor() != presenter()->colors().at(6).color); // not stored yet
    }

    // Escape leaves the edit state without storing; in the view state the colour menu stays shut.
    void escapeCancels()
    {
        show("101");
        QTest::mouseClick(button(Button::Edit), Qt::LeftButton);
        QTest::keyClicks(m_view->textEdit(), " more");
        QTest::keyClick(m_view->textEdit(), Qt::Key_Escape);
        QVERIFY(!presenter()->isEditing());
        QCOMPARE(m_view->textEdit()->toPlainText(), "内容 101");
        QCOMPARE(note("101")->content(), "内容 101");
        QTest::mouseClick(m_view->textColorNameLabel(), Qt::LeftButton);
        QVERIFY(!m_view->colorMenu()->isVisible());
    }

    // The reminder line asks for the reminder window only while editing.
    void reminderLineClick()
    {
        QSignalSpy wanted(presenter(), &NoteEditorPresenter::remindWanted);
        show("101");
        QCOMPARE(m_view->dateLabel()->text(), "设置提醒");
        QTest::mouseClick(m_view->dateLabel(), Qt::LeftButton);
        QCOMPARE(wanted.size(), 0);
        QTest::mouseClick(button(Button::Edit), Qt::LeftButton);
        QTest::mouseClick(m_view->dateLabel(), Qt::LeftButton);
        QCOMPARE(wanted.size(), 1);
        // From the keyboard: Tab leaves the text for the reminder line, Space opens it.
        QVERIFY(m_view->textEdit()->hasFocus());
        QTest::keyClick(m_view->textEdit(), Qt::Key_Tab);
        QVERIFY(m_view->dateView()->hasFocus());
        QTest::keyClick(m_view->dateView(), Qt::Key_Space);
        QCOMPARE(wanted.size(), 2);
        QCOMPARE(presenter()->text(), "内容 101");
    }

    // The empty state's button and its text both ask for a new note.
    void addNoteView()
    {
        AddNoteView add;
        add.resize(300, 400);
        add.show();
        QVERIFY(QTest::qWaitForWindowExposed(&add));
        QSignalSpy clicked(&add, &AddNoteView::addNoteClicked);
        QTest::mouseClick(add.addNoteButton(), Qt::LeftButton);
        QTest::mouseClick(add.detailTextLabel(), Qt::LeftButton);
        QCOMPARE(clicked.size(), 2);
    }
};

PRELVANE_TEST_MAIN(TestEditNoteView)
#include "tst_editnoteview.moc"
