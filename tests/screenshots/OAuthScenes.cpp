// Scenes of the authorisation window where no web view can be loaded: the
// waiting dialog while the browser shows the page, and when no browser opened.

#include "app/oauth/OAuthPresenter.h"
#include "app/oauthwindows/OAuthWaitingPage.h"
#include "tests/screenshots/ScreenshotScene.h"
#include "tests/support/RecordingUrlOpener.h"

#include <QDialog>
#include <QUrl>

namespace {

// Opens nothing and says so, as a desktop without a browser does.
class NoBrowser final : public UrlOpener
{
public:
    bool openUrl(const QUrl &) override { return false; }
};

QWidget *waitingDialog(UrlOpener &urls)
{
    // The page lives with its dialog, as the presenter would keep it.
    auto *page = new OAuthWaitingPage(urls, nullptr, OAuthPresenter::windowTitle());
    page->load(QUrl(QStringLiteral("http://127.0.0.1:8080/oauth/jump?oauthType=wx&from=mac&type=login")));
    QDialog *dialog = page->dialog();
    dialog->setWindowModality(Qt::NonModal);
    QObject::connect(dialog, &QObject::destroyed, [page] { page->deleteLater(); });
    return dialog;
}

} // namespace

SCREENSHOT_SCENE(oauth_waiting_dialog)
{
    static RecordingUrlOpener urls;
    return waitingDialog(urls);
}

SCREENSHOT_SCENE(oauth_waiting_dialog_no_browser)
{
    static NoBrowser urls;
    return waitingDialog(urls);
}
