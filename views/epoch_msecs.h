#pragma once

#include <QtGlobal>
#include <limits>

namespace nimbra {

// Milliseconds since the epoch of OLE dates in local time, for long runs of dates in
// order, such as a graph's points. Looking the zone's offset from UTC up for every date
// would dominate a year of five-minute records, so it is looked up at each day's
// boundaries and, only on a day when the offset changes, once per half hour (zones change
// their offsets on the hour or the half hour).
class EpochMsecs {
public:
    qint64 operator()(double oleDate);

private:
    static constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

    double m_day = kNone;
    bool m_dayUniform = false;  // one offset holds for the whole day
    double m_slot = kNone;      // the half hour m_offsetMs was found for, on other days
    qint64 m_offsetMs = 0;
};

}  // namespace nimbra
