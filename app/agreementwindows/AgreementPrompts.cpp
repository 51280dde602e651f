#include "app/agreementwindows/AgreementPrompts.h"

#include "app/agreementwindows/AgreementPageWindow.h"
#include "app/agreementwindows/AgreementPromptDialog.h"

#include <QWidget>

AgreementPrompts::AgreementPrompts(AgreementPresenter *presenter, QWidget *loginWindow)
    : QObject(presenter), m_presenter(presenter), m_loginWindow(loginWindow)
{
    connect(presenter, &AgreementPresenter::promptChanged, this, &AgreementPrompts::show);
    connect(presenter, &AgreementPresenter::pageRequested, this, [this](const QString &page) {
        QWidget *over = m_dialog ? static_cast<QWidget *>(m_dialog.data()) : m_loginWindow.data();
        AgreementPageWindow::open(page, over);
    });
    connect(presenter, &AgreementPresenter::loginWindowHideRequested, this, [this] {
        if (m_loginWindow)
            m_loginWindow->hide();
    });
    if (presenter->prompt() != AgreementPresenter::Prompt::None)
        show(presenter->prompt());
}

AgreementPrompts::~AgreementPrompts()
{
    if (m_dialog)
        m_dialog->dismiss();
}

void AgreementPrompts::show(AgreementPresenter::Prompt prompt)
{
    // The next prompt opens before the previous one closes, so the login
    // window is never left without its prompt in between.
    QPointer<AgreementPromptDialog> previous = m_dialog;
    m_dialog = nullptr;
    if (prompt != AgreementPresenter::Prompt::None) {
        m_dialog = new AgreementPromptDialog(m_presenter, prompt, m_loginWindow);
        m_dialog->setWindowModality(m_loginWindow ? Qt::WindowModal : Qt::ApplicationModal);
        m_dialog->show();
        m_dialog->raise();
        m_dialog->activateWindow();
    }
    if (previous)
        previous->dismiss();
}
