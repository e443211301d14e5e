#include "upload/cwop_packet.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "upload/request_text.h"

namespace nimbra {

namespace {

// Rounded half away from zero.
long rounded(double value) {
    return std::lround(value);
}

// A whole number in `width` digits, or dots when absent; values beyond the field's
// digits are held at its largest.
void appendField(std::string& out, char tag, std::optional<long> value, int width) {
    if (tag != '\0') {
        out += tag;
    }
    if (!value) {
        out.append(static_cast<std::size_t>(width), '.');
        return;
    }
    const long largest = static_cast<long>(std::pow(10, width)) - 1;
    appendNumber(out, static_cast<int>(std::clamp(*value, 0L, largest)), width);
}

std::optional<long> mph(std::uint16_t tenthsMs) {
    if (tenthsMs == kAbsentU16) {
        return std::nullopt;
    }
    return rounded(tenthsMs / 10.0 * 2.2369362920544);
}

// Rain in tenths of mm as hundredths of an inch.
std::optional<long> hundredthsInch(std::int32_t tenthsMm) {
    if (tenthsMm == kAbsent32) {
        return std::nullopt;
    }
    return rounded(tenthsMm / 2.54);
}

// Three characters: 045, 102, -07, or dots.
void appendTemperature(std::string& out, std::int16_t tenthsC) {
    out += 't';
    if (tenthsC == kAbsent16) {
        out += "...";
        return;
    }
    const long fahrenheit = std::clamp(rounded(tenthsC / 10.0 * 1.8 + 32.0), -99L, 999L);
    if (fahrenheit < 0) {
        out += '-';
        appendNumber(out, static_cast<int>(-fahrenheit), 2);
    } else {
        appendNumber(out, static_cast<int>(fahrenheit), 3);
    }
}

std::string coordinate(double degrees, int degreeDigits, char positive, char negative) {
    const long hundredthsOfMinutes = rounded(std::fabs(degrees) * 6000.0);
    std::string out;
    appendNumber(out, static_cast<int>(hundredthsOfMinutes / 6000), degreeDigits);
    appendNumber(out, static_cast<int>(hundredthsOfMinutes % 6000 / 100), 2);
    out += '.';
    appendNumber(out, static_cast<int>(hundredthsOfMinutes % 100), 2);
    out += degrees < 0 ? negative : positive;
    return out;
}

}  // namespace

std::optional<std::string> aprsStationName(std::string_view station) {
    if (station.empty() || station.size() > 9) {
        return std::nullopt;
    }
    std::string name;
    for (const char c : station) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (!letter && !(c >= '0' && c <= '9') && c != '-') {
            return std::nullopt;
        }
        name += letter && c >= 'a' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return name;
}

std::optional<std::string> aprsPasscode(std::string_view passcode) {
    if (passcode == "-1") {
        return std::string(passcode);
    }
    if (passcode.empty() || passcode.size() > 5 ||
        !std::all_of(passcode.begin(), passcode.end(),
                     [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    return std::string(passcode);
}

std::string aprsLoginLine(std::string_view station, std::string_view passcode,
                          const SoftwareIdentity& identity) {
    std::string line = "user ";
    line += station;
    line += " pass ";
    line += passcode;
    line += " vers ";
    line += identity.name;
    line += ' ';
    for (std::size_t i = 0; i < identity.version.size(); ++i) {
        if (i > 0) {
            line += '.';
        }
        appendNumber(line, identity.version[i]);
    }
    return line;
}

std::string aprsLatitude(double degrees) {
    return coordinate(degrees, 2, 'N', 'S');
}

std::string aprsLongitude(double degrees) {
    return coordinate(degrees, 3, 'E', 'W');
}

std::string aprsWeatherPacket(std::string_view station, const StationLocation& location,
                              const UploadReading& r, const UtcTime& now,
                              const SoftwareIdentity& identity) {
    std::string packet(station);
    packet += ">APRS,TCPIP*:@";
    appendNumber(packet, now.day, 2);
    appendNumber(packet, now.hour, 2);
    appendNumber(packet, now.minute, 2);
    packet += 'z';
    packet += aprsLatitude(location.latitude.value_or(0.0));
    packet += '/';
    packet += aprsLongitude(location.longitude.value_or(0.0));
    packet += '_';
    // APRS gives north as 360; 000 reads as calm.
    appendField(packet, '\0',
                r.windDirection == kAbsentU16
                    ? std::nullopt
                    : std::optional<long>(r.windDirection == 0 ? 360 : r.windDirection),
                3);
    packet += '/';
    appendField(packet, '\0', mph(r.wind), 3);
    appendField(packet, 'g', mph(r.gust), 3);
    appendTemperature(packet, r.outTemp);
    const struct {
        char tag;
        std::optional<long> value;
        int width;
    } optional[] = {
        {'r', hundredthsInch(r.rainHour), 3},
        {'p', hundredthsInch(r.rain24h), 3},
        {'P', hundredthsInch(r.rainDay), 3},
        {'h',
         r.outHumi == kAbsent8 || r.outHumi > 100 ? std::nullopt
                                                  : std::optional<long>(r.outHumi % 100),
         2},
        {'b', r.relPressure == kAbsentU16 ? std::nullopt : std::optional<long>(r.relPressure), 5},
    };
    for (const auto& field : optional) {
        if (field.value) {
            appendField(packet, field.tag, field.value, field.width);
        }
    }
    packet += identity.name;
    return packet;
}

}  // namespace nimbra
