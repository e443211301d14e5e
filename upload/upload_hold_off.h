#pragma once

#include <array>
#include <chrono>
#include <mutex>

#include "upload/upload_service.h"

namespace nimbra {

// When a service may be contacted again after it asked for a pause (Retry-After). Shared
// by the upload threads.
class UploadHoldOff {
public:
    using TimePoint = std::chrono::system_clock::time_point;

    // A pause longer than this is taken as this long, so that a bogus header cannot
    // silence a service for good.
    static constexpr std::chrono::seconds kLongestPause{24 * 3600};

    void pause(UploadService service, TimePoint now, std::chrono::seconds pause);
    bool paused(UploadService service, TimePoint now) const;

private:
    mutable std::mutex m_mutex;
    std::array<TimePoint, kUploadServiceCount> m_until{};
};

}  // namespace nimbra
