#include "tests/support/TestEnv.h"

#include "platform/base/UserDefaults.h"

#include <QDir>

#include <cstdlib>
#include <ctime>

namespace {
std::unique_ptr<QTemporaryDir> root;
int freshCount = 0;

void setEnv(const char *name, const QString &value)
{
    ::setenv(name, QFile::encodeName(value).constData(), 1);
}
} // namespace

namespace TestEnv {

void prepareProcess(const char *testName)
{
    root = std::make_unique<QTemporaryDir>(QDir::tempPath() + "/prelvane-" + QString::fromLatin1(testName) +
                                           "-XXXXXX");
    if (!root->isValid())
        qFatal("cannot create a temporary folder");
    const QString home = root->path() + "/home";
    QDir().mkpath(home);
    setEnv("HOME", home);
    setEnv("XDG_DATA_HOME", home + "/.local/share");
    setEnv("XDG_CONFIG_HOME", home + "/.config");
    setEnv("XDG_CACHE_HOME", home + "/.cache");
    setEnv("XDG_RUNTIME_DIR", root->path() + "/run");
    QDir().mkpath(root->path() + "/run");
    QFile::setPermissions(root->path() + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!std::getenv("QT_QPA_PLATFORM"))
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!std::getenv("TZ"))
        ::setenv("TZ", "Asia/Shanghai", 1);
    ::tzset();
}

QString freshFolders()
{
    const QString dir = root->path() + QString("/case-%1").arg(++freshCount);
    QDir().mkpath(dir + "/data");
    QDir().mkpath(dir + "/config");
    setEnv("XDG_DATA_HOME", dir + "/data");
    setEnv("XDG_CONFIG_HOME", dir + "/config");
    UserDefaults::setStoragePath(dir + "/config/Prelvane/userdefaults.ini");
    return dir;
}

void setTimeZone(const QByteArray &ianaName)
{
    ::setenv("TZ", ianaName.constData(), 1);
    ::tzset();
}

QString rootFolder()
{
    return root->path();
}

} // namespace TestEnv
