#include "upload/upload_config_store.h"

#include <utility>

namespace nimbra {

UploadServiceConfig UploadConfigStore::get(UploadService service) const {
    const std::lock_guard lock(mutex_);
    return configs_.at(static_cast<std::size_t>(service));
}

void UploadConfigStore::set(UploadService service, UploadServiceConfig config) {
    const std::lock_guard lock(mutex_);
    configs_.at(static_cast<std::size_t>(service)) = std::move(config);
}

StationLocation UploadConfigStore::location() const {
    const std::lock_guard lock(mutex_);
    return location_;
}

void UploadConfigStore::setLocation(const StationLocation& location) {
    const std::lock_guard lock(mutex_);
    location_ = location;
}

}  // namespace nimbra
