#include "platform/base/NotificationCenter.h"

NotificationCenter *NotificationCenter::defaultCenter()
{
    static NotificationCenter *center = new NotificationCenter;
    return center;
}

QMetaObject::Connection NotificationCenter::addObserver(const QString &name, const QObject *context,
                                                        Handler handler)
{
    return connect(this, &NotificationCenter::posted, context,
                   [name, handler = std::move(handler)](const QString &posted, const QVariant &object) {
                       if (posted == name)
                           handler(object);
                   });
}

void NotificationCenter::removeObserver(const QObject *context)
{
    disconnect(this, nullptr, context, nullptr);
}

void NotificationCenter::post(const QString &name, const QVariant &object)
{
    emit posted(name, object);
}
