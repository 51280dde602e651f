#include "settings/view/PushProofOverlay.h"

#include "app/uikit/EdgePinner.h"
#include "settings/presenter/PushProofPresenter.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

PushProofOverlay::PushProofOverlay(PushProofPresenter *presenter, QWidget *window)
    : QWidget(window), m_presenter(presenter)
{
    setObjectName(QStringLiteral("notePushVCodeView"));
    setAttribute(Qt::WA_DeleteOnClose);
    setFocusPolicy(Qt::StrongFocus);

    m_panel = new QWidget(this);
    m_panel->setObjectName(QStringLiteral("vCodeContentView"));
    m_panel->setAutoFillBackground(true);
    QPalette pal = m_panel->palette();
    pal.setColor(QPalette::Window, Qt::white);
    m_panel->setPalette(pal);
    m_panel->setFixedSize(340, 190);
    QFont f = m_panel->font();
    f.setPixelSize(13);
    m_panel->setFont(f);

    auto *outer = new QVBoxLayout(this);
    outer->addStretch(1);
    auto *middle = new QHBoxLayout;
    middle->addStretch(1);
    middle->addWidget(m_panel);
    middle->addStretch(1);
    outer->addLayout(middle);
    outer->addStretch(1);

    auto *layout = new QVBoxLayout(m_panel);
    layout->setContentsMargins(24, 20, 24, 16);
    layout->setSpacing(10);
    auto *title = new QLabel(QStringLiteral("身份验证"), m_panel);
    QFont tf = title->font();
    tf.setPixelSize(14);
    tf.setBold(true);
    title->setFont(tf);
    layout->addWidget(title);
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(10);
    m_nameTitle = new QLabel(m_panel);
    m_nameTitle->setObjectName(QStringLiteral("typeNameLab"));
    m_account = new QLabel(m_panel);
    m_account->setObjectName(QStringLiteral("typeAccountLab"));
    m_proofTitle = new QLabel(m_panel);
    m_proofTitle->setObjectName(QStringLiteral("typeVCodeLab"));
    m_field = new QLineEdit(m_panel);
    m_field->setObjectName(QStringLiteral("vCodeTf"));
    m_send = new QPushButton(QStringLiteral("获取验证码"), m_panel);
    m_send->setObjectName(QStringLiteral("sendVCodeButton"));
    m_tip = new QLabel(m_panel);
    m_tip->setObjectName(QStringLiteral("tipLab"));
    m_tip->setStyleSheet(QStringLiteral("color:#999999;"));
    grid->addWidget(m_nameTitle, 0, 0);
    grid->addWidget(m_account, 0, 1, 1, 2);
    grid->addWidget(m_proofTitle, 1, 0);
    grid->addWidget(m_field, 1, 1);
    grid->addWidget(m_send, 1, 2);
    grid->addWidget(m_tip, 2, 1, 1, 2);
    grid->setColumnStretch(1, 1);
    layout->addLayout(grid);
    layout->addStretch(1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_cancel = new QPushButton(QStringLiteral("取消"), m_panel);
    m_cancel->setObjectName(QStringLiteral("vCodeCancelButton"));
    m_confirm = new QPushButton(QStringLiteral("确定"), m_panel);
    m_confirm->setObjectName(QStringLiteral("vCodeConfirmButton"));
    m_confirm->setDefault(true);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_confirm);
    layout->addLayout(buttons);

    m_nameTitle->setText(presenter->nameTitle());
    m_account->setText(presenter->account());
    m_proofTitle->setText(presenter->proofTitle());
    m_field->setPlaceholderText(presenter->placeholder());
    if (presenter->type() == PushProofPresenter::Password)
        m_field->setEchoMode(QLineEdit::Password);

    connect(m_send, &QPushButton::clicked, presenter, &PushProofPresenter::sendCode);
    connect(m_confirm, &QPushButton::clicked, this, [this] { m_presenter->confirm(m_field->text()); });
    connect(m_field, &QLineEdit::returnPressed, this, [this] { m_presenter->confirm(m_field->text()); });
    connect(m_cancel, &QPushButton::clicked, presenter, &PushProofPresenter::cancel);
    connect(presenter, &PushProofPresenter::changed, this, &PushProofOverlay::render);
    // The overlay lives as long as its proof.
    connect(presenter, &QObject::destroyed, this, &QWidget::close);

    EdgePinner::pin(this);
    render();
    raise();
    show();
    m_field->setFocus();
}

void PushProofOverlay::render()
{
    m_send->setVisible(m_presenter->sendShown());
    m_send->setEnabled(m_presenter->sendEnabled());
    m_tip->setVisible(m_presenter->sendShown() && m_presenter->tipShown());
    m_tip->setText(m_presenter->tipText());
}

void PushProofOverlay::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(0, 0, 0, 51));
}

void PushProofOverlay::mousePressEvent(QMouseEvent *event)
{
    // Nothing beneath gets the click.
    event->accept();
}

void PushProofOverlay::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        m_presenter->cancel();
        return;
    }
    QWidget::keyPressEvent(event);
}
