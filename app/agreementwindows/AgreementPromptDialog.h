#pragma once

#include "app/agreement/AgreementPresenter.h"

#include <QDialog>
#include <QPointer>

class CustomButton;
class QPushButton;
class QTextBrowser;

// One agreement prompt: its text with the two titles as red links, and the
// "不同意" and "同意" buttons. It has no minimise or zoom button; Escape and the
// close button answer it as "不同意" does. The presenter closes it.
class AgreementPromptDialog : public QDialog
{
    Q_OBJECT
public:
    AgreementPromptDialog(AgreementPresenter *presenter, AgreementPresenter::Prompt prompt,
                          QWidget *parent = nullptr);

    AgreementPresenter::Prompt prompt() const { return m_prompt; }
    QTextBrowser *contentTextView() const { return m_text; }
    QPushButton *disagreeButton() const { return m_disagree; }
    CustomButton *agreeButton() const { return m_agree; }

    // Closes for good (the user's close requests are refused).
    void dismiss();

    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void refuse();

    QPointer<AgreementPresenter> m_presenter;
    AgreementPresenter::Prompt m_prompt;
    QTextBrowser *m_text;
    QPushButton *m_disagree;
    CustomButton *m_agree;
    bool m_dismissing = false;
};
