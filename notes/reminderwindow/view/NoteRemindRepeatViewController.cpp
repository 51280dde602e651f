#include "notes/reminderwindow/view/NoteRemindRepeatViewController.h"

#include "notes/reminderwindow/presenter/NoteRemindRepeatPresenter.h"
#include "notes/reminderwindow/view/ConfirmButtonRow.h"
#include "notes/reminderwindow/view/NoteRepeatRemindGrid.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

NoteRemindRepeatViewController::NoteRemindRepeatViewController(CalendarIdentifier calendar,
                                                               const NoteRemindModel &remind, QWidget *parent)
    : RemindPopover(parent), m_presenter(new NoteRemindRepeatPresenter(calendar, remind, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(8);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    auto *form = new QFormLayout;
    form->setLabelAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_unitPopUp = new QComboBox(this);
    m_unitPopUp->addItems(NoteRemindRepeatPresenter::unitTitles());
    form->addRow(QStringLiteral("频率"), m_unitPopUp);

    auto *intervalRow = new QHBoxLayout;
    m_intervalBox = new QSpinBox(this);
    m_intervalBox->setRange(NoteRemindRepeatPresenter::MinimumInterval,
                            NoteRemindRepeatPresenter::MaximumInterval);
    m_intervalBox->setAccessibleName(QStringLiteral("间隔"));
    m_cycleNameLabel = new QLabel(this);
    intervalRow->addWidget(m_intervalBox);
    intervalRow->addWidget(m_cycleNameLabel);
    intervalRow->addStretch();
    form->addRow(QStringLiteral("每"), intervalRow);
    m_grid = new NoteRepeatRemindGrid(m_presenter, this);
    // As wide with or without a grid, so that changing the unit does not make the popover jump.
    auto *controls = new QWidget(this);
    controls->setMinimumWidth(m_grid->sizeHint().width());
    controls->setLayout(form);
    form->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(controls);
    layout->addWidget(m_grid, 0, Qt::AlignHCenter);

    auto *buttons = new ConfirmButtonRow(this);
    QPushButton *cancel = buttons->cancel();
    QPushButton *done = buttons->done();
    layout->addLayout(buttons);

    setTabOrder(m_unitPopUp, m_intervalBox);
    setTabOrder(m_intervalBox, m_grid);
    setTabOrder(m_grid, cancel);
    setTabOrder(cancel, done);

    connect(m_unitPopUp, &QComboBox::activated, m_presenter, &NoteRemindRepeatPresenter::selectUnit);
    // The box is filled under a signal blocker, so only the user's typing and stepping reach the presenter.
    connect(m_intervalBox, &QSpinBox::valueChanged, m_presenter, &NoteRemindRepeatPresenter::setInterval);
    connect(cancel, &QPushButton::clicked, m_presenter, &NoteRemindRepeatPresenter::cancel);
    connect(done, &QPushButton::clicked, this, [this] {
        // A value still being typed counts.
        m_intervalBox->interpretText();
        m_presenter->confirm();
    });
    connect(this, &RemindPopover::acceptRequested, done, &QPushButton::click);

    connect(m_presenter, &NoteRemindRepeatPresenter::changed, this, &NoteRemindRepeatViewController::render);
    connect(m_presenter, &NoteRemindRepeatPresenter::configured, this,
            &NoteRemindRepeatViewController::configured);
    connect(m_presenter, &NoteRemindRepeatPresenter::closeRequested, this, &QWidget::close);

    render();
    m_unitPopUp->setFocus();
}

void NoteRemindRepeatViewController::render()
{
    {
        const QSignalBlocker unitBlocker(m_unitPopUp);
        const QSignalBlocker intervalBlocker(m_intervalBox);
        m_unitPopUp->setCurrentIndex(m_presenter->unitIndex());
        m_intervalBox->setValue(m_presenter->interval());
    }
    m_cycleNameLabel->setText(m_presenter->unitTitle());
    m_grid->setVisible(m_presenter->hasGrid());
}
