#include "config/status_texts.h"

#include <cmath>

#include "config/string_ids.h"

namespace nimbra {

std::string uploadServiceName(StatusPane pane) {
    switch (pane) {
        case kWowPane:
            return "WOW";
        case kWeathercloudPane:
            return "Weathercloud";
        case kCwopPane:
            return "CWOP";
        case kWindyPane:
            return "Windy";
        case kOpenWeatherMapPane:
            return "OpenWeatherMap";
        default:
            return "Weather Underground";
    }
}

std::string uploadFailureText(const UploadFailure& why, const StringTable& strings) {
    return uploadFailureText(why, [&strings](int id) { return strings.text(id); });
}

std::string uploadFailureText(const UploadFailure& why,
                              const std::function<std::string(int id)>& textOf) {
    using enum UploadFailure::Kind;
    const auto fill = [&textOf](int id, std::initializer_list<std::string_view> arguments) {
        std::string text = fillTextArguments(textOf(id), arguments);
        // A server that gave no message leaves the separator before it dangling.
        while (!text.empty() && (text.back() == ' ' || text.back() == ':')) {
            text.pop_back();
        }
        if (text.ends_with("\xEF\xBC\x9A")) {  // the full-width colon
            text.resize(text.size() - 3);
        }
        return text;
    };
    switch (why.kind) {
        case badServer:
            return fill(kTextUploadBadServer, {why.host});
        case nameNotResolved:
            return fill(kTextUploadNameUnknown, {why.host});
        case timedOut:
            return fill(kTextUploadTimedOut, {why.host, std::to_string(why.seconds)});
        case certificateRefused:
            return fill(kTextUploadCertificateRefused, {why.host, why.detail});
        case cannotConnect:
            return fill(kTextUploadCannotConnect, {why.host, why.detail});
        case cutShort:
            return fill(kTextUploadCutShort, {why.host});
        case httpStatus:
            return fill(kTextUploadHttpStatus,
                        {"HTTP " + std::to_string(why.status), why.serverMessage});
        case notAccepted:
            return fill(kTextUploadNotTaken, {why.serverMessage});
        case noLocation:
            return textOf(kTextLocationMissing);
        case badStation:
            return textOf(kTextCwopStationInvalid);
        case badPasscode:
            return textOf(kTextCwopPasscodeInvalid);
        case noApiKey:
            return textOf(kTextApiKeyMissing);
        case noStationId:
            return textOf(kTextUploadNoStationId);
        case other:
            break;
    }
    return fill(kTextUploadFailed, {why.detail});
}

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
        case CwopSuccess:
            return StatusChange{kCwopPane, "cwop", PaneIcon::success};
        case CwopFailure:
            return StatusChange{kCwopPane, "cwop", PaneIcon::failure};
        case CwopOff:
            return StatusChange{kCwopPane, {}, PaneIcon::none};
        case WindySuccess:
            return StatusChange{kWindyPane, "windy", PaneIcon::success};
        case WindyFailure:
            return StatusChange{kWindyPane, "windy", PaneIcon::failure};
        case WindyOff:
            return StatusChange{kWindyPane, {}, PaneIcon::none};
        case OpenWeatherMapSuccess:
            return StatusChange{kOpenWeatherMapPane, "owm", PaneIcon::success};
        case OpenWeatherMapFailure:
            return StatusChange{kOpenWeatherMapPane, "owm", PaneIcon::failure};
        case OpenWeatherMapOff:
            return StatusChange{kOpenWeatherMapPane, {}, PaneIcon::none};
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
