#include "upload/weathercloud_request.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "upload/append_query_field.h"

namespace nimbra {
namespace {

struct Field {
    std::string_view name;
    std::int64_t value;
    std::int64_t absentMarker;
};

}  // namespace

std::optional<HttpRequest> buildWeathercloudRequest(const UploadTarget& target,
                                                    const UploadReading& reading,
                                                    const UtcTime& now) {
    UploadReading r = reading;
    if (r.light != kAbsent32) {
        // Tenths of lux to tenths of W/m².
        r.light = fitOrMarker(static_cast<std::uint32_t>(r.light) / 126.7, kAbsent32);
    }
    if (r.uv != kAbsent16) {
        r.uv = fitOrMarker<std::int16_t>(r.uv * 10, kAbsent16);
    }

    std::string text = "/v01/set?";
    appendTextField(text, "wid", target.stationId);
    appendTextField(text, "key", target.password);
    const Field fields[] = {
        {"tempin", r.inTemp, kAbsent16},
        {"temp", r.outTemp, kAbsent16},
        {"dew", r.dewPoint, kAbsent16},
        {"chill", r.windChill, kAbsent16},
        {"humin", r.inHumi, kAbsent8},
        {"hum", r.outHumi, kAbsent8},
        {"wspd", r.wind, kAbsentU16},
        {"wspdavg", r.wind, kAbsentU16},
        {"wspdhi", r.gust, kAbsentU16},
        {"wdir", r.windDirection, kAbsentU16},
        {"wdiravg", r.windDirection, kAbsentU16},
        {"bar", r.relPressure, kAbsentU16},
        {"rain", r.rainDay, kAbsent32},
    };
    for (const Field& f : fields) {
        AppendQueryField(text, f.name, f.value, 0, f.absentMarker, "-32768");
    }
    if (r.solar != 0) {
        AppendQueryField(text, "solarrad", r.light, 0, kAbsent32, "-32768");
        AppendQueryField(text, "uvi", r.uv, 0, kAbsent16, "-32768");
    }
    // date=20240305&time=0907&
    text += "date=";
    appendNumber(text, now.year);
    appendNumber(text, now.month, 2);
    appendNumber(text, now.day, 2);
    text += "&time=";
    appendNumber(text, now.hour, 2);
    appendNumber(text, now.minute, 2);
    text += "&type=391&ver=1.2";
    return finishRequest(std::move(text), target.server);
}

}  // namespace nimbra
