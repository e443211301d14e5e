#pragma once

#include "repair/repair_log.h"
#include "repair/station_usb_id.h"

namespace nimbra::repair {

// The other way to make a station re-enumerate when its `authorized` attribute may not
// be written: reset the USB port it hangs on.
class PortReset {
public:
    virtual ~PortReset() = default;
    // Resets the station at `address`; false, with the reason logged, when it could not.
    virtual bool reset(UsbAddress address, RepairLog& log) = 0;
};

}  // namespace nimbra::repair
