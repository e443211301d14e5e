#include "repair/libusb_port_reset.h"

#include <libusb.h>

#include <memory>
#include <span>
#include <string>

namespace nimbra::repair {
namespace {

struct ContextRelease {
    void operator()(libusb_context* context) const { libusb_exit(context); }
};
struct DeviceListRelease {
    void operator()(libusb_device** list) const { libusb_free_device_list(list, 1); }
};
struct HandleRelease {
    void operator()(libusb_device_handle* handle) const { libusb_close(handle); }
};
using Context = std::unique_ptr<libusb_context, ContextRelease>;
using DeviceList = std::unique_ptr<libusb_device*, DeviceListRelease>;
using DeviceHandle = std::unique_ptr<libusb_device_handle, HandleRelease>;

std::string describe(UsbAddress address) {
    return "bus " + std::to_string(address.bus) + " device " + std::to_string(address.device);
}

std::string failed(const char* call, UsbAddress address, int code) {
    return std::string(call) + " FAILED: " + describe(address) + ": " + libusb_error_name(code);
}

libusb_device* deviceAt(std::span<libusb_device* const> devices, UsbAddress address) {
    for (libusb_device* device : devices) {
        if (libusb_get_bus_number(device) == address.bus &&
            libusb_get_device_address(device) == address.device) {
            return device;
        }
    }
    return nullptr;
}

bool isStation(libusb_device* device) {
    libusb_device_descriptor descriptor{};
    return libusb_get_device_descriptor(device, &descriptor) == 0 &&
           descriptor.idVendor == kStationVendorId && descriptor.idProduct == kStationProductId;
}

}  // namespace

bool LibusbPortReset::reset(UsbAddress address, RepairLog& log) {
    libusb_context* rawContext = nullptr;
    if (const int code = libusb_init(&rawContext); code != 0) {
        log.failure(failed("libusb_init", address, code));
        return false;
    }
    const Context context(rawContext);

    libusb_device** rawList = nullptr;
    const ssize_t count = libusb_get_device_list(context.get(), &rawList);
    if (count < 0) {
        log.failure(failed("libusb_get_device_list", address, static_cast<int>(count)));
        return false;
    }
    const DeviceList list(rawList);

    libusb_device* device = deviceAt({list.get(), static_cast<std::size_t>(count)}, address);
    if (device == nullptr || !isStation(device)) {
        log.failure("libusb_reset_device FAILED: " + describe(address) + ": no station there");
        return false;
    }

    libusb_device_handle* rawHandle = nullptr;
    if (const int code = libusb_open(device, &rawHandle); code != 0) {
        log.failure(failed("libusb_open", address, code));
        return false;
    }
    const DeviceHandle handle(rawHandle);

    const int code = libusb_reset_device(handle.get());
    // NOT_FOUND: the station came back as a new device, which is what the reset is for.
    if (code != 0 && code != LIBUSB_ERROR_NOT_FOUND) {
        log.failure(failed("libusb_reset_device", address, code));
        return false;
    }
    log.note("reset the USB port of the station at " + describe(address));
    return true;
}

}  // namespace nimbra::repair
