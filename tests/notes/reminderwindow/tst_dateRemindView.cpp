#include "app/services/Services.h"
#include "notes/reminderwindow/presenter/DateRemindPresenter.h"
#include "notes/reminderwindow/presenter/NoteRemindCalendarPresenter.h"
#include "notes/reminderwindow/presenter/NoteRemindRepeatPresenter.h"
#include "notes/reminderwindow/view/DateRemindViewController.h"
#include "notes/reminderwindow/view/NoteRemindCalendarController.h"
#include "notes/reminderwindow/view/NoteRemindPicker.h"
#include "notes/reminderwindow/view/NoteRemindRepeatViewController.h"
#include "platform/base/Clock.h"
#include "tests/support/RecordingFeedback.h"
#include "tests/support/StoreFixture.h"
#include "tests/support/TestEnv.h"
#include "tests/support/TestGraph.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QToolButton>

Q_DECLARE_METATYPE(NoteRemindModel)

namespace {

template <typename T> T *popover()
{
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (auto *p = qobject_cast<T *>(w); p && p->isVisible())
            return p;
    }
    return nullptr;
}

template <typename T> T *byText(QWidget *root, const QString &text)
{
    for (T *w : root->findChildren<T *>()) {
        if (w->text() == text)
            return w;
    }
    return nullptr;
}

QLabel *summaryLabel(QWidget *root)
{
    for (QLabel *l : root->findChildren<QLabel *>()) {
        if (l->wordWrap())
            return l;
    }
    return nullptr;
}

} // namespace

// The date tab driven as a user drives it, through both popovers to a confirmed value.
class TestDateRemindView : public QObject
{
    Q_OBJECT

private slots:
    void init() { QVERIFY(m_store.open(QDateTime(QDate(2026, 12, 1), QTime(9, 0)))); }
    void cleanup()
    {
        m_graph.reset();
        m_store.close();
    }

