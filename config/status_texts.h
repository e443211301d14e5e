#pragma once

#include <optional>
#include <string>

#include "config/string_table.h"
#include "core/view_events.h"

namespace nimbra {

// The status bar's panes, left to right.
enum StatusPane { kProgressPane = 0, kWowPane, kWeathercloudPane, kWundergroundPane, kUsbPane };
inline constexpr int kStatusPaneWidths[] = {400, 120, 120, 90, 175};

enum class PaneIcon { none, success, failure };

struct StatusChange {
    StatusPane pane;
    std::string text;
    PaneIcon icon;
};

// What a view event changes in the status bar; nothing for the events that are
// requests rather than news.
std::optional<StatusChange> statusChangeFor(ViewEvent event, const StringTable& strings);

// Pane 0 and the log when the station reported a pointer or count that cannot be right.
std::string stationFaultText(StationFault fault, int value, const StringTable& strings);

// Pane 0 during and after a download, e.g. "Data Reading:120 Compute Rain:45%".
std::string progressText(const DownloadProgress& progress, const StringTable& strings);

}  // namespace nimbra
