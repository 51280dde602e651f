#include "settings/view/GeneralSettingsTab.h"

#include "settings/presenter/GeneralSettingsPresenter.h"
#include "settings/view/SettingsTabStyle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

GeneralSettingsTab::GeneralSettingsTab(GeneralSettingsPresenter *presenter, QWidget *parent)
    : QWidget(parent), m_presenter(presenter)
{
    setObjectName(QStringLiteral("generalSettingsTab"));
    SettingsTabStyle::stylePage(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(30, 24, 30, 24);
    layout->setSpacing(10);

    layout->addWidget(SettingsTabStyle::sectionTitle(QStringLiteral("便签"), this));
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    m_add = new QComboBox(this);
    m_add->setObjectName(QStringLiteral("addPositionPopUpButton"));
    m_add->addItems(GeneralSettingsPresenter::addPositionTitles());
    m_complete = new QComboBox(this);
    m_complete->setObjectName(QStringLiteral("completePositionPopUpButton"));
    m_complete->addItems(GeneralSettingsPresenter::completePositionTitles());
    m_fontSize = new QComboBox(this);
    m_fontSize->setObjectName(QStringLiteral("fontSizePopUpButton"));
    m_fontSize->addItems(GeneralSettingsPresenter::fontSizeTitles());
    for (QComboBox *box : {m_add, m_complete, m_fontSize})
        box->setMinimumWidth(120);
    grid->addWidget(new QLabel(QStringLiteral("新增便签位置"), this), 0, 0);
    grid->addWidget(m_add, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("完成便签位置"), this), 1, 0);
    grid->addWidget(m_complete, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("字体大小"), this), 2, 0);
    grid->addWidget(m_fontSize, 2, 1);
    grid->setColumnStretch(2, 1);
    layout->addLayout(grid);
    m_link = new QCheckBox(QStringLiteral("区分显示便签中的链接"), this);
    m_link->setObjectName(QStringLiteral("onLineCheck"));
    layout->addWidget(m_link);

    layout->addSpacing(12);
    layout->addWidget(SettingsTabStyle::sectionTitle(QStringLiteral("锁屏"), this));
    m_lock = new QCheckBox(QStringLiteral("开启锁屏密码"), this);
    m_lock->setObjectName(QStringLiteral("lockCheck"));
    layout->addWidget(m_lock);
    auto *row = new QHBoxLayout;
    row->setSpacing(10);
    row->addWidget(new QLabel(QStringLiteral("锁屏密码"), this));
    m_password = new QLineEdit(this);
    m_password->setObjectName(QStringLiteral("lockPwdTf"));
    m_password->setEchoMode(QLineEdit::Password);
    m_password->setFixedWidth(160);
    m_password->setPlaceholderText(QStringLiteral("只能输入数字"));
    row->addWidget(m_password);
    m_save = new QPushButton(QStringLiteral("保存"), this);
    m_save->setObjectName(QStringLiteral("savePwdButton"));
    row->addWidget(m_save);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addWidget(SettingsTabStyle::hint(QStringLiteral("锁屏后需要输入锁屏密码才能查看便签"), this));
    layout->addStretch(1);

    connect(m_add, &QComboBox::activated, m_presenter, &GeneralSettingsPresenter::chooseAddPosition);
    connect(m_complete, &QComboBox::activated, m_presenter,
            &GeneralSettingsPresenter::chooseCompletePosition);
    connect(m_fontSize, &QComboBox::activated, m_presenter, &GeneralSettingsPresenter::chooseFontSize);
    connect(m_link, &QCheckBox::clicked, m_presenter, &GeneralSettingsPresenter::setLinkMarked);
    connect(m_lock, &QCheckBox::clicked, m_presenter, &GeneralSettingsPresenter::setLockOn);
    connect(m_password, &QLineEdit::textEdited, this, [this] {
        if (!m_presenter->passwordBusy())
            m_save->setEnabled(true);
    });
    connect(m_save, &QPushButton::clicked, this, [this] {
        m_password->clearFocus();
        m_presenter->savePassword(m_password->text());
    });
    connect(m_presenter, &GeneralSettingsPresenter::changed, this, &GeneralSettingsTab::render);
    connect(m_presenter, &GeneralSettingsPresenter::passwordAnswered, this, &GeneralSettingsTab::appear);
    appear();
}

void GeneralSettingsTab::appear()
{
    m_password->setText(m_presenter->lockPassword());
    m_save->setEnabled(false);
    render();
}

void GeneralSettingsTab::render()
{
    const bool positionsBusy = m_presenter->positionsBusy();
    const QList<QPair<QComboBox *, int>> popUps{{m_add, m_presenter->addPosition()},
                                                {m_complete, m_presenter->completePosition()},
                                                {m_fontSize, m_presenter->fontSizeIndex()}};
    for (const auto &[box, index] : popUps) {
        const QSignalBlocker block(box);
        // A stored value outside the list leaves the selection alone.
        if (index >= 0)
            box->setCurrentIndex(index);
    }
    m_add->setEnabled(!positionsBusy);
    m_complete->setEnabled(!positionsBusy);
    {
        const QSignalBlocker block(m_link);
        m_link->setChecked(m_presenter->linkMarked());
        m_link->setEnabled(!m_presenter->linkBusy());
    }
    {
        const QSignalBlocker block(m_lock);
        m_lock->setChecked(m_presenter->lockOn());
        m_lock->setEnabled(!m_presenter->lockBusy());
    }
    const bool passwordBusy = m_presenter->passwordBusy();
    m_password->setEnabled(!passwordBusy);
    if (passwordBusy)
        m_save->setEnabled(false);
}
