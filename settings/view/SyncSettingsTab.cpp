#include "settings/view/SyncSettingsTab.h"

#include "settings/presenter/SyncSettingsPresenter.h"
#include "settings/view/SettingsTabStyle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

SyncSettingsTab::SyncSettingsTab(SyncSettingsPresenter *presenter, QWidget *parent)
    : QWidget(parent), m_presenter(presenter)
{
    setObjectName(QStringLiteral("syncSettingsTab"));
    SettingsTabStyle::stylePage(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(30, 24, 30, 24);
    layout->setSpacing(10);

    layout->addWidget(SettingsTabStyle::sectionTitle(QStringLiteral("多设备同步"), this));
    layout->addWidget(
        SettingsTabStyle::hint(QStringLiteral("选中的设置会在你登录的所有设备上保持一致"), this));
    m_skin = new QCheckBox(QStringLiteral("同步皮肤设置"), this);
    m_remind = new QCheckBox(QStringLiteral("同步提醒设置"), this);
    m_link = new QCheckBox(QStringLiteral("同步链接设置"), this);
    m_skin->setObjectName(QStringLiteral("syncSkinCheck"));
    m_remind->setObjectName(QStringLiteral("syncRemindCheck"));
    m_link->setObjectName(QStringLiteral("syncLinkCheck"));
    for (QCheckBox *box : {m_skin, m_remind, m_link})
        layout->addWidget(box);

    layout->addSpacing(16);
    layout->addWidget(SettingsTabStyle::sectionTitle(QStringLiteral("数据还原"), this));
    layout->addWidget(SettingsTabStyle::hint(
        QStringLiteral("把便签还原到所选日期的状态；该日期之后的所有内容都会被删除"), this));
    auto *row = new QHBoxLayout;
    row->setSpacing(10);
    row->addWidget(new QLabel(QStringLiteral("还原日期"), this));
    m_dates = new QComboBox(this);
    m_dates->setObjectName(QStringLiteral("recoverNotePopUpBtn"));
    m_dates->setMinimumWidth(200);
    row->addWidget(m_dates);
    m_restore = new QPushButton(QStringLiteral("还原"), this);
    m_restore->setObjectName(QStringLiteral("recoverNoteButton"));
    row->addWidget(m_restore);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addStretch(1);

    connect(m_skin, &QCheckBox::clicked, m_presenter,
            [this](bool on) { m_presenter->toggle(SyncSettingsPresenter::Skin, on); });
    connect(m_remind, &QCheckBox::clicked, m_presenter,
            [this](bool on) { m_presenter->toggle(SyncSettingsPresenter::Remind, on); });
    connect(m_link, &QCheckBox::clicked, m_presenter,
            [this](bool on) { m_presenter->toggle(SyncSettingsPresenter::Link, on); });
    connect(m_restore, &QPushButton::clicked, m_presenter, [this] {
        m_presenter->restore(m_dates->currentIndex() < 0 ? QString() : m_dates->currentText());
    });
    connect(m_presenter, &SyncSettingsPresenter::changed, this, &SyncSettingsTab::render);
    connect(m_presenter, &SyncSettingsPresenter::snapshotsChanged, this, &SyncSettingsTab::showSnapshots);
    render();
    showSnapshots();
}

void SyncSettingsTab::appear()
{
    m_presenter->loadSnapshots();
}

void SyncSettingsTab::render()
{
    const bool busy = m_presenter->isBusy();
    const QList<QPair<QCheckBox *, SyncSettingsPresenter::Item>> boxes{
        {m_skin, SyncSettingsPresenter::Skin},
        {m_remind, SyncSettingsPresenter::Remind},
        {m_link, SyncSettingsPresenter::Link}};
    for (const auto &[box, item] : boxes) {
        const QSignalBlocker block(box);
        box->setChecked(m_presenter->isOn(item));
        box->setEnabled(!busy);
    }
    m_restore->setEnabled(!m_presenter->isRestoring());
}

void SyncSettingsTab::showSnapshots()
{
    const QStringList dates = m_presenter->snapshotDates();
    const QString chosen = m_dates->currentText();
    const QSignalBlocker block(m_dates);
    m_dates->clear();
    m_dates->addItems(dates);
    const int keep = int(dates.indexOf(chosen));
    m_dates->setCurrentIndex(keep >= 0 ? keep : (dates.isEmpty() ? -1 : 0));
}
