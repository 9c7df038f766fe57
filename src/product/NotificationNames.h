#pragma once

namespace tq {

// The application's notifications. They carry nothing but their name: observers read what they
// need from shared state.
namespace Notifications {
inline constexpr const char* downloadComplete = "DownloadComplete";
inline constexpr const char* downloadError = "DownloadError";
inline constexpr const char* openTourFromScan = "OpenTourFromScan";
inline constexpr const char* updateComplete = "UpdateComplete";
// Spelled as the rest of the system knows it.
inline constexpr const char* showAppStoreReview = "ShowAppStoreRevien";
}  // namespace Notifications

}  // namespace tq