    void customRepeatThroughThePopover()
    {
        RecordingFeedback feedback;
        NoteRemindModel value;
        value.setRemindRealDateTime(QStringLiteral("2026/12/9 10:15:30"));
        DateRemindViewController tab(value, bundle(feedback));
        QSignalSpy confirmed(&tab, &DateRemindViewController::confirmed);
        tab.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tab));

        auto *repeat = tab.findChild<QComboBox *>();
        QCOMPARE(repeat->currentText(), QStringLiteral("永不"));
        QVERIFY(byText<QCheckBox>(&tab, QStringLiteral("每5分钟提醒")));
        QVERIFY(!summaryLabel(&tab)->isVisible());

        repeat->setCurrentIndex(6);
        emit repeat->activated(6);
        auto *specify = popover<NoteRemindRepeatViewController>();
        QVERIFY(specify);
        specify->presenter()->selectUnit(1);
        specify->presenter()->setInterval(2);
        specify->presenter()->toggle(0);
        specify->presenter()->toggle(2);
        QTest::mouseClick(byText<QPushButton>(specify, QStringLiteral("确定")), Qt::LeftButton);
        QVERIFY(summaryLabel(&tab)->isVisible());
        QCOMPARE(summaryLabel(&tab)->text(), QStringLiteral("2026年12月9日 10:15 每2周 周一、周三"));
        QCOMPARE(repeat->currentText(), QStringLiteral("自定义"));

        QTest::mouseClick(byText<QRadioButton>(&tab, QStringLiteral("农历")), Qt::LeftButton);
        QCOMPARE(summaryLabel(&tab)->text(), QStringLiteral("2026年冬月初一 10:15 每2周 周一、周三"));

        QTest::mouseClick(byText<QPushButton>(&tab, QStringLiteral("确定")), Qt::LeftButton);
        QCOMPARE(confirmed.size(), 1);
        const auto out = confirmed[0][0].value<NoteRemindModel>();
        QCOMPARE(out.remindDateType(), 1u);
        QCOMPARE(out.remindCycleType(), 2u);
        QCOMPARE(out.remindInterval(), 2);
        QCOMPARE(out.remindSpecify(), QStringLiteral("1,3"));
        QCOMPARE(out.remindStartTime(), QStringLiteral("2026/12/9 10:15:30"));
    }

    void calendarButtonFillsThePicker()
    {
        RecordingFeedback feedback;
        NoteRemindModel value;
        value.setRemindRealDateTime(QStringLiteral("2026/12/9 10:15:00"));
        DateRemindViewController tab(value, bundle(feedback));
        tab.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tab));
        const QList<QToolButton *> calendarButtons = tab.findChildren<QToolButton *>();
        QCOMPARE(calendarButtons.size(), 2);
        // The end box is off, so its picker and calendar are too.
        QVERIFY(!calendarButtons[1]->isEnabled());

        QTest::mouseClick(calendarButtons[0], Qt::LeftButton);
        auto *calendar = popover<NoteRemindCalendarController>();
        QVERIFY(calendar);
        QCOMPARE(calendar->presenter()->type(), 0u);
        calendar->presenter()->showNextMonth();
        calendar->presenter()->selectTime(7, 5);
        QTest::mouseClick(byText<QPushButton>(calendar, QStringLiteral("确定")), Qt::LeftButton);

        const QList<NoteRemindPicker *> pickers = tab.findChildren<NoteRemindPicker *>();
        QCOMPARE(pickers[0]->dateTime(), QDateTime(QDate(2027, 1, 9), QTime(7, 5)));
        QCOMPARE(pickers[0]->edit()->dateTime(), QDateTime(QDate(2027, 1, 9), QTime(7, 5)));
        QCOMPARE(tab.presenter()->startDate(), QDateTime(QDate(2027, 1, 9), QTime(7, 5)));
    }

    void typingInThePickerKeepsTheSeconds()
    {
        RecordingFeedback feedback;
        NoteRemindModel value;
        value.setRemindRealDateTime(QStringLiteral("2026/12/9 10:15:30"));
        DateRemindViewController tab(value, bundle(feedback));
        tab.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tab));
        auto *picker = tab.findChildren<NoteRemindPicker *>().first();
        picker->edit()->setFocus();
        picker->edit()->setSelectedSection(QDateTimeEdit::DaySection);
        QTest::keyClick(picker->edit(), Qt::Key_Up);
        QCOMPARE(tab.presenter()->startDate(), QDateTime(QDate(2026, 12, 10), QTime(10, 15, 30)));
    }

    void refusalsKeepTheTabOpen()
    {
        RecordingFeedback feedback;
        NoteRemindModel value;
        value.setRemindRealDateTime(QStringLiteral("2026/12/9 10:15:00"));
        value.setRemindEndTime(QStringLiteral("2026/12/9 10:15:00"));
        DateRemindViewController tab(value, bundle(feedback));
        QSignalSpy confirmed(&tab, &DateRemindViewController::confirmed);
        QSignalSpy closing(&tab, &DateRemindViewController::closeRequested);
        tab.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tab));
        QTest::mouseClick(byText<QPushButton>(&tab, QStringLiteral("确定")), Qt::LeftButton);
        QCOMPARE(feedback.messages(), QStringList{QStringLiteral("结束日期不能小于开始日期")});
        QCOMPARE(confirmed.size(), 0);
        QCOMPARE(closing.size(), 0);

        // Without an end the same value goes through.
        QTest::mouseClick(byText<QCheckBox>(&tab, QStringLiteral("结束")), Qt::LeftButton);
        QTest::mouseClick(byText<QPushButton>(&tab, QStringLiteral("确定")), Qt::LeftButton);
        QCOMPARE(confirmed.size(), 1);
        QVERIFY(confirmed[0][0].value<NoteRemindModel>().remindEndTime().isNull());
        QCOMPARE(closing.size(), 1);
    }

private:
    // An empty store (no settings row): the important interval is the default 5 minutes.
    const Services &bundle(RecordingFeedback &feedback)
    {
        m_graph.reset();
        m_graph = std::make_unique<TestGraph>(m_store, ProgramServices::Parts().use(&feedback));
        return m_graph->services();
    }

    StoreFixture m_store;
    std::unique_ptr<TestGraph> m_graph;
};

PRELVANE_TEST_MAIN(TestDateRemindView)
#include "tst_dateRemindView.moc"
