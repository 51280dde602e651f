#include "settings/view/NickNameSheet.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

NickNameSheet::NickNameSheet(QWidget *parent) : QDialog(parent, Qt::Sheet | Qt::Dialog)
{
    setObjectName(QStringLiteral("modifyNickPanel"));
    setWindowModality(Qt::WindowModal);
    setWindowTitle(QStringLiteral("修改昵称"));
    setFixedSize(320, 150);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(12);
    auto *title = new QLabel(QStringLiteral("修改昵称"), this);
    QFont f = title->font();
    f.setPixelSize(14);
    f.setBold(true);
    title->setFont(f);
    layout->addWidget(title);
    m_field = new QLineEdit(this);
    m_field->setObjectName(QStringLiteral("nickTextField"));
    m_field->setPlaceholderText(QStringLiteral("请输入昵称"));
    layout->addWidget(m_field);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_cancel = new QPushButton(QStringLiteral("取消"), this);
    m_cancel->setObjectName(QStringLiteral("nickCancelButton"));
    m_done = new QPushButton(QStringLiteral("确定"), this);
    m_done->setObjectName(QStringLiteral("nickDoneButton"));
    m_done->setDefault(true);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_done);
    layout->addLayout(buttons);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_done, &QPushButton::clicked, this, [this] {
        const QString nick = m_field->text();
        accept();
        emit nickChosen(nick);
    });
}

void NickNameSheet::showDatasWithNick(const QString &nick)
{
    if (!nick.isNull())
        m_field->setText(nick);
    m_field->selectAll();
    m_field->setFocus();
    open();
}
