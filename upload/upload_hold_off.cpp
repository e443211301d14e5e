#include "upload/upload_hold_off.h"

#include <algorithm>

namespace nimbra {

void UploadHoldOff::pause(UploadService service, TimePoint now, std::chrono::seconds pause) {
    const std::lock_guard lock(m_mutex);
    m_until.at(static_cast<std::size_t>(service)) = now + std::min(pause, kLongestPause);
}

bool UploadHoldOff::paused(UploadService service, TimePoint now) const {
    const std::lock_guard lock(m_mutex);
    return now < m_until.at(static_cast<std::size_t>(service));
}

}  // namespace nimbra
