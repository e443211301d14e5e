#pragma once

#include <cmath>
#include <cstdint>

#include "core/ole_date.h"

namespace nimbra::emulator {

// The console's clock, in whole minutes; it never shows seconds.
class StationClock {
public:
    explicit StationClock(const CivilTime& start)
        : m_minutes(std::llround(OleDate::fromCivil(start).value() * kMinutesPerDay)) {}

    void tick() { ++m_minutes; }
    void rewind(std::int64_t minutes) { m_minutes -= minutes; }

    CivilTime civil() const {
        return OleDate(static_cast<double>(m_minutes) / kMinutesPerDay)
            .toCivil()
            .value_or(CivilTime{});
    }
    // Built from the calendar fields, so a time written as BCD reads back identical.
    double oleDate() const { return OleDate::fromCivil(civil()).value(); }

private:
    static constexpr double kMinutesPerDay = 1440.0;
    std::int64_t m_minutes;  // since 1899-12-30 00:00
};

}  // namespace nimbra::emulator
