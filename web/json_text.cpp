#include "web/json_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "core/absent.h"
#include "core/ole_date.h"

namespace nimbra {

void appendJsonString(std::string& out, std::string_view text) {
    out += '"';
    for (const char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\u%04x", static_cast<unsigned>(c));
                    out += buffer;
                } else {
                    out += c;
                }
        }
    }
    out += '"';
}

void appendJsonNumber(std::string& out, double value) {
    if (!std::isfinite(value) || value == static_cast<double>(kAbsent)) {
        out += "null";
        return;
    }
    // Readings are floats: their shortest exact text reads 21.7, not 21.70000076.
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<float>(value));
    out.append(buffer, result.ptr);
}

void appendJsonDate(std::string& out, double oleDate) {
    const auto civil = OleDate(oleDate).toCivil();
    // 0 is where the extreme blocks keep no time at all.
    if (oleDate == static_cast<double>(kAbsent) || oleDate == 0.0 || !civil) {
        out += "null";
        return;
    }
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "\"%04d-%02d-%02dT%02d:%02d:%02d\"", civil->year,
                  civil->month, civil->day, civil->hour, civil->minute, civil->second);
    out += buffer;
}

std::string jsonError(std::string_view parameter, std::string_view message) {
    std::string out = "{\"error\":";
    appendJsonString(out, message);
    out += ",\"parameter\":";
    appendJsonString(out, parameter);
    out += '}';
    return out;
}

}  // namespace nimbra
