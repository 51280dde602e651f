#include "core/model/MagicalRecordManager.h"

#include <QStandardPaths>

QString MagicalRecordManager::defaultStorePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + "/LoginAccount.sqlite";
}
