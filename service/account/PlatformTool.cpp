#include "service/account/PlatformTool.h"

#include <QCoreApplication>
#include <QFile>
#include <QSysInfo>

QString PlatformTool::modelIdentifier()
{
    // The board's product name, as the firmware reports it.
    QFile file(QStringLiteral("/sys/class/dmi/id/product_name"));
    if (file.open(QIODevice::ReadOnly)) {
        const QString model = QString::fromUtf8(file.readAll()).trimmed();
        if (!model.isEmpty())
            return model;
    }
    return QStringLiteral("Unknown Mac");
}

QString PlatformTool::osxVersion()
{
    const QString version = QSysInfo::productVersion();
    if (version.isEmpty() || version == QLatin1String("unknown"))
        return {};
    return version;
}

QString PlatformTool::appVersion()
{
    return QStringLiteral(PRELVANE_VERSION);
}

QString PlatformTool::deviceModel()
{
    return QStringLiteral("%1-%2").arg(modelIdentifier(), osxVersion());
}
