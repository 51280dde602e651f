#pragma once

#include <QString>

class Classify;
class Context;
class LocalNotificationManager;

// Store edits the category menu and dialog share.
class CategoryEdits
{
public:
    // Gives the live categories (not marked deleted), in "sort" order and
    // except `skipClassId`, the sorts first, first + 1, ... and flags them as
    // changed for the push. Rows awaiting their deletion push are left alone:
    // flagging them as changed would bring them back.
    static void renumber(Context *ctx, int first, const QString &skipClassId = {});
    // Takes back the pending and shown notifications of the category's notes.
    static void withdrawNotifications(Context *ctx, LocalNotificationManager &notifications,
                                      const Classify *category);
    // The category by store key, else by classId; nullptr when it is gone.
    static Classify *find(Context *ctx, qint64 pk, const QString &classId);
};
