#include "config/status_texts.h"

#include <cmath>

namespace nimbra {

std::optional<StatusChange> statusChangeFor(ViewEvent event, const StringTable& strings) {
    using enum ViewEvent;
    switch (event) {
        case StationConnected:
            return StatusChange{kUsbPane, strings.text(3051), PaneIcon::none};
        case StationMissing:
            return StatusChange{kUsbPane, strings.text(3052), PaneIcon::none};
        case WundergroundSuccess:
            return StatusChange{kWundergroundPane, strings.text(3091), PaneIcon::success};
        case WundergroundFailure:
            return StatusChange{kWundergroundPane, strings.text(3092), PaneIcon::failure};
        case WundergroundOff:
            return StatusChange{kWundergroundPane, {}, PaneIcon::none};
        case WowSuccess:
            return StatusChange{kWowPane, "wow", PaneIcon::success};
        case WowFailure:
            return StatusChange{kWowPane, "wow", PaneIcon::failure};
        case WowOff:
            return StatusChange{kWowPane, {}, PaneIcon::none};
        case WeathercloudSuccess:
            return StatusChange{kWeathercloudPane, "weathercloud", PaneIcon::success};
        case WeathercloudFailure:
            return StatusChange{kWeathercloudPane, "weathercloud", PaneIcon::failure};
        case WeathercloudOff:
            return StatusChange{kWeathercloudPane, {}, PaneIcon::none};
        default:
            return std::nullopt;
    }
}

std::string progressText(const DownloadProgress& progress, const StringTable& strings) {
    if (!progress.reading) {
        return strings.text(3050);
    }
    // Before the first record is stored there is nothing to take a share of.
    const int percent =
        progress.storedCount > 0
            ? static_cast<int>(std::trunc(static_cast<double>(progress.rainDoneCount) /
                                          progress.storedCount * 100.0))
            : 0;
    return strings.text(3053) + ":" + std::to_string(progress.storedCount) + " " +
           strings.text(3054) + ":" + std::to_string(percent) + "%";
}

}  // namespace nimbra
