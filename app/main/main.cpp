// prelvane: the note and reminder program.
#include "app/main/program/ProgramServices.h"
#include "app/mainwindow/view/MainWindow.h"
#include "app/shell/AppShell.h"
#include "app/shell/CommandLine.h"
#include "app/uikit/AppImages.h"
#include "app/uikit/ApplicationFont.h"
#include "app/uikit/WidgetFeedback.h"
#include "platform/base/TerminationSignals.h"
#include "platform/base/TimerScheduler.h"
#include "platform/keychain/DemoFileKeychainBackend.h"
#include "platform/keychain/MemoryKeychainBackend.h"
#include "service/account/PlatformTool.h"
#include "service/account/UUIDTool.h"
#include "service/sync/SignInSyncCoordinator.h"

#include <QApplication>
#include <QTimer>

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
    // The authorisation window's web view (a plugin loaded later) needs
    // contexts shared from the start.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    // --help and --version answer without a display.
    if (const std::optional<int> answered = CommandLine::answerEarly(argc, argv))
        return *answered;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Prelvane"));
    // No display name: Qt would append " — Prelvane" to every window title, those that name the program too.
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

    // A demo profile stays away from the user's keyring. The demo account's
    // password and the device id go to a file of the profile (so the demo signs
    // in by itself after a restart); other secrets are held in memory only.
    std::unique_ptr<KeychainBackend> demoKeychain;
    if (qEnvironmentVariableIsSet("PRELVANE_DEMO_PROFILE")) {
        const QString secrets = qEnvironmentVariable("PRELVANE_DEMO_SECRETS");
        const QString account = qEnvironmentVariable("PRELVANE_DEMO_ACCOUNT");
        if (!secrets.isEmpty() && !account.isEmpty())
            demoKeychain = std::make_unique<DemoFileKeychainBackend>(
                secrets, QSet<QString>{account, UUIDTool::KeychainKey});
        else
            demoKeychain = std::make_unique<MemoryKeychainBackend>();
    }

    // Every service once, the store first.
    // Before the graph: the feedback tells of a store that did not open, and times its spinners by the
    // scheduler.
    TimerScheduler scheduler;
    WidgetFeedback feedback(scheduler);
    ProgramServices::Parts parts;
    parts.scheduler = &scheduler;
    parts.feedback = &feedback;
    parts.keychain = demoKeychain.get();
    ProgramServices program(parts);
    if (!program.hasServices()) {
        AppShell::reportNoStore(feedback, program.storeOpened());
        return app.exec();
    }
    const Services &services = program.services();

    AppShell shell(services);
    shell.setStartInTray(commandLine.startInTray());
    shell.listenForLaterStarts(socket);
    // The sign-in's pulls and version poll.
    SignInSyncCoordinator coordinator(*services.store, *services.api, *services.sync, *services.feedback,
                                      *services.scheduler, *services.events, *services.session);
    shell.setMainWindowFactory([&services, &coordinator, &shell] {
        auto *window = new MainWindow(services, &coordinator);
        // The account tab binds through the same authorisation pages as the login window.
        window->setAuthPages(&shell.authPages());
        return window;
    });
    // The session ending (SIGTERM), Ctrl+C or a closed terminal end the program as "退出" does, so settings
    // and the store are written; should a window still hold the quit back, it ends all the same.
    TerminationSignals termination;
    QObject::connect(&termination, &TerminationSignals::requested, &shell, [&shell] {
        shell.quit();
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
    });
    shell.launch(program.storeOpened());
    if (shell.quitsAtOnce())
        return 0;
    coordinator.attachToCurrentSignIn();
    return app.exec();
}
