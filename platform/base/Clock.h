#pragma once

#include <QDateTime>
#include <QObject>

// The one source of "now" for the whole program. Tests set or move it; the
// program itself never reads the system clock directly.
//
// The time itself is the process's: value code everywhere (a reminder's next
// date, a row's timestamps) reads now() without being handed anything. A
// Clock object is how something hears that the time was moved: every Clock
// alive emits jumped() on each move. The program object makes one for the
// services bundle; whoever else needs to hear the jumps keeps one of its own.
class Clock : public QObject
{
    Q_OBJECT
public:
    explicit Clock(QObject *parent = nullptr);
    ~Clock() override;

    static QDateTime now();
    static qint64 nowMSecs();
    static qint64 nowSecs();

    // Test control. A fixed clock stands still until moved; advance() moves a
    // fixed clock, or shifts the real one when none is fixed.
    static void setNow(const QDateTime &fixed);
    static void advance(qint64 msecs);
    // The same without jumped(): time that passed while nothing heard it, as
    // when a monotonic timer slept through a suspend.
    static void advanceUnheard(qint64 msecs);
    static void reset();
    static bool isFixed();

signals:
    // Emitted whenever a test moves the clock (a stand-in for a wall-clock
    // jump such as waking from suspend).
    void jumped();

private:
    static void tellJumped();
};
