#pragma once

#include <QDateTime>
#include <QObject>

// The one source of "now" for the whole program. Tests set or move it; the
// program itself never reads the system clock directly.
class Clock : public QObject
{
    Q_OBJECT
public:
    static Clock *instance();

    static QDateTime now();
    static qint64 nowMSecs();
    static qint64 nowSecs();

    // Test control. A fixed clock stands still until moved; advance() moves a
    // fixed clock, or shifts the real one when none is fixed.
    static void setNow(const QDateTime &fixed);
    static void advance(qint64 msecs);
    static void reset();
    static bool isFixed();

signals:
    // Emitted whenever a test moves the clock (a stand-in for a wall-clock
    // jump such as waking from suspend).
    void jumped();

private:
    explicit Clock(QObject *parent = nullptr);
};
