#include "views/epoch_msecs.h"

#include <QDateTime>

#include "weather/ole_date.h"

namespace nimbra {

namespace {

constexpr double kEpochOleDate = 25569.0;  // 1970-01-01 00:00

qint64 offsetMsAt(qint64 msecs) {
    return qint64{QDateTime::fromMSecsSinceEpoch(msecs).offsetFromUtc()} * 1000;
}

}  // namespace

qint64 EpochMsecs::operator()(double oleDate) {
    // Whole seconds, the resolution of the stored times.
    const qint64 wallMs = std::llround((oleDate - kEpochOleDate) * kSecondsPerDay) * 1000;
    const double slot = std::floor(oleDate * kSlotsPerDay);
    if (slot != m_slot) {
        m_slot = slot;
        // The wall clock read as UTC is off by about the offset; the offset in force at
        // the instant that gives is the one this wall-clock time lies in.
        m_offsetMs = offsetMsAt(wallMs - offsetMsAt(wallMs));
    }
    return wallMs - m_offsetMs;
}

}  // namespace nimbra
