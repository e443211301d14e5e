#include "repair/station_devices.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <string_view>
#include <system_error>

#include "repair/sysfs_attribute.h"
#include "repair/usb_descriptors.h"

namespace nimbra::repair {
namespace {

// sysfs prints the ids as four lower-case hex digits.
bool attributeHoldsId(const std::filesystem::path& attribute, std::uint16_t expected) {
    std::error_code error;
    const auto text = readAttributeText(attribute, error);
    if (!text || text->size() != 4) {
        return false;
    }
    std::uint16_t id = 0;
    const auto [end, status] = std::from_chars(text->data(), text->data() + text->size(), id, 16);
    return status == std::errc() && end == text->data() + text->size() && id == expected;
}

// Interface folders vanish while a device is deauthorized, so the class is read from the
// raw descriptors, which stay: a station switched off by the first toggle is still found
// by the second.
bool hasHidInterface(const std::filesystem::path& deviceDirectory) {
    std::error_code error;
    const auto descriptors = readAttributeBytes(deviceDirectory / "descriptors", error);
    return descriptors && declaresHidInterface(*descriptors);
}

bool isStation(const std::filesystem::path& directory) {
    return attributeHoldsId(directory / "idVendor", kStationVendorId) &&
           attributeHoldsId(directory / "idProduct", kStationProductId) &&
           hasHidInterface(directory);
}

std::optional<int> readDecimal(const std::filesystem::path& attribute, RepairLog& log) {
    std::error_code error;
    const auto text = readAttributeText(attribute, error);
    if (!text) {
        log.failure("read " + attribute.string() + " FAILED: " + error.message());
        return std::nullopt;
    }
    int value = 0;
    const auto [end, status] = std::from_chars(text->data(), text->data() + text->size(), value);
    if (status != std::errc() || end != text->data() + text->size()) {
        log.failure("read " + attribute.string() + " FAILED: not a number: \"" + *text + "\"");
        return std::nullopt;
    }
    return value;
}

}  // namespace

StationScan findStationDevices(const std::filesystem::path& sysfsRoot, RepairLog& log) {
    const std::filesystem::path devicesFolder = sysfsRoot / "bus" / "usb" / "devices";
    StationScan scan;
    std::error_code error;
    for (std::filesystem::directory_iterator entry(devicesFolder, error), end;
         !error && entry != end; entry.increment(error)) {
        std::string name = entry->path().filename().string();
        // Names with a colon are interfaces, not devices.
        if (name.find(':') != std::string::npos || !isStation(entry->path())) {
            continue;
        }
        scan.devices.push_back({std::move(name), entry->path()});
    }
    if (error) {
        log.failure("list " + devicesFolder.string() + " FAILED: " + error.message());
        scan.complete = false;
    }
    std::ranges::sort(scan.devices, {}, &StationDevice::name);
    return scan;
}

std::optional<UsbAddress> readUsbAddress(const StationDevice& device, RepairLog& log) {
    const auto bus = readDecimal(device.directory / "busnum", log);
    const auto address = readDecimal(device.directory / "devnum", log);
    if (!bus || !address) {
        return std::nullopt;
    }
    return UsbAddress{*bus, *address};
}

}  // namespace nimbra::repair
