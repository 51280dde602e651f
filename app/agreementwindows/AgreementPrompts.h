#pragma once

#include "app/agreement/AgreementPresenter.h"

#include <QObject>
#include <QPointer>

class AgreementPromptDialog;
class QWidget;

// Shows the presenter's prompts as windows over the login window: a new
// dialog for each prompt, the page window for each link, and the login
// window hidden after the second refusal.
class AgreementPrompts : public QObject
{
    Q_OBJECT
public:
    AgreementPrompts(AgreementPresenter *presenter, QWidget *loginWindow);
    ~AgreementPrompts() override;

    AgreementPromptDialog *currentDialog() const { return m_dialog; }

private:
    void show(AgreementPresenter::Prompt prompt);

    AgreementPresenter *m_presenter;
    QPointer<QWidget> m_loginWindow;
    QPointer<AgreementPromptDialog> m_dialog;
};
