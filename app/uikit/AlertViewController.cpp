#include "app/uikit/AlertViewController.h"

#include "app/uikit/ButtonHelpers.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {
// The system red and light grey of the platform look the notice follows.
const QColor kSystemRed(255, 59, 48);
const QColor kLightGray(170, 170, 170);
} // namespace

AlertViewController::AlertViewController(QWidget *parent)
    : QDialog(parent), m_titleLab(new QLabel), m_detailTextView(new QTextEdit), m_doneButton(new QPushButton),
      m_cancleButton(new QPushButton)
{
    // Only the close button stays in the frame.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QString());
    setWindowModality(Qt::ApplicationModal);

    QFont headline = m_titleLab->font();
    headline.setBold(true);
    headline.setPixelSize(16);
    m_titleLab->setFont(headline);
    m_titleLab->setAlignment(Qt::AlignCenter);

    m_detailTextView->setReadOnly(true);
    m_detailTextView->setFrameShape(QFrame::NoFrame);
    m_detailTextView->setStyleSheet(QStringLiteral("QTextEdit{background:transparent;}"));
    m_detailTextView->viewport()->setAutoFillBackground(false);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_cancleButton);
    buttons->addWidget(m_doneButton);
    buttons->addStretch(1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_titleLab);
    layout->addWidget(m_detailTextView, 1);
    layout->addLayout(buttons);
    resize(360, 260);

    connect(m_doneButton, &QPushButton::clicked, this, &AlertViewController::doneButtonAction);
    connect(m_cancleButton, &QPushButton::clicked, this, &AlertViewController::cancleButtonAction);
    // Quitting closes an open notice like its close button.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (isVisible())
            reject();
    });
}

void AlertViewController::report(int value)
{
    if (alertBlcok)
        alertBlcok(value);
}

// The handler may delete the notice; nothing touches it after that.
void AlertViewController::cancleButtonAction()
{
    m_closeReported = true;
    QPointer<AlertViewController> self(this);
    report(1);
    if (self)
        reject();
}

void AlertViewController::doneButtonAction()
{
    QPointer<AlertViewController> self(this);
    report(2);
    if (self)
        accept();
}

void AlertViewController::done(int result)
{
    QPointer<AlertViewController> self(this);
    QDialog::done(result);
    if (self && !m_closeReported) {
        m_closeReported = true;
        report(1);
    }
    if (self)
        deleteLater();
}

void AlertViewController::showEvent(QShowEvent *event)
{
    m_titleLab->setText(text.isEmpty() ? QStringLiteral("提示") : text);
    m_detailTextView->setPlainText(detailText);
    m_doneButton->setText(doneTitle.isEmpty() ? QStringLiteral("确定") : doneTitle);
    m_cancleButton->setText(cancleTitle.isEmpty() ? QStringLiteral("取消") : cancleTitle);

    QFont small = m_doneButton->font();
    small.setPixelSize(11);
    m_doneButton->setFont(small);
    // The fill's style sheet drops the native padding: the size keeps the title clear of the edge.
    m_doneButton->setMinimumSize(80, 24);
    m_cancleButton->setMinimumWidth(80);
    lp_cornerRadius(m_doneButton, 12);
    lp_backgroundColor(m_doneButton, kSystemRed);
    lp_highlightColor(m_doneButton, kLightGray);
    lp_titleColor(m_doneButton, QColor(Qt::white));
    QDialog::showEvent(event);
}

// The notice moves when dragged by its background.
void AlertViewController::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_dragOffset = event->globalPosition().toPoint() - frameGeometry().topLeft();
    QDialog::mousePressEvent(event);
}

void AlertViewController::mouseMoveEvent(QMouseEvent *event)
{
    if (event->buttons() & Qt::LeftButton)
        move(event->globalPosition().toPoint() - m_dragOffset);
    QDialog::mouseMoveEvent(event);
}
