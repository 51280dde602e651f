#include "settings/view/SkinSettingsTab.h"

#include "notes/categories/view/ClassifyColorGrid.h"
#include "notes/categories/view/ClassifyColorViewItem.h"
#include "settings/presenter/SkinSettingsPresenter.h"
#include "settings/view/SettingsTabStyle.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

SkinSettingsTab::SkinSettingsTab(SkinSettingsPresenter *presenter, QWidget *parent)
    : QWidget(parent), m_presenter(presenter)
{
    setObjectName(QStringLiteral("skinSettingsTab"));
    SettingsTabStyle::stylePage(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(14, 14, 14, 18);
    layout->setSpacing(10);
    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setWidgetResizable(false);
    m_grid =
        new ClassifyColorGrid(m_presenter->skins(), ClassifyColorGrid::Geometry{7, 50, 16, 16}, m_scroll);
    m_grid->setObjectName(QStringLiteral("skinGrid"));
    m_grid->adjustSize();
    m_scroll->setWidget(m_grid);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    // The scroll area fills its widget with the window colour: white, as the tab.
    for (QWidget *w : {static_cast<QWidget *>(m_grid), m_scroll->viewport()}) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Window, Qt::white);
        w->setPalette(pal);
    }
    layout->addWidget(m_scroll, 1);

    auto *row = new QHBoxLayout;
    row->addStretch(1);
    m_confirm = new QPushButton(QStringLiteral("确定"), this);
    m_confirm->setObjectName(QStringLiteral("skinConfirmButton"));
    m_confirm->setFixedSize(88, 30);
    m_confirm->setCursor(Qt::PointingHandCursor);
    m_confirm->setStyleSheet(
        QStringLiteral("QPushButton{background:#007aff;color:white;border:none;border-radius:5px;}"
                       "QPushButton:pressed{background:#d3d3d3;}QPushButton:disabled{background:#9cc7f7;}"));
    row->addWidget(m_confirm);
    row->addStretch(1);
    layout->addLayout(row);

    connect(m_grid, &ClassifyColorGrid::colorChosen, m_presenter, &SkinSettingsPresenter::pick);
    connect(m_confirm, &QPushButton::clicked, m_presenter, &SkinSettingsPresenter::confirm);
    connect(m_presenter, &SkinSettingsPresenter::changed, this, &SkinSettingsTab::render);
    render();
}

void SkinSettingsTab::appear()
{
    const int current = m_presenter->currentIndex();
    m_grid->setChosen(current);
    if (ClassifyColorViewItem *item = m_grid->item(current))
        m_scroll->verticalScrollBar()->setValue(qMax(0, item->y() - 16));
    render();
}

void SkinSettingsTab::render()
{
    m_confirm->setEnabled(!m_presenter->isBusy());
}
