#include "upload/wunderground_request.h"

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

std::string_view scriptPath(int serverType) {
    switch (serverType) {
        case 1:
            return "/weatherstation/updateweatherstation.jsp?";
        case 2:
            return "/weatherstation/updateweatherstation.php?";
        default:
            return "/weatherstation/updateweatherstation.asp?";
    }
}

// Absent readings as the absent text, or left out when there is none.
void appendImperialFields(std::string& out, const UploadReading& metric,
                          std::optional<std::string_view> absentText) {
    const UploadReading r = toImperial(metric);
    const Field fields[] = {
        {"indoortempf", r.inTemp, 1, kAbsent16},      {"tempf", r.outTemp, 1, kAbsent16},
        {"dewptf", r.dewPoint, 1, kAbsent16},         {"windchillf", r.windChill, 1, kAbsent16},
        {"indoorhumidity", r.inHumi, 0, kAbsent8},    {"humidity", r.outHumi, 0, kAbsent8},
        {"windspeedmph", r.wind, 1, kAbsentU16},      {"windgustmph", r.gust, 1, kAbsentU16},
        {"winddir", r.windDirection, 0, kAbsentU16},  {"absbaromin", r.absPressure, 2, kAbsentU16},
        {"baromin", r.relPressure, 2, kAbsentU16},    {"rainin", r.rainRate, 2, kAbsent32},
        {"dailyrainin", r.rainDay, 2, kAbsent32},     {"weeklyrainin", r.rainWeek, 2, kAbsent32},
        {"monthlyrainin", r.rainMonth, 2, kAbsent32}, {"yearlyrainin", r.rainYear, 2, kAbsent32},
    };
    const auto append = [&](const Field& f) {
        if (absentText || f.value != f.absentMarker) {
            AppendQueryField(out, f.name, f.value, f.decimals, f.absentMarker, absentText);
        }
    };
    for (const Field& f : fields) {
        append(f);
    }
    if (r.solar != 0) {
        append({"solarradiation", r.light, 2, kAbsent32});
        append({"UV", r.uv, 0, kAbsent16});
    }
}

void appendMetricFields(std::string& out, const UploadReading& r) {
    const Field fields[] = {
        {"intemp", r.inTemp, 1, kAbsent16},          {"outtemp", r.outTemp, 1, kAbsent16},
        {"dewpoint", r.dewPoint, 1, kAbsent16},      {"windchill", r.windChill, 1, kAbsent16},
        {"inhumi", r.inHumi, 0, kAbsent8},           {"outhumi", r.outHumi, 0, kAbsent8},
        {"windspeed", r.wind, 1, kAbsentU16},        {"windgust", r.gust, 1, kAbsentU16},
        {"winddir", r.windDirection, 0, kAbsentU16}, {"absbaro", r.absPressure, 1, kAbsentU16},
        {"relbaro", r.relPressure, 1, kAbsentU16},   {"rainrate", r.rainRate, 1, kAbsent32},
        {"dailyrain", r.rainDay, 1, kAbsent32},      {"weeklyrain", r.rainWeek, 1, kAbsent32},
        {"monthlyrain", r.rainMonth, 1, kAbsent32},  {"yearlyrain", r.rainYear, 1, kAbsent32},
    };
    for (const Field& f : fields) {
        AppendQueryField(out, f.name, f.value, f.decimals, f.absentMarker);
    }
    if (r.solar != 0) {
        AppendQueryField(out, "light", r.light, 1, kAbsent32);
        AppendQueryField(out, "UV", r.uv, 0, kAbsent16);
    }
}

}  // namespace

std::string wundergroundQuery(const SoftwareIdentity& identity, const UploadTarget& target,
                              const UploadReading& reading, const UtcTime& now,
                              WundergroundAbsent absent) {
    std::string text;
    appendTextField(text, "ID", target.stationId);
    appendTextField(text, "PASSWORD", target.password);
    if (target.uploadType == 0) {
        appendMetricFields(text, reading);
    } else {
        appendImperialFields(text, reading,
                             absent == WundergroundAbsent::marked
                                 ? std::optional<std::string_view>("-9999")
                                 : std::nullopt);
    }
    // dateutc=2024-3-5%209:7:5& : nothing zero-padded.
    text += "dateutc=";
    appendNumber(text, now.year);
    text += '-';
    appendNumber(text, now.month);
    text += '-';
    appendNumber(text, now.day);
    text += "%20";
    appendNumber(text, now.hour);
    text += ':';
    appendNumber(text, now.minute);
    text += ':';
    appendNumber(text, now.second);
    text += "&softwaretype=";
    text += softwareTypeValue(identity);
    text += "&action=updateraw&realtime=1&rtfreq=5";
    return text;
}

std::optional<HttpRequest> buildWundergroundRequest(const SoftwareIdentity& identity,
                                                    const UploadTarget& target,
                                                    const UploadReading& reading,
                                                    const UtcTime& now) {
    std::string text(scriptPath(target.serverType));
    text += wundergroundQuery(identity, target, reading, now, WundergroundAbsent::marked);
    return finishRequest(std::move(text), target.server);
}

}  // namespace nimbra
