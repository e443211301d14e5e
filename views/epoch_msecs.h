#pragma once

#include <QtGlobal>
#include <cmath>
#include <limits>

namespace nimbra {

// Milliseconds since the epoch of OLE dates in local time, for long runs of dates such as
// a graph's points. The zone's offset from UTC is looked up once per half hour of local
// time rather than once per date, which keeps a year of five-minute records quick to
// convert; zones change their offsets on the hour or the half hour.
class EpochMsecs {
public:
    qint64 operator()(double oleDate);

private:
    static constexpr double kSlotsPerDay = 48.0;

    double m_slot = std::numeric_limits<double>::quiet_NaN();
    qint64 m_offsetMs = 0;
};

}  // namespace nimbra
