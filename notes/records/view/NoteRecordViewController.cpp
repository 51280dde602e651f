#include "notes/records/view/NoteRecordViewController.h"

#include "app/uikit/ControlSkin.h"
#include "notes/records/presenter/NoteCompleteListPresenter.h"
#include "notes/records/presenter/NoteDateListPresenter.h"
#include "notes/records/presenter/NoteLogListPresenter.h"
#include "notes/records/presenter/NoteRecordPresenter.h"
#include "notes/records/view/NoteCompleteListViewController.h"
#include "notes/records/view/NoteDateListViewController.h"
#include "notes/records/view/NoteLogListViewController.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

void fillWhite(QWidget *w)
{
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, Qt::white);
    w->setPalette(p);
}

QString segmentStyle(const QColor &bar)
{
    const QString c = bar.name();
    return QStringLiteral("QPushButton{border:1px solid %1;background:white;color:%1;font-size:12px;"
                          "padding:0 8px;}"
                          "QPushButton:checked{background:%1;color:white;}"
                          "QPushButton#segment0{border-top-left-radius:4px;border-bottom-left-radius:4px;}"
                          "QPushButton#segment2{border-top-right-radius:4px;border-bottom-right-radius:4px;}"
                          "QPushButton#segment1{border-left:none;border-right:none;}")
        .arg(c);
}

} // namespace

NoteRecordViewController::NoteRecordViewController(const Services &services, QWidget *parent)
    : QWidget(parent), m_presenter(new NoteRecordPresenter(services, this))
{
    setObjectName(QStringLiteral("recordsPane"));
    fillWhite(this);

    auto *strip = new QWidget(this);
    strip->setObjectName(QStringLiteral("recordsStrip"));
    strip->setFixedHeight(StripHeight);
    auto *row = new QHBoxLayout(strip);
    row->setContentsMargins(12, 0, 12, 0);
    row->setSpacing(0);
    m_segments = new QButtonGroup(this);
    m_segments->setExclusive(true);
    const QStringList titles = NoteRecordPresenter::segmentTitles();
    for (int i = 0; i < titles.size(); ++i) {
        auto *b = new QPushButton(titles.at(i), strip);
        b->setObjectName(QStringLiteral("segment%1").arg(i));
        b->setCheckable(true);
        b->setFixedHeight(24);
        b->setMinimumWidth(b->fontMetrics().horizontalAdvance(titles.at(i)) + 20);
        b->setCursor(Qt::PointingHandCursor);
        b->setFocusPolicy(Qt::TabFocus);
        m_segments->addButton(b, i);
        row->addWidget(b);
    }
    strip->setStyleSheet(segmentStyle(ControlSkin::barColor()));
    row->addStretch(1);
    for (int i = 0; i < 3; ++i) {
        auto *combo = new QComboBox(strip);
        combo->setObjectName(QStringLiteral("recordsPopUp%1").arg(i));
        combo->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        combo->setMinimumContentsLength(5);
        combo->setFixedHeight(24);
        combo->setStyleSheet(QString());
        m_popUps[i] = combo;
        if (i > 0)
            row->addSpacing(6);
        row->addWidget(combo);
        // Every pop-up reports to the list being shown.
        connect(combo, &QComboBox::activated, m_presenter,
                [this, i](int index) { m_presenter->popUpAction(i, index); });
    }

    m_stack = new QStackedWidget(this);
    auto *dateList = new NoteDateListPresenter(services);
    m_dateList = new NoteDateListViewController(dateList, m_stack);
    m_stack->addWidget(m_dateList);
    auto *completeList = new NoteCompleteListPresenter(services);
    m_completeList = new NoteCompleteListViewController(completeList, m_stack);
    m_stack->addWidget(m_completeList);
    auto *logList = new NoteLogListPresenter(services);
    m_logList = new NoteLogListViewController(logList, m_stack);
    m_stack->addWidget(m_logList);
    m_presenter->setList(NoteRecordPresenter::DueDates, dateList);
    m_presenter->setList(NoteRecordPresenter::Completed, completeList);
    m_presenter->setList(NoteRecordPresenter::History, logList);

    auto *line = new QWidget(this);
    line->setFixedHeight(1);
    line->setAutoFillBackground(true);
    QPalette lp = line->palette();
    lp.setColor(QPalette::Window, ControlSkin::rowFill());
    line->setPalette(lp);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(strip);
    layout->addWidget(line);
    layout->addWidget(m_stack, 1);

    connect(m_segments, &QButtonGroup::idClicked, m_presenter, &NoteRecordPresenter::segmentedAction);
    connect(m_presenter, &NoteRecordPresenter::changed, this, &NoteRecordViewController::render);
    render();
}

QPushButton *NoteRecordViewController::segmentButton(int segment) const
{
    return qobject_cast<QPushButton *>(m_segments->button(segment));
}

void NoteRecordViewController::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A window coming back from the taskbar is no new showing of the pane.
    if (event->spontaneous())
        return;
    // Whenever the pane comes into view its pop-ups start over and the list reads itself again.
    m_presenter->paneShown();
}

void NoteRecordViewController::render()
{
    const int segment = m_presenter->segment();
    if (QAbstractButton *b = m_segments->button(segment)) {
        const QSignalBlocker block(b);
        b->setChecked(true);
    }
    for (int i = 0; i < 3; ++i) {
        QComboBox *combo = m_popUps[i];
        const QSignalBlocker block(combo);
        const QStringList items = m_presenter->items(i);
        QStringList shown;
        for (int k = 0; k < combo->count(); ++k)
            shown << combo->itemText(k);
        if (shown != items) {
            combo->clear();
            combo->addItems(items);
        }
        combo->setCurrentIndex(m_presenter->selectedIndex(i));
        combo->setToolTip(combo->currentText());
    }
    m_popUps[2]->setVisible(m_presenter->isThirdVisible());
    m_stack->setCurrentIndex(segment);
}
