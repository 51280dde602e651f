// prelvane: the note and reminder program.
#include "app/main/program/ProgramServices.h"
#include "app/mainwindow/view/MainWindow.h"
#include "app/shell/AppShell.h"
#include "app/uikit/AppImages.h"
#include "app/uikit/ApplicationFont.h"
#include "app/uikit/WidgetFeedback.h"
#include "platform/keychain/MemoryKeychainBackend.h"
#include "service/account/PlatformTool.h"
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
    // The authorisation window's web view (a plugin loaded later) needs
    // contexts shared from the start.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
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

    // Every service once, the store first.
    WidgetFeedback feedback;
    ProgramServices::Parts parts;
    parts.feedback = &feedback;
    parts.keychain = demoKeychain.get();
    ProgramServices program(parts);
    if (!program.hasServices()) {
        AppShell::reportNoStore(feedback, program.storeOpened());
        return app.exec();
    }
    const Services &services = program.services();

    AppShell shell(services);
    shell.listenForLaterStarts(socket);
    // The sign-in's pulls and version poll.
    SignInSyncCoordinator coordinator(*services.store, *services.api, *services.sync, *services.feedback,
                                      *services.scheduler, *services.events, *services.session);
    shell.setMainWindowFactory([&services, &coordinator] { return new MainWindow(services, &coordinator); });
    shell.launch(program.storeOpened());
    coordinator.attachToCurrentSignIn();
    return app.exec();
}
