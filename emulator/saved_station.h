#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "emulator/image_file.h"
#include "emulator/station_model.h"

namespace nimbra::emulator {

// A console kept between runs, as a real one keeps its memory while unplugged: the
// 64 KiB memory image at `path` and, in `path` + ".clock", what the memory does not hold,
// the console's clock and the time it was saved at.
ImageStatus saveStation(StationModel& model, const std::string& path,
                        std::chrono::system_clock::time_point now);

// Whether a complete saved station (image and clock) is at `path`.
bool savedStationExists(const std::string& path);

// The console saved at `path`, its clock moved on by the time passed since it was saved
// (at `options.speed` station minutes per minute, as it ran) and the records of that gap
// closed minute by minute as a console left running closes them. A gap longer than the
// ring holds is stepped only for its last full ring. Nothing, with `status` saying why,
// when the saved station cannot be read.
std::unique_ptr<StationModel> restoreStation(const std::string& path, StationModelOptions options,
                                             std::chrono::system_clock::time_point now,
                                             ImageStatus& status);

}  // namespace nimbra::emulator
