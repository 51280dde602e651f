#include "notes/search/view/NoteSearchViewController.h"

#include "app/uikit/ControlSkin.h"
#include "app/uikit/RowListView.h"
#include "notes/list/view/NoteRowDelegate.h"
#include "notes/records/view/NoteLogCellDelegate.h"
#include "notes/search/presenter/NoteSearchModel.h"
#include "notes/search/presenter/NoteSearchPresenter.h"

#include <QButtonGroup>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QVBoxLayout>

NoteSearchViewController::NoteSearchViewController(const Services &services, QWidget *parent)
    : QWidget(parent), m_presenter(new NoteSearchPresenter(services, this))
{
    setObjectName(QStringLiteral("searchPane"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    m_presenter->setFeedbackAnchor(this);

    m_searchView = new QFrame(this);
    m_searchView->setObjectName(QStringLiteral("searchView"));
    m_searchView->setFixedHeight(30);
    m_searchField = new QLineEdit(m_searchView);
    m_searchField->setObjectName(QStringLiteral("searchField"));
    m_searchField->setFrame(false);
    m_searchField->setClearButtonEnabled(true);
    m_searchButton = new QPushButton(QStringLiteral("搜索"), m_searchView);
    m_searchButton->setObjectName(QStringLiteral("searchButton"));
    m_searchButton->setFixedSize(64, 28);
    m_searchButton->setCursor(Qt::PointingHandCursor);
    auto *field = new QHBoxLayout(m_searchView);
    field->setContentsMargins(8, 1, 1, 1);
    field->setSpacing(4);
    field->addWidget(m_searchField, 1);
    field->addWidget(m_searchButton);

    m_localCheck = new QRadioButton(QStringLiteral("本地便签"), this);
    m_localCheck->setObjectName(QStringLiteral("localCheckButton"));
    m_logCheck = new QRadioButton(QStringLiteral("编辑历史"), this);
    m_logCheck->setObjectName(QStringLiteral("logCheckButton"));
    auto *scopes = new QButtonGroup(this);
    scopes->setExclusive(true);
    scopes->addButton(m_localCheck, int(NoteSearchPresenter::Scope::Notes));
    scopes->addButton(m_logCheck, int(NoteSearchPresenter::Scope::History));
    auto *scopeRow = new QHBoxLayout;
    scopeRow->setContentsMargins(0, 0, 0, 0);
    scopeRow->setSpacing(16);
    scopeRow->addWidget(m_localCheck);
    scopeRow->addWidget(m_logCheck);
    scopeRow->addStretch(1);

    m_tipLabel = new QLabel(this);
    m_tipLabel->setObjectName(QStringLiteral("tipLabel"));
    QPalette tp = m_tipLabel->palette();
    tp.setColor(QPalette::WindowText, QColor(0xff, 0x33, 0x00));
    m_tipLabel->setPalette(tp);
    scopeRow->addWidget(m_tipLabel);

    m_list = RowListView::create(QStringLiteral("searchTableView"), this);
    m_list->setMouseTracking(true);
    m_list->viewport()->setAttribute(Qt::WA_Hover);
    m_noteRows = new NoteRowDelegate(m_list);
    m_logRows = new NoteLogCellDelegate(m_list);
    m_list->viewport()->installEventFilter(this);
    m_list->setItemDelegate(m_noteRows);
    m_list->setModel(m_presenter->model());

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 0);
    layout->setSpacing(10);
    layout->addWidget(m_searchView);
    layout->addLayout(scopeRow);
    layout->addWidget(m_list, 1);
    layout->addStretch(0);

    connect(m_searchButton, &QPushButton::clicked, this,
            [this] { m_presenter->searchButtonAction(m_searchField->text()); });
    connect(m_searchField, &QLineEdit::returnPressed, this,
            [this] { m_presenter->searchButtonAction(m_searchField->text()); });
    connect(scopes, &QButtonGroup::idClicked, this,
            [this](int id) { m_presenter->chooseScope(NoteSearchPresenter::Scope(id)); });
    connect(m_presenter, &NoteSearchPresenter::stateChanged, this, &NoteSearchViewController::showState);
    connect(m_presenter->model(), &QAbstractItemModel::modelReset, this,
            &NoteSearchViewController::showState);
    connect(m_list, &QWidget::customContextMenuRequested, this, &NoteSearchViewController::openRowMenu);
    confSkinControl();
    showState();
}

void NoteSearchViewController::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // A window coming back from the taskbar is no new showing of the pane.
    if (event->spontaneous())
        return;
    confSkinControl();
    m_presenter->viewWillAppear();
    m_searchField->setFocus();
}

bool NoteSearchViewController::eventFilter(QObject *watched, QEvent *event)
{
    // History rows are as tall as their text at the table's width.
    if (watched == m_list->viewport() && event->type() == QEvent::Resize)
        m_logRows->setRowWidth(m_list->viewport()->width());
    return QWidget::eventFilter(watched, event);
}

void NoteSearchViewController::confSkinControl()
{
    QColor color = ControlSkin::barColor();
    color.setAlphaF(0.8f);
    const QString rgba = QStringLiteral("rgba(%1,%2,%3,%4)")
                             .arg(color.red())
                             .arg(color.green())
                             .arg(color.blue())
                             .arg(color.alpha());
    m_searchView->setStyleSheet(
        QStringLiteral("QFrame#searchView{border:1px solid %1;border-radius:2px;background:white;}")
            .arg(rgba));
    m_searchButton->setStyleSheet(
        QStringLiteral("QPushButton{color:white;background:%1;border:none;border-radius:1px;}").arg(rgba));
}

void NoteSearchViewController::showState()
{
    const bool history = m_presenter->scope() == NoteSearchPresenter::Scope::History;
    {
        const QSignalBlocker a(m_localCheck);
        const QSignalBlocker b(m_logCheck);
        (history ? m_logCheck : m_localCheck)->setChecked(true);
    }
    m_tipLabel->setText(m_presenter->tip());
    // The hits are painted as their own scope's rows.
    const bool logRows = m_presenter->model()->scope() == NoteSearchPresenter::Scope::History;
    QAbstractItemDelegate *wanted = logRows ? static_cast<QAbstractItemDelegate *>(m_logRows) : m_noteRows;
    if (m_list->itemDelegate() != wanted)
        m_list->setItemDelegate(wanted);
    m_list->setVisible(m_presenter->isListShown());
}

void NoteSearchViewController::openRowMenu(const QPoint &pos)
{
    const QModelIndex index = m_list->indexAt(pos);
    if (QMenu *menu = buildRowMenu(index.isValid() ? index.row() : -1))
        menu->popup(m_list->viewport()->mapToGlobal(pos));
}

QMenu *NoteSearchViewController::buildRowMenu(int row)
{
    const NoteSearchMenu model = m_presenter->openMenu(row);
    if (!model.isVisible())
        return nullptr;
    auto *menu = new QMenu(this);
    menu->setObjectName(QStringLiteral("searchRowMenu"));
    menu->setAttribute(Qt::WA_DeleteOnClose);
    QPointer<NoteSearchPresenter> presenter = m_presenter;
    // The row is found again by key when the item is chosen: the hits may have moved meanwhile.
    const qint64 key = m_presenter->model()->keyAt(row);
    for (const NoteSearchMenu::Item &item : model.items()) {
        QAction *action = menu->addAction(item.title);
        action->setData(item.tag);
        connect(action, &QAction::triggered, menu, [presenter, key, tag = item.tag] {
            if (presenter)
                presenter->triggerMenuItem(presenter->model()->rowOfKey(key), tag);
        });
    }
    return menu;
}
