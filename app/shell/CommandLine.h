#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The program's command line: --help, --version and --autostart (the flag of
// the start-at-login entry). Parsing only; main() prints and exits.
class CommandLine
{
public:
    // The flag the start-at-login entry passes.
    static QString autostartFlag() { return QStringLiteral("--autostart"); }

    // `arguments` as QCoreApplication::arguments() gives them (program name first,
    // Qt's own options already taken out).
    static CommandLine parse(const QStringList &arguments);

    // Started at login: in the tray when an account signs in by itself, else not at all.
    bool startInTray() const { return m_startInTray; }
    // True when the program should print output() (or errorText()) and end with exitCode().
    bool exits() const { return m_exits; }
    int exitCode() const { return m_exitCode; }
    // For standard output (help, version).
    QString output() const { return m_output; }
    // For standard error (a wrong command line), with the hint to --help.
    QString errorText() const { return m_error; }

    // Before the application object (no display needed): answers --help and
    // --version and returns the exit code; nothing for anything else, which
    // parse() sees once Qt has taken its own options out.
    static std::optional<int> answerEarly(int argc, char **argv);
    // Prints output() and errorText(); returns exitCode().
    int print() const;

    static QString helpText();
    static QString versionText();

private:
    bool m_startInTray = false;
    bool m_exits = false;
    int m_exitCode = 0;
    QString m_output;
    QString m_error;
};
