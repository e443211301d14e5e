#include "config/status_texts.h"

#include <cmath>

#include "config/string_ids.h"

namespace nimbra {

std::optional<StatusChange> statusChangeFor(ViewEvent event, const StringTable& strings) {
    using enum ViewEvent;
    switch (event) {
        case StationConnected:
            return StatusChange{kUsbPane, strings.text(kTextUsbConnected), PaneIcon::none};
        case StationMissing:
            return StatusChange{kUsbPane, strings.text(kTextUsbUnconnected), PaneIcon::none};
        case WundergroundSuccess:
            return StatusChange{kWundergroundPane, strings.text(kTextUploadSuccess),
                                PaneIcon::success};
        case WundergroundFailure:
            return StatusChange{kWundergroundPane, strings.text(kTextUploadFailure),
                                PaneIcon::failure};
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

std::string stationFaultText(StationFault fault, int value, const StringTable& strings) {
    int id = kTextBadRecordCount;
    switch (fault) {
        case StationFault::recordPointer:
            id = kTextBadRecordPointer;
            break;
        case StationFault::recordCount:
            id = kTextBadRecordCount;
            break;
        case StationFault::ambiguousKind:
            id = kTextAmbiguousKind;
            break;
    }
    return fillTextArguments(strings.text(id), {std::to_string(value)});
}

std::string progressText(const DownloadProgress& progress, const StringTable& strings) {
    if (!progress.reading) {
        return strings.text(kTextComplete);
    }
    // Before the first record is stored there is nothing to take a share of.
    const int percent =
        progress.storedCount > 0
            ? static_cast<int>(std::trunc(static_cast<double>(progress.rainDoneCount) /
                                          progress.storedCount * 100.0))
            : 0;
    return strings.text(kTextDataReading) + ":" + std::to_string(progress.storedCount) + " " +
           strings.text(kTextComputeRain) + ":" + std::to_string(percent) + "%";
}

}  // namespace nimbra
