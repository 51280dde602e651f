// prelvane: the note and reminder program.
#include "app/mainwindow/views/MainWindow.h"
#include "app/services/Services.h"
#include "app/shell/AppShell.h"
#include "app/shell/CommandLine.h"
#include "notes/categories/CategorySyncCoordinator.h"
#include "app/uikit/AppImages.h"
#include "app/uikit/ApplicationFont.h"
#include "app/uikit/WidgetFeedback.h"
#include "platform/keychain/MemoryKeychainBackend.h"
#include "service/account/PlatformTool.h"
#include "service/api/ApiNetWorking.h"

#include <QApplication>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>

int main(int argc, char **argv)
{
    // Without TZ glibc reads /etc/localtime at every conversion; with it, once.
    if (!std::getenv("TZ")) {
        setenv("TZ", ":/etc/localtime", 1);
        tzset();
    }
    // --help and --version answer without a display.
    if (const std::optional<int> answered = CommandLine::answerEarly(argc, argv))
        return *answered;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Prelvane"));
    QApplication::setApplicationDisplayName(QStringLiteral("Prelvane"));
    QApplication::setApplicationVersion(PlatformTool::appVersion());
    QApplication::setDesktopFileName(QStringLiteral("prelvane"));
    QApplication::setWindowIcon(AppImages::icon(QStringLiteral("app_icon")));
    ApplicationFont::install();

    const CommandLine commandLine = CommandLine::parse(QCoreApplication::arguments());
    if (commandLine.exits())
        return commandLine.print();

    const QString socket = AppShell::instanceSocketName();
    // The running one comes to the front, unless this is the start at login.
    if (AppShell::forwardToRunningInstance(socket, !commandLine.startInTray()))
        return 0;

    // A demo profile keeps its secrets in memory, away from the user's keyring.
    std::unique_ptr<MemoryKeychainBackend> demoKeychain;
    if (qEnvironmentVariableIsSet("PRELVANE_DEMO_PROFILE"))
        demoKeychain = std::make_unique<MemoryKeychainBackend>();

    WidgetFeedback feedback;
    AppShell shell(ApiNetWorking::instance());
    shell.setStartInTray(commandLine.startInTray());
    shell.listenForLaterStarts(socket);
    std::unique_ptr<CategorySyncCoordinator> coordinator;
    shell.setMainWindowFactory([&coordinator] { return new MainWindow(Services::program(), coordinator.get()); });
    const bool launched = shell.launch();
    if (shell.quitsAtOnce())
        return 0;
    // The sign-in's pulls and version poll, on the store the launch opened.
    if (launched) {
        coordinator = std::make_unique<CategorySyncCoordinator>(Services::program());
        coordinator->attachToCurrentSignIn();
    }
    return app.exec();
}
