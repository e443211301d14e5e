#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>

#include "station_link/transport.h"

namespace nimbra::link {

inline constexpr std::uint16_t kStationVendorId = 0x1941;
inline constexpr std::uint16_t kStationProductId = 0x8021;
inline constexpr std::uint16_t kStationReleaseNumber = 0x0100;

// Environment variable naming the station emulator's socket; when set, the emulator is
// the station and USB is not searched.
inline constexpr const char* kStationSocketVariable = "NIMBRA_STATION_SOCKET";

// One HID device as the system lists it.
struct CandidateDevice {
    std::string path;
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t releaseNumber = 0;
};

bool isStation(const CandidateDevice& device);

using OpenDevice = std::function<Opened(const CandidateDevice&)>;

// The first station in the list that opens; devices that are not the station are never
// opened, and a station that cannot be opened (in use, no permission) is passed over.
// With none opened: why the last station tried did not open, or noDevice.
Opened chooseStation(std::span<const CandidateDevice> candidates, const OpenDevice& open);

// The first station among the USB HID devices.
Opened discoverUsbStation();

// The station the library's exports talk to: the emulator named by the environment,
// else the first station among the USB HID devices.
Opened discoverStation();

}  // namespace nimbra::link
