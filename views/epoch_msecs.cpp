#include "views/epoch_msecs.h"

#include <QDateTime>
#include <cmath>

#include "core/ole_date.h"

namespace nimbra {

namespace {

constexpr double kEpochOleDate = 25569.0;  // 1970-01-01 00:00
constexpr double kSlotsPerDay = 48.0;
constexpr qint64 kMsecsPerDay = 86'400'000;

qint64 offsetMsAt(qint64 msecs) {
    return qint64{QDateTime::fromMSecsSinceEpoch(msecs).offsetFromUtc()} * 1000;
}

// The offset of the local wall-clock time `wallMs` (the wall clock read as UTC). That is
// off by about the offset; the offset in force at the instant it gives is the one the
// wall-clock time lies in.
qint64 offsetMsOfWall(qint64 wallMs) {
    return offsetMsAt(wallMs - offsetMsAt(wallMs));
}

qint64 wallMsOf(double oleDate) {
    // Whole seconds, the resolution of the stored times.
    return std::llround((oleDate - kEpochOleDate) * kSecondsPerDay) * 1000;
}

}  // namespace

qint64 EpochMsecs::operator()(double oleDate) {
    const qint64 wallMs = wallMsOf(oleDate);
    const double day = std::floor(oleDate);
    if (day != m_day) {
        m_day = day;
        const qint64 dayStart = wallMsOf(day);
        m_offsetMs = offsetMsOfWall(dayStart);
        m_dayUniform = m_offsetMs == offsetMsOfWall(dayStart + kMsecsPerDay);
        m_slot = kNone;
    }
    if (!m_dayUniform) {
        const double slot = std::floor(oleDate * kSlotsPerDay);
        if (slot != m_slot) {
            m_slot = slot;
            m_offsetMs = offsetMsOfWall(wallMs);
        }
    }
    return wallMs - m_offsetMs;
}

}  // namespace nimbra
