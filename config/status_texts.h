#pragma once

#include <functional>
#include <optional>
#include <string>

#include "config/string_table.h"
#include "core/upload_failure.h"
#include "core/view_events.h"

namespace nimbra {

// The status bar's panes, left to right. The panes after the USB one belong to services
// that came later; the window shows them only while their service is on.
enum StatusPane {
    kProgressPane = 0,
    kWowPane,
    kWeathercloudPane,
    kWundergroundPane,
    kUsbPane,
    kCwopPane,
    kWindyPane,
    kOpenWeatherMapPane,
};
inline constexpr int kStatusPaneWidths[] = {400, 120, 120, 90, 175, 72, 72, 72};
inline constexpr std::size_t kStatusPaneCount = 8;
inline constexpr int kFirstLaterPane = kCwopPane;

enum class PaneIcon { none, success, failure };

struct StatusChange {
    StatusPane pane;
    std::string text;
    PaneIcon icon;
};

// What a view event changes in the status bar; nothing for the events that are
// requests rather than news.
std::optional<StatusChange> statusChangeFor(ViewEvent event, const StringTable& strings);

// The service of an upload pane by its name, untranslated as the menu shows it.
std::string uploadServiceName(StatusPane pane);

// Why an upload failed, in the user's language, e.g. "The server answered HTTP 401:
// unauthorized" or "The name wow.example does not resolve".
std::string uploadFailureText(const UploadFailure& why, const StringTable& strings);
// The same with the texts looked up by `textOf`, for callers that hold no table.
std::string uploadFailureText(const UploadFailure& why,
                              const std::function<std::string(int id)>& textOf);
// Pane 0 and the log when the station reported a pointer or count that cannot be right.
std::string stationFaultText(StationFault fault, int value, const StringTable& strings);

// Pane 0 during and after a download, e.g. "Data Reading:120 Compute Rain:45%".
std::string progressText(const DownloadProgress& progress, const StringTable& strings);

}  // namespace nimbra
