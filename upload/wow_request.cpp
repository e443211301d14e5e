#include "upload/wow_request.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "upload/append_query_field.h"
#include "upload/imperial_reading.h"

namespace nimbra {
namespace {

struct Field {
    std::string_view name;
    std::int64_t value;
    int decimals;
    std::int64_t absentMarker;
};

}  // namespace

std::optional<HttpRequest> buildWowRequest(const SoftwareIdentity& identity,
                                           const UploadTarget& target, const UploadReading& reading,
                                           const UtcTime& now) {
    const UploadReading r = toImperial(reading);
    std::string text = "/automaticreading?";
    appendTextField(text, "siteid", target.stationId);
    appendTextField(text, "siteAuthenticationKey", target.password);
    // dateutc=2024-03-05%209%3A7%3A5& : month and day padded, the time not.
    text += "dateutc=";
    appendNumber(text, now.year);
    text += '-';
    appendNumber(text, now.month, 2);
    text += '-';
    appendNumber(text, now.day, 2);
    text += "%20";
    appendNumber(text, now.hour);
    text += "%3A";
    appendNumber(text, now.minute);
    text += "%3A";
    appendNumber(text, now.second);
    text += '&';

    const Field fields[] = {
        {"tempf", r.outTemp, 1, kAbsent16},        {"dewptf", r.dewPoint, 1, kAbsent16},
        {"humidity", r.outHumi, 0, kAbsent8},      {"windspeedmph", r.wind, 1, kAbsentU16},
        {"windgustmph", r.gust, 1, kAbsentU16},    {"winddir", r.windDirection, 0, kAbsentU16},
        {"baromin", r.relPressure, 2, kAbsentU16}, {"rainin", r.rainRate, 2, kAbsent32},
        {"dailyrainin", r.rainDay, 2, kAbsent32},
    };
    for (const Field& f : fields) {
        if (f.value != f.absentMarker) {
            AppendQueryField(text, f.name, f.value, f.decimals, f.absentMarker);
        }
    }
    text += "softwaretype=";
    text += softwareTypeValue(identity);
    return finishRequest(std::move(text), target.server);
}

}  // namespace nimbra
