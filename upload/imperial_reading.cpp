#include "upload/imperial_reading.h"

#include <cstdint>

namespace nimbra {
namespace {

// Tenths of °C to tenths of °F, rounding half away from zero.
void fahrenheit(std::int16_t& t) {
    if (t != kAbsent16) {
        const int scaled = t * 18;
        const int rounded = (t >= 0 ? scaled + 5 : scaled - 5) / 10;
        t = fitOrMarker<std::int16_t>(rounded + 320, kAbsent16);
    }
}

// Tenths of m/s to tenths of mph, rounded.
void mph(std::uint16_t& value) {
    if (value != kAbsentU16) {
        value = fitOrMarker(value * 2.236936 + 0.5, kAbsentU16);
    }
}

// Tenths of hPa to hundredths of inHg, rounded.
void inHg(std::uint16_t& value) {
    if (value != kAbsentU16) {
        value = fitOrMarker(value / 3.38638 + 0.5, kAbsentU16);
    }
}

// Rain in tenths of mm to hundredths of an inch, rounded.
void inches(std::int32_t& value) {
    if (value != kAbsent32) {
        value = fitOrMarker(static_cast<std::uint32_t>(value) / 2.54 + 0.5, kAbsent32);
    }
}

}  // namespace

UploadReading toImperial(UploadReading reading) {
    fahrenheit(reading.inTemp);
    fahrenheit(reading.outTemp);
    fahrenheit(reading.dewPoint);
    fahrenheit(reading.windChill);
    mph(reading.wind);
    mph(reading.gust);
    inHg(reading.absPressure);
    inHg(reading.relPressure);
    inches(reading.rainRate);
    inches(reading.rainHour);
    inches(reading.rain24h);
    inches(reading.rainDay);
    inches(reading.rainWeek);
    inches(reading.rainMonth);
    inches(reading.rainYear);
    if (reading.light != kAbsent32) {
        // Tenths of lux to hundredths of W/m², truncated.
        reading.light =
            fitOrMarker(static_cast<std::uint32_t>(reading.light) * 10.0 / 126.7, kAbsent32);
    }
    return reading;
}

}  // namespace nimbra
