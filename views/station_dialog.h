#pragma once

#include <functional>

#include "core/station_data.h"

// What the settings and alarm dialogs share: how far the station may be written to
// while they are open, and how an edited record leaves them.

namespace nimbra {

enum class StationAccess {
    disconnected,  // no station: the dialog can be browsed, nothing saved
    busy,          // connected, but an acquisition is reading the station
    ready,         // connected and idle: Save is offered
};

// Called with the edited record once the user confirmed Save; the receiver copies it
// into the record sent to the station and requests the write.
using StationSaveHandler = std::function<void(const CStationData&)>;

// Direction of an exchange between a dialog's controls and its record copy.
enum class Exchange { toControls, toRecord };

}  // namespace nimbra
