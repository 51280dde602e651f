#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

// Keeps every test away from the real home folder: before the application
// object exists, HOME and the XDG folders point into a temporary folder that
// lives as long as the process. freshFolders() gives each test function its own.
namespace TestEnv {

// Called by PRELVANE_TEST_MAIN before the application object is made.
void prepareProcess(const char *testName);

// A new, empty data and config folder; the user defaults move there too.
// Returns the folder's path.
QString freshFolders();

// Sets the process time zone (an IANA name) for local-time conversions.
void setTimeZone(const QByteArray &ianaName);

// The root temporary folder of this process.
QString rootFolder();

} // namespace TestEnv

// Like QTEST_MAIN, with a GUI application (offscreen) and the isolated folders.
#define PRELVANE_TEST_MAIN(TestClass)                                                                        \
    int main(int argc, char **argv)                                                                          \
    {                                                                                                        \
        TestEnv::prepareProcess(#TestClass);                                                                 \
        QApplication app(argc, argv);                                                                        \
        QCoreApplication::setApplicationName(QStringLiteral("Prelvane"));                                    \
        TestEnv::freshFolders();                                                                             \
        TestClass tc;                                                                                        \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }

// For tests that need no widgets.
#define PRELVANE_TEST_CORE_MAIN(TestClass)                                                                   \
    int main(int argc, char **argv)                                                                          \
    {                                                                                                        \
        TestEnv::prepareProcess(#TestClass);                                                                 \
        QCoreApplication app(argc, argv);                                                                    \
        QCoreApplication::setApplicationName(QStringLiteral("Prelvane"));                                    \
        TestEnv::freshFolders();                                                                             \
        TestClass tc;                                                                                        \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
