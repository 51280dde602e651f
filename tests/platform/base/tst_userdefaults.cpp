// The user defaults reach the disk off the caller's thread: in the order they
// were set, as a whole file, and always before the program ends.

#include "platform/base/UserDefaults.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QSettings>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kCount = 300;
const QString kFixed = QStringLiteral("日程 fixed text that a torn file would lose");

QVariant onDisk(const QString &path, const QString &key)
{
    QSettings file(path, QSettings::IniFormat);
    return file.value(key);
}

// The child's part: sets values, then ends the way its mode says.
int runChild(const QString &mode, const QString &path)
{
    UserDefaults::setStoragePath(path);
    if (mode == "churn") {
        UserDefaults::setValue("zz", kFixed);
        for (qint64 n = 1;; ++n) {
            UserDefaults::setValue("a", n);
            UserDefaults::setValue("b", n);
            if (n == 1) {
                std::puts("ready");
                std::fflush(stdout);
            }
        }
    }
    for (int n = 1; n <= kCount; ++n)
        UserDefaults::setValue("count", n);
    UserDefaults::remove("gone");
    UserDefaults::setValue("last", "done");
    if (mode == "quit") {
        QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit);
        return QCoreApplication::exec();
    }
    if (mode == "exit")
        std::exit(0);
    return 0; // "return": out of main, the application goes first
}

} // namespace

