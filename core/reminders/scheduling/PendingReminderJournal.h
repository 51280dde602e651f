#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

class UserNotificationCenter;

// What the notification centre had pending, kept in the user defaults
// ("pendingReminders"), so that the next start can tell which reminders came
// due while the program was not running. The centre itself keeps its pending
// notifications in memory only. The planner writes it at a start, once a turn of
// the event loop when the schedule changed, on disk when it stops and, put on
// disk before anything else happens, after every delivery: a reminder delivered
// before a crash or a power cut is not in the journal any more.
class PendingReminderJournal
{
public:
    struct Entry
    {
        QString cId;
        QDateTime due; // the next delivery the centre had planned

        bool operator==(const Entry &other) const = default;
    };

    static QString key() { return QStringLiteral("pendingReminders"); }

    // The entries last written for this user; none for another user's journal.
    static QList<Entry> read(const QString &userId);
    // Writes when they differ from what is written; `flush`: waits until on disk.
    static void write(const QString &userId, const QList<Entry> &entries, bool flush);
    // Every pending notification of the centre with its next delivery.
    static QList<Entry> pendingIn(const UserNotificationCenter *center);

    // The notification text of a reminder that came due at `due` while the
    // program was not running: the note's text and when it was due.
    static QString missedText(const QString &content, const QDateTime &due, const QDateTime &now);
};
