#include "settings/view/RemindSettingsTab.h"

#include "settings/presenter/RemindSettingsPresenter.h"
#include "settings/view/SettingsTabStyle.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

RemindSettingsTab::RemindSettingsTab(RemindSettingsPresenter *presenter, QWidget *parent)
    : QWidget(parent), m_presenter(presenter)
{
    setObjectName(QStringLiteral("remindSettingsTab"));
    SettingsTabStyle::stylePage(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(30, 24, 30, 24);
    layout->setSpacing(10);

    layout->addWidget(SettingsTabStyle::sectionTitle(QStringLiteral("提醒方式"), this));
    auto *ways = new QHBoxLayout;
    ways->setSpacing(20);
    m_sound = new QCheckBox(QStringLiteral("声音提醒"), this);
    m_sound->setObjectName(QStringLiteral("voiceCheck"));
    ways->addWidget(m_sound);
    // Text messages and calls are the service's, not this program's: shown, not offered.
    for (const QString &title : {QStringLiteral("短信提醒"), QStringLiteral("电话提醒")}) {
        auto *box = new QCheckBox(title, this);
        box->setEnabled(false);
        ways->addWidget(box);
    }
    ways->addStretch(1);
    layout->addLayout(ways);

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(10);
    m_sounds = new QComboBox(this);
    m_sounds->setObjectName(QStringLiteral("voicePopUpBtn"));
    m_sounds->addItems(RemindSettingsPresenter::soundNames());
    m_preview = new QPushButton(QStringLiteral("试听"), this);
    m_preview->setObjectName(QStringLiteral("tryListenButton"));
    m_important = new QComboBox(this);
    m_important->setObjectName(QStringLiteral("starIntervalPopUpBtn"));
    m_important->addItems(RemindSettingsPresenter::importantTitles());
    m_wifi = new QComboBox(this);
    m_wifi->setObjectName(QStringLiteral("wifiIntervalPopUpbtn"));
    m_wifi->addItems(RemindSettingsPresenter::wifiTitles());
    for (QComboBox *box : {m_sounds, m_important, m_wifi})
        box->setMinimumWidth(140);
    grid->addWidget(new QLabel(QStringLiteral("提醒铃声"), this), 0, 0);
    grid->addWidget(m_sounds, 0, 1);
    grid->addWidget(m_preview, 0, 2);
    grid->addWidget(new QLabel(QStringLiteral("重要提醒间隔"), this), 1, 0);
    grid->addWidget(m_important, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("无线提醒静默"), this), 2, 0);
    grid->addWidget(m_wifi, 2, 1);
    grid->setColumnStretch(3, 1);
    layout->addSpacing(6);
    layout->addLayout(grid);
    layout->addWidget(SettingsTabStyle::hint(
        QStringLiteral("重要提醒到期后按所选间隔重复提醒；无线提醒响过之后，在静默时间内不再提醒"), this));
    layout->addStretch(1);

    connect(m_sound, &QCheckBox::clicked, m_presenter, &RemindSettingsPresenter::setSoundOn);
    connect(m_sounds, &QComboBox::activated, m_presenter, &RemindSettingsPresenter::chooseSound);
    connect(m_important, &QComboBox::activated, m_presenter, &RemindSettingsPresenter::chooseImportant);
    connect(m_wifi, &QComboBox::activated, m_presenter, &RemindSettingsPresenter::chooseWifi);
    connect(m_preview, &QPushButton::clicked, m_presenter,
            [this] { m_presenter->preview(m_sounds->currentIndex()); });
    connect(m_presenter, &RemindSettingsPresenter::changed, this, &RemindSettingsTab::render);
    render();
}

void RemindSettingsTab::render()
{
    {
        const QSignalBlocker block(m_sound);
        m_sound->setChecked(m_presenter->soundOn());
        m_sound->setEnabled(!m_presenter->soundBoxBusy());
    }
    const QList<std::tuple<QComboBox *, int, bool>> popUps{
        {m_sounds, m_presenter->soundIndex(), m_presenter->soundBusy()},
        {m_important, m_presenter->importantIndex(), m_presenter->importantBusy()},
        {m_wifi, m_presenter->wifiIndex(), m_presenter->wifiBusy()}};
    for (const auto &[box, index, busy] : popUps) {
        const QSignalBlocker block(box);
        // A stored value none of the items has selects nothing.
        box->setCurrentIndex(index);
        box->setEnabled(!busy);
    }
    m_preview->setEnabled(m_presenter->previewEnabled());
}
