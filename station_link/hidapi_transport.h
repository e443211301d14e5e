#pragma once

#include <hidapi.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "station_link/device_discovery.h"
#include "station_link/station_lock.h"
#include "station_link/transport.h"

namespace nimbra::link {

// The HID devices with this vendor and product id, as hidapi lists them.
std::vector<CandidateDevice> listHidDevices(std::uint16_t vendorId, std::uint16_t productId);

// The station's USB HID device through hidapi's hidraw backend.
class HidapiTransport final : public Transport {
public:
    // No transport when the device cannot be opened, with hidapi's words for why.
    static Opened open(const char* path);

    LinkStatus send(const Report& report) override;
    LinkStatus receive(Report& report) override;
    void discardPending() override;
    bool lockExchange(std::chrono::milliseconds limit) override { return lock_.lockFor(limit); }
    void unlockExchange() override { lock_.unlock(); }

private:
    struct Closer {
        void operator()(hid_device* device) const { hid_close(device); }
    };
    using DeviceHandle = std::unique_ptr<hid_device, Closer>;

    HidapiTransport(DeviceHandle device, StationLock lock)
        : device_(std::move(device)), lock_(std::move(lock)) {}

    DeviceHandle device_;
    StationLock lock_;  // on the hidraw node itself
};

}  // namespace nimbra::link
