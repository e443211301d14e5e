#include "station_link/device_discovery.h"

#include <cstdlib>

#include "station_link/hidapi_transport.h"
#include "station_link/socket_transport.h"

namespace nimbra::link {

bool isStation(const CandidateDevice& device) {
    return device.vendorId == kStationVendorId && device.productId == kStationProductId &&
           device.releaseNumber == kStationReleaseNumber;
}

Opened chooseStation(std::span<const CandidateDevice> candidates, const OpenDevice& open) {
    Opened last = Opened::failed(LinkStatus::noDevice, "no station among the USB devices");
    for (const CandidateDevice& candidate : candidates) {
        if (!isStation(candidate)) {
            continue;
        }
        last = open(candidate);
        if (last.transport) {
            return last;
        }
    }
    return last;
}

Opened discoverUsbStation() {
    const auto candidates = listHidDevices(kStationVendorId, kStationProductId);
    return chooseStation(candidates, [](const CandidateDevice& device) {
        return HidapiTransport::open(device.path.c_str());
    });
}

Opened discoverStation() {
    const char* socketPath = std::getenv(kStationSocketVariable);
    if (socketPath != nullptr && *socketPath != '\0') {
        return SocketTransport::connect(socketPath);
    }
    return discoverUsbStation();
}

}  // namespace nimbra::link
