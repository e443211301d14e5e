#include "emulator/ram_memory.h"

#include <fstream>

namespace nimbra::emulator {

void RamMemory::readBlock(std::uint16_t address, std::uint8_t* out) {
    std::lock_guard lock(mutex_);
    for (std::uint32_t i = 0; i < kBlockSize; ++i) {
        out[i] = image_[(address + i) % kSize];
    }
}

void RamMemory::writeBlock(std::uint16_t address, const std::uint8_t* data) {
    std::lock_guard lock(mutex_);
    for (std::uint32_t i = 0; i < kBlockSize; ++i) {
        image_[(address + i) % kSize] = data[i];
    }
}

void RamMemory::writeByte(std::uint16_t address, std::uint8_t value) {
    std::lock_guard lock(mutex_);
    image_[address] = value;
}

RamMemory::Image RamMemory::image() const {
    std::lock_guard lock(mutex_);
    return image_;
}

void RamMemory::setImage(const Image& image) {
    std::lock_guard lock(mutex_);
    image_ = image;
}

bool RamMemory::loadImage(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    Image loaded{};
    in.read(reinterpret_cast<char*>(loaded.data()), loaded.size());
    if (in.gcount() != static_cast<std::streamsize>(loaded.size()) ||
        in.peek() != std::ifstream::traits_type::eof()) {
        return false;
    }
    setImage(loaded);
    return true;
}

bool RamMemory::saveImage(const std::filesystem::path& file) const {
    const Image snapshot = image();
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(snapshot.data()), snapshot.size());
    out.close();
    return static_cast<bool>(out);
}

}  // namespace nimbra::emulator
