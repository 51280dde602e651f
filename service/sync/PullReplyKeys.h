#pragma once

#include <QLatin1StringView>
#include <QString>

// Keys read from a pull reply: the Latin-1 views compare with the parsed keys
// without building a text per look-up.
namespace PullReplyKeys {

inline constexpr QLatin1StringView cId("cId");
inline constexpr QLatin1StringView classId("classId");
inline constexpr QLatin1StringView detail("detail");
inline constexpr QLatin1StringView datas("datas");
inline constexpr QLatin1StringView actionType("actionType");
inline constexpr QLatin1StringView remindSetting("remindSetting");
inline constexpr QLatin1StringView sort("sort");
inline constexpr const char *notesSection = "syncContentResult";

// Attribute names for the store's finders.
inline const QString cIdAttribute = QStringLiteral("cId");
inline const QString classIdAttribute = QStringLiteral("classId");

} // namespace PullReplyKeys