class TstUserDefaults : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_root = TestEnv::freshFolders(); }

    void writesReachTheFileAsTheLastValues()
    {
        const QString path = UserDefaults::storagePath();
        UserDefaults::setValue("gone", "x");
        for (int n = 1; n <= kCount; ++n) {
            UserDefaults::setValue("count", n);
            // Read back at once, whatever the file holds.
            QCOMPARE(UserDefaults::integer("count"), n);
        }
        UserDefaults::setValue("list", QStringList{"甲", "乙"});
        UserDefaults::remove("gone");
        UserDefaults::sync();
        QCOMPARE(onDisk(path, "count").toInt(), kCount);
        QCOMPARE(onDisk(path, "list").toStringList(), (QStringList{"甲", "乙"}));
        QVERIFY(!onDisk(path, "gone").isValid());
        // A new reader of the file sees the same.
        UserDefaults::setStoragePath(path);
        QCOMPARE(UserDefaults::integer("count"), kCount);
        QVERIFY(!UserDefaults::contains("gone"));
    }

    // The sign-in keys are the owner's only: the file 0600 and its folder 0700, also
    // when an older start left them open.
    void fileAndFolderArePrivate()
    {
        const QString path = UserDefaults::storagePath();
        const QString folder = QFileInfo(path).absolutePath();
        QVERIFY(QDir().mkpath(folder));
        const auto open = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther;
        QVERIFY(QFile::setPermissions(folder, open | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));
        UserDefaults::setStoragePath(path);
        UserDefaults::setValue("count", 1);
        UserDefaults::sync();
        QCOMPARE(QFile::permissions(folder) & 0xF0FF, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(QFile::permissions(path) & 0xF0FF, QFile::ReadOwner | QFile::WriteOwner);
    }

    void whenWrittenWaitsForTheDisk()
    {
        const QString path = UserDefaults::storagePath();
        QObject gone;
        auto early = std::make_unique<QObject>();
        bool earlyCalled = false;
        UserDefaults::setValue("version", "41");
        UserDefaults::whenWritten(early.get(), [&] { earlyCalled = true; });
        early.reset();

        UserDefaults::setValue("version", "42");
        QVariant seen;
        bool called = false;
        UserDefaults::whenWritten(&gone, [&] {
            called = true;
            seen = onDisk(path, "version");
        });
        QVERIFY(!called);
        QTRY_VERIFY(called);
        QCOMPARE(seen.toString(), QString("42"));
        QVERIFY(!earlyCalled);

        // Nothing to write: still later, never within the call.
        called = false;
        UserDefaults::whenWritten(&gone, [&] { called = true; });
        QVERIFY(!called);
        QTRY_VERIFY(called);
    }

    void aNewPathKeepsTheOldFilesValues()
    {
        const QString first = m_root + "/first.ini";
        const QString second = m_root + "/second.ini";
        UserDefaults::setStoragePath(first);
        UserDefaults::setValue("userId", "7");
        UserDefaults::setStoragePath(second);
        QCOMPARE(onDisk(first, "userId").toString(), QString("7"));
        QVERIFY(!UserDefaults::contains("userId"));
        UserDefaults::setValue("userId", "8");
        UserDefaults::setStoragePath(first);
        QCOMPARE(UserDefaults::string("userId"), QString("7"));
        QCOMPARE(onDisk(second, "userId").toString(), QString("8"));
    }

    void everythingIsOnDiskWhenTheProgramEnds_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("the event loop quits") << "quit";
        QTest::newRow("main returns") << "return";
        QTest::newRow("exit() without the application ending") << "exit";
    }
    void everythingIsOnDiskWhenTheProgramEnds()
    {
        QFETCH(QString, mode);
        const QString path = m_root + "/child.ini";
        {
            QSettings seed(path, QSettings::IniFormat);
            seed.setValue("gone", "x");
        }
        QProcess child;
        child.setProgram(QCoreApplication::applicationFilePath());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("USERDEFAULTS_CHILD", mode);
        env.insert("USERDEFAULTS_FILE", path);
        child.setProcessEnvironment(env);
        child.start();
        QVERIFY(child.waitForFinished(20000));
        QCOMPARE(child.exitStatus(), QProcess::NormalExit);
        QCOMPARE(child.exitCode(), 0);
        QCOMPARE(onDisk(path, "count").toInt(), kCount);
        QCOMPARE(onDisk(path, "last").toString(), QString("done"));
        QVERIFY(!onDisk(path, "gone").isValid());
    }

    // Killed at any moment, the file holds the values of one moment: whole, and
    // never a later value without the earlier ones.
    void aKilledProgramLeavesAWholeFile()
    {
        QRandomGenerator rng(20261210);
        for (int round = 0; round < 6; ++round) {
            const QString path = m_root + QString("/killed%1.ini").arg(round);
            QProcess child;
            child.setProgram(QCoreApplication::applicationFilePath());
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert("USERDEFAULTS_CHILD", "churn");
            env.insert("USERDEFAULTS_FILE", path);
            child.setProcessEnvironment(env);
            child.start();
            QVERIFY(child.waitForReadyRead(10000));
            QTest::qWait(int(rng.bounded(5, 300)));
            // A child that already ended has no pid: kill(0) would end our process group.
            if (const qint64 pid = child.processId(); pid > 0)
                ::kill(pid_t(pid), SIGKILL);
            QVERIFY(child.waitForFinished(5000));

            QSettings file(path, QSettings::IniFormat);
            QCOMPARE(file.status(), QSettings::NoError);
            if (!file.contains("a"))
                continue; // killed before the first write
            const qint64 a = file.value("a").toLongLong();
            const qint64 b = file.value("b").toLongLong();
            QCOMPARE(file.value("zz").toString(), kFixed);
            QVERIFY2(a >= 1 && (a == b || a == b + 1), qPrintable(QString("a %1, b %2").arg(a).arg(b)));
        }
    }

private:
    QString m_root;
};

int main(int argc, char **argv)
{
    // A child runs in its parent's folders (it inherits their environment): a child that is killed could not
    // remove folders of its own.
    const bool child = qEnvironmentVariableIsSet("USERDEFAULTS_CHILD");
    if (!child)
        TestEnv::prepareProcess("TstUserDefaults");
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Prelvane"));
    if (child)
        return runChild(qEnvironmentVariable("USERDEFAULTS_CHILD"),
                        qEnvironmentVariable("USERDEFAULTS_FILE"));
    TestEnv::freshFolders();
    TstUserDefaults tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_userdefaults.moc"
