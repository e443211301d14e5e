#pragma once

#include <cstdint>

namespace nimbra::repair {

// The station's USB identity. Product 0x8022 belongs to other hardware of the same maker
// and must never be touched.
inline constexpr std::uint16_t kStationVendorId = 0x1941;
inline constexpr std::uint16_t kStationProductId = 0x8021;

// Bus number and device address: where libusb finds a device that sysfs names.
struct UsbAddress {
    int bus = 0;
    int device = 0;

    friend bool operator==(const UsbAddress&, const UsbAddress&) = default;
};

}  // namespace nimbra::repair
