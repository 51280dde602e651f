// Scenes of the agreement prompts and their pages.

#include "app/agreement/AgreementPresenter.h"
#include "app/agreementwindows/AgreementPageWindow.h"
#include "app/agreementwindows/AgreementPromptDialog.h"
#include "tests/screenshots/ScreenshotScene.h"

namespace {

QWidget *promptScene(AgreementPresenter::Prompt prompt)
{
    // The presenter lives as long as the dialog.
    auto *presenter = new AgreementPresenter;
    auto *dialog = new AgreementPromptDialog(presenter, prompt);
    presenter->setParent(dialog);
    return dialog;
}

} // namespace

SCREENSHOT_SCENE(agreement_prompt_first)
{
    return promptScene(AgreementPresenter::Prompt::First);
}

SCREENSHOT_SCENE(agreement_prompt_insisting)
{
    return promptScene(AgreementPresenter::Prompt::Insisting);
}

SCREENSHOT_SCENE(agreement_page_protocol)
{
    return AgreementPageWindow::open(QStringLiteral("protocol"));
}

SCREENSHOT_SCENE(agreement_page_secret)
{
    return AgreementPageWindow::open(QStringLiteral("secret"));
}
