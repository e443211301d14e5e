#include "repair/device_toggle.h"

#include <string>
#include <system_error>

#include "repair/station_devices.h"
#include "repair/sysfs_attribute.h"

namespace nimbra::repair {
namespace {

// The errors of a store the caller is not allowed to make (file mode, capability,
// read-only sysfs in a sandbox), as opposed to a device that has gone away.
bool isRefusal(std::error_code error) {
    return error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
           error == std::errc::read_only_file_system;
}

bool toggle(const StationDevice& device, PortReset& fallback, RepairLog& log) {
    const std::filesystem::path attribute = device.directory / "authorized";
    std::error_code readError;
    const auto state = readAttributeText(attribute, readError);
    if (!state) {
        log.failure("read " + attribute.string() + " FAILED: " + readError.message());
    }
    const bool disable = state == "1";

    const std::error_code writeError = writeAttribute(attribute, disable ? "0\n" : "1\n");
    if (!writeError) {
        log.note(device.name + (disable ? ": station disabled" : ": station enabled"));
        return true;
    }
    log.failure("write " + attribute.string() + " FAILED: " + writeError.message());
    if (!isRefusal(writeError)) {
        return false;
    }
    const auto address = readUsbAddress(device, log);
    if (!address) {
        return false;
    }
    log.note(device.name + ": resetting its USB port instead");
    return fallback.reset(*address, log);
}

}  // namespace

bool toggleStationDevices(const std::filesystem::path& sysfsRoot, PortReset& fallback,
                          RepairLog& log) {
    const StationScan scan = findStationDevices(sysfsRoot, log);
    bool allChanged = scan.complete;
    for (const StationDevice& device : scan.devices) {
        allChanged = toggle(device, fallback, log) && allChanged;
    }
    return allChanged;
}

}  // namespace nimbra::repair
