#pragma once

// The network status values every consumer of the network monitor sees.
namespace NetworkStatus {
inline constexpr int Unknown = -1;
inline constexpr int NotReachable = 0;
// Reachable over something other than Wi-Fi (wired, mobile, ...).
inline constexpr int ReachableNotWiFi = 1;
inline constexpr int WiFi = 2;
} // namespace NetworkStatus
