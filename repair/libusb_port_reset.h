#pragma once

#include "repair/port_reset.h"

namespace nimbra::repair {

// Port reset through libusb (the usbfs reset request). Needs write access to the device
// node, which the station's udev rule gives to the user's session. Resets a device only
// when it is still the station: an address can be reused by another device meanwhile.
class LibusbPortReset final : public PortReset {
public:
    bool reset(UsbAddress address, RepairLog& log) override;
};

}  // namespace nimbra::repair
