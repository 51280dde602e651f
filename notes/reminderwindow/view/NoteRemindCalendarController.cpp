#include "notes/reminderwindow/view/NoteRemindCalendarController.h"

#include "notes/reminderwindow/presenter/NoteRemindCalendarPresenter.h"
#include "notes/reminderwindow/view/ConfirmButtonRow.h"
#include "notes/reminderwindow/view/NoteRemindCalendarGrid.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton *arrowButton(Qt::ArrowType arrow, const QString &tip, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRaise(true);
    button->setToolTip(tip);
    button->setAccessibleName(tip);
    return button;
}

} // namespace

NoteRemindCalendarController::NoteRemindCalendarController(const QDateTime &currDate, uint type,
                                                           QWidget *parent)
    : RemindPopover(parent), m_presenter(new NoteRemindCalendarPresenter(currDate, type, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 12);
    layout->setSpacing(6);

    auto *header = new QHBoxLayout;
    auto *previous = arrowButton(Qt::LeftArrow, QStringLiteral("上个月"), this);
    auto *next = arrowButton(Qt::RightArrow, QStringLiteral("下个月"), this);
    m_monthLabel = new QLabel(this);
    QFont monthFont = m_monthLabel->font();
    monthFont.setPixelSize(20);
    monthFont.setBold(true);
    m_monthLabel->setFont(monthFont);
    auto *monthUnit = new QLabel(QStringLiteral("月"), this);
    m_yearLabel = new QLabel(this);
    m_yearLabel->setForegroundRole(QPalette::PlaceholderText);
    auto *today = new QPushButton(QStringLiteral("今天"), this);
    today->setAutoDefault(false);
    header->addWidget(previous);
    header->addWidget(m_monthLabel);
    header->addWidget(monthUnit, 0, Qt::AlignBottom);
    header->addWidget(m_yearLabel, 0, Qt::AlignBottom);
    header->addWidget(next);
    header->addStretch();
    header->addWidget(today);
    layout->addLayout(header);

    auto *weekdays = new QHBoxLayout;
    weekdays->setSpacing(0);
    for (const char *name : {"日", "一", "二", "三", "四", "五", "六"}) {
        auto *label = new QLabel(QString::fromUtf8(name), this);
        label->setAlignment(Qt::AlignCenter);
        label->setFixedWidth(NoteRemindCalendarGrid::CellSize);
        label->setForegroundRole(QPalette::PlaceholderText);
        weekdays->addWidget(label);
    }
    layout->addLayout(weekdays);

    m_grid = new NoteRemindCalendarGrid(m_presenter, this);
    layout->addWidget(m_grid, 0, Qt::AlignHCenter);

    auto *timeRow = new QHBoxLayout;
    m_dateLabel = new QLabel(this);
    m_hourPopUp = new QComboBox(this);
    m_hourPopUp->addItems(NoteRemindCalendarPresenter::hourTitles());
    m_hourPopUp->setAccessibleName(QStringLiteral("时"));
    m_minutePopUp = new QComboBox(this);
    m_minutePopUp->addItems(NoteRemindCalendarPresenter::minuteTitles());
    m_minutePopUp->setAccessibleName(QStringLiteral("分"));
    timeRow->addWidget(m_dateLabel, 1);
    timeRow->addWidget(m_hourPopUp);
    timeRow->addWidget(new QLabel(QStringLiteral(":"), this));
    timeRow->addWidget(m_minutePopUp);
    layout->addLayout(timeRow);

    auto *buttons = new ConfirmButtonRow(this);
    QPushButton *cancel = buttons->cancel();
    QPushButton *done = buttons->done();
    layout->addLayout(buttons);

    setTabOrder(previous, next);
    setTabOrder(next, today);
    setTabOrder(today, m_grid);
    setTabOrder(m_grid, m_hourPopUp);
    setTabOrder(m_hourPopUp, m_minutePopUp);
    setTabOrder(m_minutePopUp, cancel);
    setTabOrder(cancel, done);

    connect(previous, &QToolButton::clicked, m_presenter, &NoteRemindCalendarPresenter::showPreviousMonth);
    connect(next, &QToolButton::clicked, m_presenter, &NoteRemindCalendarPresenter::showNextMonth);
    connect(today, &QPushButton::clicked, m_presenter, &NoteRemindCalendarPresenter::showToday);
    connect(m_hourPopUp, &QComboBox::activated, this,
            [this](int hour) { m_presenter->selectTime(hour, m_minutePopUp->currentIndex()); });
    connect(m_minutePopUp, &QComboBox::activated, this,
            [this](int minute) { m_presenter->selectTime(m_hourPopUp->currentIndex(), minute); });
    connect(cancel, &QPushButton::clicked, m_presenter, &NoteRemindCalendarPresenter::cancel);
    connect(done, &QPushButton::clicked, m_presenter, &NoteRemindCalendarPresenter::confirm);
    connect(this, &RemindPopover::acceptRequested, m_presenter, &NoteRemindCalendarPresenter::confirm);

    connect(m_presenter, &NoteRemindCalendarPresenter::changed, this, &NoteRemindCalendarController::render);
    connect(m_presenter, &NoteRemindCalendarPresenter::dateSelected, this,
            &NoteRemindCalendarController::dateSelected);
    connect(m_presenter, &NoteRemindCalendarPresenter::closeRequested, this, &QWidget::close);

    render();
    m_grid->setFocus();
}

void NoteRemindCalendarController::render()
{
    m_monthLabel->setText(m_presenter->monthText());
    m_yearLabel->setText(QString::number(m_presenter->shownYear()));
    m_dateLabel->setText(m_presenter->dateText());
    const QSignalBlocker hourBlocker(m_hourPopUp);
    const QSignalBlocker minuteBlocker(m_minutePopUp);
    m_hourPopUp->setCurrentIndex(m_presenter->hour());
    m_minutePopUp->setCurrentIndex(m_presenter->minute());
    adjustSize();
}
