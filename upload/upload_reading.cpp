#include "upload/upload_reading.h"

#include "core/absent.h"

namespace nimbra {
namespace {

// Tenths rounded half away from zero, for readings that may be negative.
std::int16_t signedTenths(float value) {
    if (isAbsent(value)) {
        return kAbsent16;
    }
    const double tenths = static_cast<double>(value) * 10.0;
    return fitOrMarker(tenths >= 0.0 ? tenths + 0.5 : tenths - 0.5, kAbsent16);
}

template <typename T>
T positiveTenths(float value, T marker) {
    if (isAbsent(value)) {
        return marker;
    }
    return fitOrMarker(static_cast<double>(value) * 10.0 + 0.5, marker, 0.0);
}

std::uint8_t humidity(std::int32_t value) {
    return isAbsent(value) ? kAbsent8 : static_cast<std::uint8_t>(value & 0xFF);
}

std::uint16_t degrees(std::int32_t code) {
    if (code < 0 || code > 15) {
        return kAbsentU16;
    }
    return static_cast<std::uint16_t>(code * 22.5 + 0.5);
}

}  // namespace

UploadReading makeUploadReading(const HistoryRecord& current) {
    UploadReading reading;
    reading.solar = 1;
    reading.inTemp = signedTenths(current.InTemp);
    reading.outTemp = signedTenths(current.OutTemp);
    reading.dewPoint = signedTenths(current.DewPoint);
    reading.windChill = signedTenths(current.WindChill);
    reading.inHumi = humidity(current.InHumi);
    reading.outHumi = humidity(current.OutHumi);
    reading.wind = positiveTenths(current.Wind, kAbsentU16);
    reading.gust = positiveTenths(current.Gust, kAbsentU16);
    reading.windDirection = degrees(current.WindDirection);
    reading.absPressure = positiveTenths(current.AbsPressure, kAbsentU16);
    reading.relPressure = positiveTenths(current.RelPressure, kAbsentU16);
    reading.rainRate = kAbsent32;
    reading.rainHour = positiveTenths(current.Rain1, kAbsent32);
    reading.rainDay = positiveTenths(current.Rain2, kAbsent32);
    reading.rainWeek = positiveTenths(current.Rain3, kAbsent32);
    reading.rainMonth = positiveTenths(current.Rain4, kAbsent32);
    reading.rainYear = positiveTenths(current.RainYear, kAbsent32);
    reading.light = positiveTenths(current.Light, kAbsent32);
    reading.uv = isAbsent(current.UV) ? kAbsent16 : static_cast<std::int16_t>(current.UV & 0xFFFF);
    return reading;
}

}  // namespace nimbra
