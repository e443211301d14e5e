#include "emulator/ram_memory.h"

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

}  // namespace nimbra::emulator
