#pragma once

#include "upload/upload_reading.h"

namespace nimbra {

// The reading in the units of the imperial field set: temperatures in 0.1 °F, wind in
// 0.1 mph, pressures in 0.01 inHg, rain in 0.01 in, light in 0.01 W/m². Humidities,
// direction and UV are unchanged; absent readings keep their markers.
UploadReading toImperial(UploadReading reading);

}  // namespace nimbra
