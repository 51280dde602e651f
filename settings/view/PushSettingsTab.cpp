#include "settings/view/PushSettingsTab.h"

#include "settings/presenter/PushSettingsPresenter.h"
#include "settings/view/PushProofOverlay.h"
#include "settings/view/SettingsTabStyle.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

PushSettingsTab::PushSettingsTab(PushSettingsPresenter *presenter, QWidget *parent)
    : QWidget(parent), m_presenter(presenter)
{
    setObjectName(QStringLiteral("pushSettingsTab"));
    SettingsTabStyle::stylePage(this);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(30, 20, 30, 16);
    layout->setSpacing(10);

    auto *titleRow = new QHBoxLayout;
    titleRow->addWidget(SettingsTabStyle::sectionTitle(QStringLiteral("定时推送"), this));
    titleRow->addStretch(1);
    titleRow->addWidget(new QLabel(QStringLiteral("已推送"), this));
    m_count = new QLabel(this);
    m_count->setObjectName(QStringLiteral("pushCountLab"));
    titleRow->addWidget(m_count);
    layout->addLayout(titleRow);

    auto *digest = new QGridLayout;
    digest->setHorizontalSpacing(10);
    digest->setVerticalSpacing(10);
    m_cycle = new QComboBox(this);
    m_cycle->setObjectName(QStringLiteral("cyclePopUpButton"));
    m_cycle->addItems(PushSettingsPresenter::cycleTitles());
    m_time = new QComboBox(this);
    m_time->setObjectName(QStringLiteral("datePopUpButton"));
    m_content = new QComboBox(this);
    m_content->setObjectName(QStringLiteral("cycleTypePopUpButton"));
    m_content->addItems(PushSettingsPresenter::contentTitles());
    for (QComboBox *box : {m_cycle, m_time, m_content})
        box->setMinimumWidth(110);
    m_digestAddress = new QLineEdit(this);
    m_digestAddress->setObjectName(QStringLiteral("dateEmailTf"));
    m_digestAddress->setPlaceholderText(QStringLiteral("请输入邮箱"));
    m_digestConfirm = new QPushButton(QStringLiteral("确定"), this);
    m_digestConfirm->setObjectName(QStringLiteral("dateConfirmButton"));
    digest->addWidget(new QLabel(QStringLiteral("推送周期"), this), 0, 0);
    auto *when = new QHBoxLayout;
    when->setSpacing(10);
    when->addWidget(m_cycle);
    when->addWidget(m_time);
    when->addStretch(1);
    digest->addLayout(when, 0, 1);
    digest->addWidget(new QLabel(QStringLiteral("推送内容"), this), 1, 0);
    auto *what = new QHBoxLayout;
    what->addWidget(m_content);
    what->addStretch(1);
    digest->addLayout(what, 1, 1);
    digest->addWidget(new QLabel(QStringLiteral("推送邮箱"), this), 2, 0);
    auto *to = new QHBoxLayout;
    to->setSpacing(10);
    to->addWidget(m_digestAddress, 1);
    to->addWidget(m_digestConfirm);
    digest->addLayout(to, 2, 1);
    digest->setColumnStretch(1, 1);
    layout->addLayout(digest);

    layout->addSpacing(10);
    layout->addWidget(SettingsTabStyle::sectionTitle(QStringLiteral("立即推送"), this));
    auto *oneOff = new QGridLayout;
    oneOff->setHorizontalSpacing(10);
    oneOff->setVerticalSpacing(10);
    m_category = new QComboBox(this);
    m_category->setObjectName(QStringLiteral("noteClassPopUpButton"));
    m_category->setMinimumWidth(110);
    m_category->setMaximumWidth(260);
    m_category->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_oneOffAddress = new QLineEdit(this);
    m_oneOffAddress->setObjectName(QStringLiteral("noteEmailTf"));
    m_oneOffAddress->setPlaceholderText(QStringLiteral("请输入邮箱"));
    m_oneOffConfirm = new QPushButton(QStringLiteral("推送"), this);
    m_oneOffConfirm->setObjectName(QStringLiteral("noteConfirmButton"));
    oneOff->addWidget(new QLabel(QStringLiteral("推送分类"), this), 0, 0);
    auto *which = new QHBoxLayout;
    which->addWidget(m_category);
    which->addStretch(1);
    oneOff->addLayout(which, 0, 1);
    oneOff->addWidget(new QLabel(QStringLiteral("推送邮箱"), this), 1, 0);
    auto *to2 = new QHBoxLayout;
    to2->setSpacing(10);
    to2->addWidget(m_oneOffAddress, 1);
    to2->addWidget(m_oneOffConfirm);
    oneOff->addLayout(to2, 1, 1);
    oneOff->setColumnStretch(1, 1);
    layout->addLayout(oneOff);
    layout->addWidget(SettingsTabStyle::hint(
        QStringLiteral("推送前需要验证身份：绑定了手机号的账号使用短信验证码，否则使用登录密码"), this));
    layout->addStretch(1);

    connect(m_cycle, &QComboBox::activated, this, &PushSettingsTab::fillTimes);
    connect(m_digestConfirm, &QPushButton::clicked, this, [this] {
        m_presenter->confirmDigest(m_cycle->currentIndex(), m_time->currentIndex(), m_content->currentIndex(),
                                   m_digestAddress->text());
    });
    connect(m_oneOffConfirm, &QPushButton::clicked, this,
            [this] { m_presenter->confirmOneOff(m_category->currentIndex(), m_oneOffAddress->text()); });
    connect(m_presenter, &PushSettingsPresenter::changed, this, &PushSettingsTab::render);
    connect(m_presenter, &PushSettingsPresenter::proofWanted, this, &PushSettingsTab::showProof);
    appear();
}

void PushSettingsTab::fillTimes(int cycle)
{
    const QSignalBlocker block(m_time);
    m_time->clear();
    m_time->addItems(PushSettingsPresenter::timeTitles(cycle));
    m_time->setCurrentIndex(0);
}

void PushSettingsTab::appear()
{
    {
        const QSignalBlocker block(m_cycle);
        m_cycle->setCurrentIndex(m_presenter->cycleIndex());
    }
    fillTimes(m_presenter->cycleIndex());
    {
        const QSignalBlocker block(m_time);
        m_time->setCurrentIndex(m_presenter->timeIndex());
    }
    {
        const QSignalBlocker block(m_content);
        m_content->setCurrentIndex(m_presenter->contentIndex());
    }
    // Both addresses start from the digest's stored one.
    const QString address = m_presenter->address();
    if (!address.isEmpty()) {
        // What the user typed stays.
        for (QLineEdit *field : {m_digestAddress, m_oneOffAddress})
            if (!field->isModified()) {
                field->setText(address);
                field->setCursorPosition(0);
            }
    }
    {
        const QSignalBlocker block(m_category);
        const int index = m_category->currentIndex();
        m_category->clear();
        m_category->addItems(m_presenter->categoryTitles());
        m_category->setCurrentIndex(qBound(0, index, m_category->count() - 1));
    }
    render();
}

void PushSettingsTab::render()
{
    m_count->setText(m_presenter->countText());
    m_digestConfirm->setEnabled(!m_presenter->busy(PushSettingsPresenter::Digest));
    m_oneOffConfirm->setEnabled(!m_presenter->busy(PushSettingsPresenter::OneOff));
}

PushProofOverlay *PushSettingsTab::overlay() const
{
    return m_overlay.data();
}

void PushSettingsTab::showProof(PushProofPresenter *proof)
{
    if (m_overlay)
        m_overlay->close();
    m_overlay = new PushProofOverlay(proof, window());
}
