#pragma once

#include <mutex>

#include "core/station_data.h"

namespace nimbra {

// The document's live station record, shared between the acquisition thread that
// fills it and the painter and uploads that show and send it. Readers take a whole
// copy under the lock, so a frame or an upload never mixes two readings.
class LiveStation {
public:
    CStationData snapshot() const {
        std::lock_guard lock(m_mutex);
        return m_data;
    }

    void publish(const CStationData& data) {
        std::lock_guard lock(m_mutex);
        m_data = data;
    }

    template <typename Change>
    void update(Change&& change) {
        std::lock_guard lock(m_mutex);
        change(m_data);
    }

private:
    mutable std::mutex m_mutex;
    CStationData m_data;
};

}  // namespace nimbra
