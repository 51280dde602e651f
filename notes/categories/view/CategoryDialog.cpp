#include "notes/categories/view/CategoryDialog.h"

#include "notes/categories/presenter/CategoryDialogPresenter.h"
#include "notes/categories/view/ClassifyColorGrid.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QLabel *caption(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setStyleSheet(QStringLiteral("color:#666666;"));
    return label;
}

} // namespace

CategoryDialog::CategoryDialog(CategoryDialogPresenter *presenter, QWidget *parent)
    : QDialog(parent), m_presenter(presenter)
{
    setObjectName(QStringLiteral("categoryDialog"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::WindowModal);
    setWindowTitle(presenter->windowTitle());
    presenter->setParent(this);
    presenter->setToastAnchor(parent);

    QFont font = this->font();
    font.setPixelSize(13);
    setFont(font);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 16);
    layout->setSpacing(8);

    layout->addWidget(caption(QStringLiteral("分类名称"), this));
    m_name = new QLineEdit(this);
    m_name->setObjectName(QStringLiteral("classifyNameTf"));
    m_name->setText(presenter->name());
    m_name->selectAll();
    m_name->setMinimumHeight(28);
    layout->addWidget(m_name);

    layout->addSpacing(4);
    layout->addWidget(caption(QStringLiteral("分类颜色"), this));
    m_grid = new ClassifyColorGrid(CategoryDialogPresenter::colors(), this);
    m_grid->setChosen(presenter->colorIndex());
    layout->addWidget(m_grid, 0, Qt::AlignLeft);

    m_position = new QWidget(this);
    m_position->setObjectName(QStringLiteral("positionView"));
    auto *positionRow = new QHBoxLayout(m_position);
    positionRow->setContentsMargins(0, 4, 0, 0);
    positionRow->setSpacing(16);
    m_top = new QRadioButton(QStringLiteral("添加到顶部"), m_position);
    m_bottom = new QRadioButton(QStringLiteral("添加到底部"), m_position);
    auto *choice = new QButtonGroup(m_position);
    choice->addButton(m_top);
    choice->addButton(m_bottom);
    (presenter->addsAtTop() ? m_top : m_bottom)->setChecked(true);
    positionRow->addWidget(m_top);
    positionRow->addWidget(m_bottom);
    positionRow->addStretch(1);
    layout->addWidget(m_position);
    m_position->setVisible(presenter->offersPosition());

    layout->addSpacing(8);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_cancel = new QPushButton(QStringLiteral("取消"), this);
    m_confirm = new QPushButton(QStringLiteral("确定"), this);
    m_cancel->setAutoDefault(false);
    m_confirm->setDefault(true);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_confirm);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_name, &QLineEdit::textEdited, presenter, &CategoryDialogPresenter::setName);
    connect(m_grid, &ClassifyColorGrid::colorChosen, presenter, &CategoryDialogPresenter::chooseColor);
    connect(m_top, &QRadioButton::clicked, presenter, [presenter] { presenter->setAddsAtTop(true); });
    connect(m_bottom, &QRadioButton::clicked, presenter, [presenter] { presenter->setAddsAtTop(false); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_confirm, &QPushButton::clicked, presenter, &CategoryDialogPresenter::confirm);
    connect(presenter, &CategoryDialogPresenter::pushingChanged, this,
            [this](bool pushing) { m_confirm->setEnabled(!pushing); });
    connect(presenter, &CategoryDialogPresenter::accepted, this, &QDialog::accept);
    m_confirm->setEnabled(!presenter->isPushing());
    m_name->setFocus();
}

void CategoryDialog::done(int result)
{
    CategoryDialogPresenter *presenter = m_presenter;
    if (presenter && presenter->isPushing() && parentWidget()) {
        // The service may take the change after all: its answer is still saved
        // and shown, then the presenter goes.
        presenter->setParent(parentWidget());
        connect(presenter, &CategoryDialogPresenter::pushingChanged, presenter, [presenter](bool pushing) {
            if (!pushing)
                presenter->deleteLater();
        });
    }
    QDialog::done(result);
}
