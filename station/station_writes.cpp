#include "station/station_writes.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstddef>
#include <thread>
#include <utility>

#include "core/absent.h"
#include "core/station_encoders.h"
#include "core/units.h"
#include "station/fixed_fields.h"
#include "station/memory_map.h"

namespace nimbra {

namespace {

using namespace fixed_fields;
using memory_map::kCommitValue;

using Encoder = void (*)(std::uint8_t*, float);

void sendByte(StationWritePlan& plan, int address, std::int32_t value) {
    plan.push_back({address, static_cast<std::uint8_t>(value & 0xFF)});
}

// A value of `width` bytes, low byte first; absent as `absentPattern`, whose bytes are
// taken low byte first too.
void sendField(StationWritePlan& plan, int address, float value, Encoder encode, std::size_t width,
               std::uint32_t absentPattern) {
    std::array<std::uint8_t, 3> bytes{};
    if (isAbsent(value)) {
        for (std::size_t i = 0; i < width; ++i) {
            bytes[i] = static_cast<std::uint8_t>(absentPattern >> (8 * i));
        }
    } else {
        encode(bytes.data(), value);
    }
    for (std::size_t i = 0; i < width; ++i) {
        plan.push_back({address + static_cast<int>(i), bytes[i]});
    }
}

void sendTenths(StationWritePlan& plan, int address, SentAs form, float value) {
    switch (form) {
        case SentAs::signedTenths:
            return sendField(plan, address, value, EncodeSignedTenths16, 2, 0xFFFF);
        case SentAs::rainTenths:
            return sendField(plan, address, value, EncodeSignedTenthsLow, 2, 0xFFFF);
        case SentAs::tenths:
            return sendField(plan, address, value, EncodeTenths16, 2, 0xFFFF);
        case SentAs::windTenths:
            // The station's own "none" for a 12-bit speed: 0xFFFF would read back as
            // 6553.5 m/s.
            return sendField(plan, address, value, EncodeTenths16, 2, 0x0FFF);
        case SentAs::tenths24:
            return sendField(plan, address, value, EncodeTenths24, 3, 0xFFFFFF);
    }
}

// A one-byte value as its low byte; a BCD one as two decimal digits, or 0xFF when it has
// none (a blank time alarm is -1).
void sendSmall(StationWritePlan& plan, int address, SmallFormat format, std::int32_t value) {
    if (format != SmallFormat::bcd) {
        return sendByte(plan, address, value);
    }
    sendByte(plan, address, value >= 0 && value <= 99 ? (value / 10) * 16 + value % 10 : 0xFF);
}

StationWritePlan finished(StationWritePlan plan) {
    plan.push_back({fx::kCommit, kCommitValue});
    return plan;
}

// Every step of the alarm write comes from exactly one row of the tables.
constexpr bool writeOrderIsComplete() {
    std::array<int, kAlarmWriteSteps> rows{};
    const auto count = [&rows](int order) {
        if (order >= 0 && order < kAlarmWriteSteps) {
            ++rows[static_cast<std::size_t>(order)];
        }
    };
    for (const auto& f : kAlarmTenths) {
        count(f.writeOrder);
    }
    for (const auto& f : kAlarmSmall) {
        count(f.writeOrder);
    }
    for (const auto& f : kAlarmStationBytes) {
        count(f.writeOrder);
    }
    for (const auto& e : kEnableBytes) {
        count(e.writeOrder);
    }
    return std::all_of(rows.begin(), rows.end(), [](int n) { return n == 1; });
}
static_assert(writeOrderIsComplete());

// Absent thresholds stay absent through every conversion.
template <typename Convert>
void convertThreshold(float& value, Convert convert) {
    if (!isAbsent(value)) {
        value = static_cast<float>(convert(static_cast<double>(value)));
    }
}

double temperatureBetween(double x, int previousUnit) {
    return previousUnit != 0 ? (x - 32.0) / 1.8 : x * 1.8 + 32.0;
}

// One decimal, as the station's tenths hold it, rounded the way "%0.1f" prints.
double toOneDecimal(double x) {
    std::array<char, 64> text{};
    const auto printed =
        std::to_chars(text.data(), text.data() + text.size(), x, std::chars_format::fixed, 1);
    double rounded = x;
    if (printed.ec == std::errc()) {
        std::from_chars(text.data(), printed.ptr, rounded);
    }
    return rounded;
}

// Rain thresholds are held as mm, or as tenths of an inch.
double rainBetween(double x, int previousUnit) {
    constexpr double kTenthInchesPerMillimetre = 0.393700787;
    return previousUnit != 0 ? x / kTenthInchesPerMillimetre
                             : toOneDecimal(x * kTenthInchesPerMillimetre);
}

// Pressure thresholds are held as hPa, tenths of an inch of mercury or mm of mercury.
double pressureBetween(double x, int previousUnit, int newUnit) {
    constexpr double kHectopascalPerTenthInch = 3.38638;
    constexpr double kHectopascalPerMillimetre = 1.33322;
    const double hectopascal = previousUnit == kInchesOfMercury ? x * kHectopascalPerTenthInch
                               : previousUnit == kMillimetresOfMercury
                                   ? x * kHectopascalPerMillimetre
                                   : x;
    return newUnit == kInchesOfMercury        ? hectopascal / kHectopascalPerTenthInch
           : newUnit == kMillimetresOfMercury ? hectopascal / kHectopascalPerMillimetre
                                              : hectopascal;
}

double lightBetween(double x, int previousUnit, int newUnit) {
    constexpr double kLuxPerFootCandle = 10.76391;
    constexpr double kLuxPerWattPerSquareMetre = 126.7;
    const double lux = previousUnit == kFootCandles           ? x * kLuxPerFootCandle
                       : previousUnit == kWattsPerSquareMetre ? x * kLuxPerWattPerSquareMetre
                                                              : x;
    return ConvertLight(static_cast<float>(lux), newUnit);
}

// The unit setting of each kind of threshold, as the station holds it now and as the
// thresholds were last written in, in the order the settings write sends the thresholds.
struct UnitChange {
    HeldIn heldIn;
    std::int32_t CStationData::*now;
    std::int32_t CStationData::*previous;
};

constexpr std::array kUnitChanges = {
    UnitChange{HeldIn::inTemp, &CStationData::InTempUnit, &CStationData::m_PrevInTempUnit},
    UnitChange{HeldIn::outTemp, &CStationData::OutTempUnit, &CStationData::m_PrevOutTempUnit},
    UnitChange{HeldIn::rain, &CStationData::RainUnit, &CStationData::m_PrevRainUnit},
    UnitChange{HeldIn::pressure, &CStationData::PressureUnit, &CStationData::m_PrevPressureUnit},
    UnitChange{HeldIn::wind, &CStationData::WindUnit, &CStationData::m_PrevWindUnit},
    UnitChange{HeldIn::light, &CStationData::LightUnit, &CStationData::m_PrevLightUnit},
};

double convertBetween(HeldIn heldIn, double x, int previousUnit, int newUnit) {
    switch (heldIn) {
        case HeldIn::inTemp:
        case HeldIn::outTemp:
            return temperatureBetween(x, previousUnit);
        case HeldIn::rain:
            return rainBetween(x, previousUnit);
        case HeldIn::pressure:
            return pressureBetween(x, previousUnit, newUnit);
        case HeldIn::wind:
            // The record keeps the thresholds in the unit the station now holds them in.
            return ConvertWindSpeed(WindSpeedToMetres(static_cast<float>(x), previousUnit),
                                    newUnit);
        case HeldIn::light:
            return lightBetween(x, previousUnit, newUnit);
    }
    return x;
}

}  // namespace

StationWritePlan PlanSettingsWrite(CStationData& d) {
    StationWritePlan plan;
    sendByte(plan, fx::kInterval, d.m_Interval);
    sendByte(plan, fx::kFlags29, d.m_Flags29);
    sendByte(plan, fx::kUnits, unitBits(d));
    sendByte(plan, fx::kWindUnit, windUnitByte(d.WindUnit));
    sendByte(plan, fx::kDisplay1, d.m_Display1);
    sendByte(plan, fx::kDisplay2, d.m_Display2);
    sendByte(plan, fx::kTimeZone, d.m_TimeZone);
    sendTenths(plan, fx::kRelPressure, SentAs::tenths, d.m_RelPressure);

    for (const UnitChange& change : kUnitChanges) {
        std::int32_t& previous = d.*change.previous;
        const std::int32_t now = d.*change.now;
        if (previous == now) {
            continue;
        }
        if (change.heldIn == HeldIn::light && !hasSolarSensor(d.m_Kind)) {
            previous = now;  // no light threshold to carry over into the new unit
            continue;
        }
        for (const TenthsThreshold& f : kAlarmTenths) {
            if (f.heldIn == change.heldIn) {
                float& threshold = (d.*f.record).*f.member;
                convertThreshold(threshold, [&](double x) {
                    return convertBetween(change.heldIn, x, previous, now);
                });
                sendTenths(plan, f.offset, f.sentAs, threshold);
            }
        }
        previous = now;
    }
    return finished(std::move(plan));
}

StationWritePlan PlanAlarmWrite(CStationData& d) {
    // Byte 29 keeps the light unit bits only, which only the settings write changes.
    d.m_Flags29 =
        static_cast<std::uint8_t>((d.m_Flags29 & kLightUnitBits) | enableBits(d, fx::kFlags29));

    std::array<StationWritePlan, kAlarmWriteSteps> steps;
    const auto step = [&steps](int writeOrder) -> StationWritePlan& {
        return steps[static_cast<std::size_t>(writeOrder)];
    };
    for (const TenthsThreshold& f : kAlarmTenths) {
        sendTenths(step(f.writeOrder), f.offset, f.sentAs, (d.*f.record).*f.member);
    }
    for (const SmallThreshold& f : kAlarmSmall) {
        sendSmall(step(f.writeOrder), f.offset, f.format, (d.*f.record).*f.member);
    }
    for (const StationByte& f : kAlarmStationBytes) {
        sendSmall(step(f.writeOrder), f.offset, f.format, d.*f.member);
    }
    for (const EnableByte& e : kEnableBytes) {
        const std::uint8_t bits = e.offset == fx::kFlags29 ? d.m_Flags29 : enableBits(d, e.offset);
        sendByte(step(e.writeOrder), e.offset, bits);
    }

    StationWritePlan plan;
    for (const StationWritePlan& writes : steps) {
        plan.insert(plan.end(), writes.begin(), writes.end());
    }
    if (!hasSolarSensor(d.m_Kind)) {
        // A console without the solar sensor has no light or UV alarm to write.
        std::erase_if(plan, [](const StationByteWrite& write) {
            return write.address >= fx::kLightHighAlarm && write.address <= fx::kUvHighAlarm;
        });
    }
    return finished(std::move(plan));
}

StationWritePlan PlanClearMemory() {
    StationWritePlan plan;
    sendByte(plan, fx::kDataCount, 0);
    sendByte(plan, fx::kDataCount + 1, 0);
    return finished(std::move(plan));
}

int SendStationWrites(const StationWritePlan& plan, const WriteByteFunction& writeByte) {
    for (const StationByteWrite& write : plan) {
        if (writeByte(write.address, write.value) != 1) {
            return 0;
        }
    }
    return 1;
}

bool AwaitCommitTaken(const ReadBlockFunction& readBlock, std::chrono::milliseconds limit,
                      std::chrono::milliseconds poll) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    std::array<unsigned char, memory_map::kBlockSize> block{};
    for (;;) {
        if (readBlock(0, block.data()) == 1 && block[fx::kCommit] != kCommitValue) {
            return true;
        }
        if (std::chrono::steady_clock::now() + poll > deadline) {
            return false;
        }
        std::this_thread::sleep_for(poll);
    }
}

namespace {

int sendAndAwait(const StationWritePlan& plan, const WriteByteFunction& writeByte,
                 const ReadBlockFunction& readBlock) {
    const int sent = SendStationWrites(plan, writeByte);
    if (sent == 1 && readBlock) {
        AwaitCommitTaken(readBlock);
    }
    return sent;
}

}  // namespace

int WriteSettings(CStationData& data, const WriteByteFunction& writeByte,
                  const ReadBlockFunction& readBlock) {
    return sendAndAwait(PlanSettingsWrite(data), writeByte, readBlock);
}

int WriteAlarms(CStationData& data, const WriteByteFunction& writeByte,
                const ReadBlockFunction& readBlock) {
    return sendAndAwait(PlanAlarmWrite(data), writeByte, readBlock);
}

int ClearMemory(const WriteByteFunction& writeByte, const ReadBlockFunction& readBlock) {
    return sendAndAwait(PlanClearMemory(), writeByte, readBlock);
}

}  // namespace nimbra
