// The program's command line: --help and --version answer and end, the
// autostart flag asks for the start in the tray, anything else is refused
// with a hint.

#include "app/shell/CommandLine.h"

#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("exits");
        QTest::addColumn<int>("code");
        QTest::addColumn<bool>("tray");
        QTest::addColumn<QString>("output"); // a part of standard output
        QTest::addColumn<QString>("error");  // a part of standard error

        const QString version = QStringLiteral("prelvane ") + QStringLiteral(PRELVANE_VERSION) + '\n';
        QTest::newRow("nothing") << QStringList{} << false << 0 << false << ""
                                 << "";
        QTest::newRow("autostart") << QStringList{"--autostart"} << false << 0 << true << ""
                                   << "";
        QTest::newRow("help") << QStringList{"--help"} << true << 0 << false << "--autostart"
                              << "";
        QTest::newRow("-h") << QStringList{"-h"} << true << 0 << false << "用法：prelvane"
                            << "";
        QTest::newRow("help wins over autostart")
            << QStringList{"--autostart", "--help"} << true << 0 << false << "--version"
            << "";
        QTest::newRow("version") << QStringList{"--version"} << true << 0 << false << version << "";
        QTest::newRow("-v") << QStringList{"-v"} << true << 0 << false << version << "";
        QTest::newRow("unknown option") << QStringList{"--tray"} << true << 2 << false << ""
                                        << "未知的选项：tray";
        QTest::newRow("an argument") << QStringList{"note.txt"} << true << 2 << false << ""
                                     << "多余的参数：note.txt";
        QTest::newRow("a value for a flag") << QStringList{"--autostart=yes"} << true << 2 << false << ""
                                            << "prelvane --help";
    }

    void parse()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, exits);
        QFETCH(int, code);
        QFETCH(bool, tray);
        QFETCH(QString, output);
        QFETCH(QString, error);

        const CommandLine line = CommandLine::parse(QStringList{"prelvane"} + args);
        QCOMPARE(line.exits(), exits);
        QCOMPARE(line.exitCode(), code);
        QCOMPARE(line.startInTray(), tray);
        QVERIFY2(output.isEmpty() ? line.output().isEmpty() : line.output().contains(output),
                 qPrintable(line.output()));
        QVERIFY2(error.isEmpty() ? line.errorText().isEmpty() : line.errorText().contains(error),
                 qPrintable(line.errorText()));
        if (code != 0)
            QVERIFY(line.errorText().contains("prelvane --help"));
    }

    // Before the application object only --help and --version are answered;
    // Qt's own options are left for it.
    void answerEarly()
    {
        auto answer = [](QList<QByteArray> args) {
            QList<char *> argv;
            for (QByteArray &a : args)
                argv << a.data();
            return CommandLine::answerEarly(int(argv.size()), argv.data());
        };
        QCOMPARE(answer({"prelvane", "--version"}), std::optional<int>(0));
        QCOMPARE(answer({"prelvane", "-platform", "offscreen"}), std::nullopt);
        QCOMPARE(answer({"prelvane", "--autostart"}), std::nullopt);
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
