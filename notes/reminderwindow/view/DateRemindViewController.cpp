#include "notes/reminderwindow/view/DateRemindViewController.h"

#include "core/reminders/dates/DateManager.h"
#include "notes/reminderwindow/presenter/DateRemindPresenter.h"
#include "notes/reminderwindow/view/ConfirmButtonRow.h"
#include "notes/reminderwindow/view/NoteRemindCalendarController.h"
#include "notes/reminderwindow/view/NoteRemindPicker.h"
#include "notes/reminderwindow/view/NoteRemindRepeatViewController.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The custom repeat's summary: a click opens the popover again.
class SummaryLabel : public QLabel
{
public:
    using QLabel::QLabel;
    std::function<void()> clicked;

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        if (event->button() == Qt::LeftButton && clicked)
            clicked();
    }
};

QToolButton *calendarButton(QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setText(QStringLiteral("日历"));
    button->setToolTip(QStringLiteral("在日历中选择"));
    return button;
}

} // namespace

DateRemindViewController::DateRemindViewController(const NoteRemindModel &remind, const Services &services,
                                                   QWidget *parent)
    : QWidget(parent), m_presenter(new DateRemindPresenter(remind, services, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(8);

    auto *calendars = new QHBoxLayout;
    m_gregorianRadio = new QRadioButton(QStringLiteral("公历"), this);
    m_lunarRadio = new QRadioButton(QStringLiteral("农历"), this);
    auto *group = new QButtonGroup(this);
    group->addButton(m_gregorianRadio);
    group->addButton(m_lunarRadio);
    calendars->addWidget(m_gregorianRadio);
    calendars->addWidget(m_lunarRadio);
    calendars->addStretch();
    layout->addLayout(calendars);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(8);
    m_startCheck = new QCheckBox(QStringLiteral("开始"), this);
    m_startPicker = new NoteRemindPicker(this);
    m_startCalendarButton = calendarButton(this);
    grid->addWidget(m_startCheck, 0, 0, Qt::AlignTop);
    grid->addWidget(m_startPicker, 0, 1, Qt::AlignTop);
    grid->addWidget(m_startCalendarButton, 0, 2, Qt::AlignTop);

    grid->addWidget(new QLabel(QStringLiteral("重复"), this), 1, 0);
    m_cyclePopUp = new QComboBox(this);
    m_cyclePopUp->addItems(DateRemindPresenter::repeatTitles());
    grid->addWidget(m_cyclePopUp, 1, 1, 1, 2);

    auto *summary = new SummaryLabel(this);
    summary->setWordWrap(true);
    summary->setCursor(Qt::PointingHandCursor);
    summary->setForegroundRole(QPalette::Link);
    summary->clicked = [this] { m_presenter->clickSummary(); };
    m_specifyLabel = summary;
    grid->addWidget(m_specifyLabel, 2, 1, 1, 2);

    m_starCheck = new QCheckBox(this);
    grid->addWidget(m_starCheck, 3, 0, 1, 3);

    m_endCheck = new QCheckBox(QStringLiteral("结束"), this);
    m_endPicker = new NoteRemindPicker(this);
    m_endCalendarButton = calendarButton(this);
    grid->addWidget(m_endCheck, 4, 0, Qt::AlignTop);
    grid->addWidget(m_endPicker, 4, 1, Qt::AlignTop);
    grid->addWidget(m_endCalendarButton, 4, 2, Qt::AlignTop);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    layout->addStretch();

    auto *buttons = new ConfirmButtonRow(this);
    QPushButton *cancel = buttons->cancel();
    QPushButton *done = buttons->done();
    layout->addLayout(buttons);

    connect(m_gregorianRadio, &QRadioButton::clicked, this, [this] { m_presenter->setLunar(false); });
    connect(m_lunarRadio, &QRadioButton::clicked, this, [this] { m_presenter->setLunar(true); });
    connect(m_startCheck, &QCheckBox::clicked, m_presenter, &DateRemindPresenter::setStartEnabled);
    connect(m_startPicker, &NoteRemindPicker::dateEdited, m_presenter, &DateRemindPresenter::setStartDate);
    connect(m_startCalendarButton, &QToolButton::clicked, this,
            [this] { m_presenter->openCalendar(DateRemindPresenter::StartDateType); });
    connect(m_cyclePopUp, &QComboBox::activated, m_presenter, &DateRemindPresenter::chooseRepeat);
    connect(m_starCheck, &QCheckBox::clicked, m_presenter, &DateRemindPresenter::setImportant);
    connect(m_endCheck, &QCheckBox::clicked, m_presenter, &DateRemindPresenter::setEndEnabled);
    connect(m_endPicker, &NoteRemindPicker::dateEdited, m_presenter, &DateRemindPresenter::setEndDate);
    connect(m_endCalendarButton, &QToolButton::clicked, this,
            [this] { m_presenter->openCalendar(DateRemindPresenter::EndDateType); });
    connect(cancel, &QPushButton::clicked, m_presenter, &DateRemindPresenter::cancel);
    connect(done, &QPushButton::clicked, m_presenter, &DateRemindPresenter::confirm);

    connect(m_presenter, &DateRemindPresenter::changed, this, &DateRemindViewController::render);
    connect(m_presenter, &DateRemindPresenter::customRepeatRequested, this,
            [this](CalendarIdentifier calendar, const NoteRemindModel &value) {
                openCustomRepeat(int(calendar), value);
            });
    connect(m_presenter, &DateRemindPresenter::calendarRequested, this,
            &DateRemindViewController::openCalendar);
    connect(m_presenter, &DateRemindPresenter::confirmed, this, &DateRemindViewController::confirmed);
    connect(m_presenter, &DateRemindPresenter::closeRequested, this,
            &DateRemindViewController::closeRequested);

    render();
}

void DateRemindViewController::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!event->spontaneous())
        m_presenter->showValue();
}

