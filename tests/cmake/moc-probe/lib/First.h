#pragma once

#include <QObject>

class First : public QObject
{
    Q_OBJECT
signals:
    void ping();
};
