#pragma once

#include <QObject>

class QSocketNotifier;

// SIGTERM, SIGINT and SIGHUP (the session ending, Ctrl+C, the terminal closing)
// become a signal on the event loop, so the program ends the way its "退出"
// does: settings written, the store closed. A second one while ending kills
// at once, as the default would. One object at a time; it restores the
// previous handlers when it goes.
class TerminationSignals : public QObject
{
    Q_OBJECT
public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

    bool installed() const { return m_notifier != nullptr; }

signals:
    void requested(int signalNumber);

private:
    void readPending();

    QSocketNotifier *m_notifier = nullptr;
};
