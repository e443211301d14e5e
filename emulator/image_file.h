#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "station/memory_map.h"

namespace nimbra::emulator {

using MemoryImage = std::span<std::uint8_t, memory_map::kMemorySize>;
using ConstMemoryImage = std::span<const std::uint8_t, memory_map::kMemorySize>;

struct ImageStatus {
    bool ok = true;
    std::string error;  // what went wrong, naming the file

    explicit operator bool() const { return ok; }
    static ImageStatus failure(std::string text) { return {false, std::move(text)}; }
};

// Reads a file that must hold exactly one 64 KiB station memory. `out` is changed only
// when the whole image was read.
ImageStatus readImageFile(const std::string& path, MemoryImage out);

// Writes the image through a temporary file renamed into place, so an interrupted
// write never leaves a truncated image under `path`.
ImageStatus writeImageFile(const std::string& path, ConstMemoryImage image);

}  // namespace nimbra::emulator
