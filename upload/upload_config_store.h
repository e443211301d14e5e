#pragma once

#include <array>
#include <mutex>

#include "upload/station_location.h"
#include "upload/upload_service.h"
#include "upload/upload_service_config.h"

namespace nimbra {

// The live upload settings of the services and the station's location. The start-up fills it, the
// settings dialogs replace an entry when the user saves, and every upload copies its entry at the
// start, so a change takes effect with the next upload and never in the middle of one.
class UploadConfigStore {
public:
    UploadServiceConfig get(UploadService service) const;
    void set(UploadService service, UploadServiceConfig config);
    StationLocation location() const;
    void setLocation(const StationLocation& location);

private:
    mutable std::mutex mutex_;
    std::array<UploadServiceConfig, kUploadServiceCount> configs_;
    StationLocation location_;
};

}  // namespace nimbra