void DateRemindViewController::render()
{
    const QSignalBlocker b1(m_gregorianRadio), b2(m_lunarRadio), b3(m_startCheck), b4(m_cyclePopUp),
        b5(m_starCheck), b6(m_endCheck);
    m_gregorianRadio->setChecked(!m_presenter->isLunar());
    m_lunarRadio->setChecked(m_presenter->isLunar());
    m_startCheck->setChecked(m_presenter->isStartEnabled());
    m_startPicker->setDateTime(m_presenter->startDate());
    m_endCheck->setChecked(m_presenter->isEndEnabled());
    m_endPicker->setDateTime(m_presenter->endDate());
    // The lunar date beneath each picker, for reading; the pickers edit Gregorian dates.
    const auto hint = [this](const QDateTime &date) {
        return m_presenter->isLunar()
                   ? DateManager::getShowDateWithCalendarIdentifier(CalendarIdentifier::Chinese, date)
                   : QString();
    };
    m_startPicker->setHint(hint(m_presenter->startDate()));
    m_endPicker->setHint(hint(m_presenter->endDate()));
    m_startPicker->setEnabled(m_presenter->isStartEnabled());
    m_startCalendarButton->setEnabled(m_presenter->isStartEnabled());
    m_endPicker->setEnabled(m_presenter->isEndEnabled());
    m_endCalendarButton->setEnabled(m_presenter->isEndEnabled());
    m_cyclePopUp->setCurrentIndex(m_presenter->repeatIndex());
    m_specifyLabel->setText(m_presenter->summary());
    m_specifyLabel->setVisible(!m_presenter->summary().isEmpty());
    m_starCheck->setText(m_presenter->importantTitle());
    m_starCheck->setChecked(m_presenter->isImportant());
}

void DateRemindViewController::openCustomRepeat(int calendar, const NoteRemindModel &remind)
{
    auto *popover = new NoteRemindRepeatViewController(CalendarIdentifier(calendar), remind, this);
    connect(popover, &NoteRemindRepeatViewController::configured, m_presenter,
            &DateRemindPresenter::applyCustomRepeat);
    popover->popUpBeside(m_cyclePopUp);
}

void DateRemindViewController::openCalendar(const QDateTime &date, uint type)
{
    auto *popover = new NoteRemindCalendarController(date, type, this);
    connect(popover, &NoteRemindCalendarController::dateSelected, m_presenter,
            &DateRemindPresenter::applyCalendarDate);
    popover->popUpBeside(type == DateRemindPresenter::StartDateType ? m_startCalendarButton
                                                                    : m_endCalendarButton);
}
