#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "repair/repair_log.h"
#include "repair/station_usb_id.h"

namespace nimbra::repair {

// A station's USB device as sysfs lists it.
struct StationDevice {
    std::string name;                 // the kernel's name, e.g. "1-1.4"
    std::filesystem::path directory;  // its folder under <sysfs>/bus/usb/devices
};

struct StationScan {
    std::vector<StationDevice> devices;
    bool complete = true;  // false when the device folder could not be listed to its end
};

// The USB devices under <sysfsRoot>/bus/usb/devices that carry the station's vendor and
// product ids and a HID interface, in name order. A listing failure is logged.
StationScan findStationDevices(const std::filesystem::path& sysfsRoot, RepairLog& log);

// The bus number and address of a USB device, from its sysfs folder; logged when unreadable.
std::optional<UsbAddress> readUsbAddress(const StationDevice& device, RepairLog& log);

}  // namespace nimbra::repair
