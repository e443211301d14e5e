#include "station_link/device_discovery.h"

#include <cstdlib>

#include "station_link/hidapi_transport.h"
#include "station_link/socket_transport.h"

namespace nimbra::link {

bool isStation(const CandidateDevice& device) {
    return device.vendorId == kStationVendorId && device.productId == kStationProductId &&
           device.releaseNumber == kStationReleaseNumber;
}

std::unique_ptr<Transport> chooseStation(std::span<const CandidateDevice> candidates,
                                         const OpenDevice& open) {
    for (const CandidateDevice& candidate : candidates) {
        if (!isStation(candidate)) {
            continue;
        }
        if (auto transport = open(candidate)) {
            return transport;
        }
    }
    return nullptr;
}

std::unique_ptr<Transport> discoverStation() {
    const char* socketPath = std::getenv(kStationSocketVariable);
    if (socketPath != nullptr && *socketPath != '\0') {
        return SocketTransport::connect(socketPath);
    }
    const auto candidates = listHidDevices(kStationVendorId, kStationProductId);
    return chooseStation(candidates, [](const CandidateDevice& device) {
        return HidapiTransport::open(device.path.c_str());
    });
}

}  // namespace nimbra::link
