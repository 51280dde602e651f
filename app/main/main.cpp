// prelvane: the note and reminder program.
#include "app/mainwindow/view/MainWindow.h"
#include "app/services/Services.h"
#include "app/shell/AppShell.h"
#include "app/uikit/AppImages.h"
#include "app/uikit/ApplicationFont.h"
#include "app/uikit/WidgetFeedback.h"
#include "platform/keychain/MemoryKeychainBackend.h"
#include "service/account/PlatformTool.h"
#include "service/api/ApiNetWorking.h"
#include "service/sync/SignInSyncCoordinator.h"

#include <QApplication>

#include <cstdlib>
#include <ctime>
#include <memory>

int main(int argc, char **argv)
{
    // Without TZ glibc reads /etc/localtime at every conversion; with it, once.
    if (!std::getenv("TZ")) {
        setenv("TZ", ":/etc/localtime", 1);
        tzset();
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Prelvane"));
    QApplication::setApplicationDisplayName(QStringLiteral("Prelvane"));
    QApplication::setApplicationVersion(PlatformTool::appVersion());
    QApplication::setDesktopFileName(QStringLiteral("prelvane"));
    QApplication::setWindowIcon(AppImages::icon(QStringLiteral("app_icon")));
    ApplicationFont::install();

    const QString socket = AppShell::instanceSocketName();
    if (AppShell::forwardToRunningInstance(socket))
        return 0; // the running one comes to the front

    // A demo profile keeps its secrets in memory, away from the user's keyring.
    std::unique_ptr<MemoryKeychainBackend> demoKeychain;
    if (qEnvironmentVariableIsSet("PRELVANE_DEMO_PROFILE"))
        demoKeychain = std::make_unique<MemoryKeychainBackend>();

    WidgetFeedback feedback;
    ApiNetWorking *api = ApiNetWorking::instance();
    api->setFeedback(&feedback);
    AppShell shell(api, feedback);
    shell.listenForLaterStarts(socket);
    std::unique_ptr<SignInSyncCoordinator> coordinator;
    shell.setMainWindowFactory([&coordinator] { return new MainWindow(Services::program(), coordinator.get()); });
    const bool launched = shell.launch();
    // The sign-in's pulls and version poll, on the store the launch opened.
    if (launched) {
        const Services services = Services::program();
        coordinator = std::make_unique<SignInSyncCoordinator>(*services.store, *services.api, *services.sync,
                                                              *services.feedback, *services.scheduler,
                                                              *services.events, *services.session);
        coordinator->attachToCurrentSignIn();
    }
    return app.exec();
}
