#include "repair/usb_descriptors.h"

#include <cstddef>
#include <cstdint>

namespace nimbra::repair {
namespace {

constexpr std::uint8_t kInterfaceDescriptorType = 4;
constexpr std::size_t kInterfaceDescriptorLength = 9;
constexpr std::size_t kInterfaceClassOffset = 5;
constexpr std::uint8_t kHidClass = 3;

std::uint8_t byteAt(std::string_view bytes, std::size_t offset) {
    return static_cast<std::uint8_t>(bytes[offset]);
}

}  // namespace

bool declaresHidInterface(std::string_view rawDescriptors) {
    std::size_t offset = 0;
    while (offset + 2 <= rawDescriptors.size()) {
        const std::size_t length = byteAt(rawDescriptors, offset);
        if (length < 2 || offset + length > rawDescriptors.size()) {
            return false;
        }
        if (byteAt(rawDescriptors, offset + 1) == kInterfaceDescriptorType &&
            length >= kInterfaceDescriptorLength &&
            byteAt(rawDescriptors, offset + kInterfaceClassOffset) == kHidClass) {
            return true;
        }
        offset += length;
    }
    return false;
}

}  // namespace nimbra::repair
