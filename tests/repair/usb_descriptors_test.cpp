#include "repair/usb_descriptors.h"

#include <gtest/gtest.h>

#include <string>

#include "test_support.h"

namespace nimbra::repair {
namespace {

using testing::rawDescriptors;

struct DescriptorCase {
    const char* name;
    std::string bytes;
    bool hid;
};

void PrintTo(const DescriptorCase& c, std::ostream* out) {
    *out << c.name;
}

std::string withSecondInterface(std::uint8_t interfaceClass) {
    return rawDescriptors(0xFF) +
           std::string{9, 4, 1, 0, 1, static_cast<char>(interfaceClass), 0, 0, 0};
}

class DeclaresHidInterface : public ::testing::TestWithParam<DescriptorCase> {};

TEST_P(DeclaresHidInterface, FindsTheClassOfEveryInterface) {
    EXPECT_EQ(declaresHidInterface(GetParam().bytes), GetParam().hid);
}

INSTANTIATE_TEST_SUITE_P(
    Descriptors, DeclaresHidInterface,
    ::testing::Values(
        DescriptorCase{"HidInterface", rawDescriptors(3), true},
        DescriptorCase{"VendorInterface", rawDescriptors(0xFF), false},
        DescriptorCase{"HidAsSecondInterface", withSecondInterface(3), true},
        DescriptorCase{"TwoNonHidInterfaces", withSecondInterface(8), false},
        DescriptorCase{"DeviceDescriptorOnly", rawDescriptors(3).substr(0, 18), false},
        DescriptorCase{"Empty", "", false},
        // The interface descriptor is cut before its class byte.
        DescriptorCase{"TruncatedInterface", rawDescriptors(3).substr(0, 18 + 9 + 4), false},
        // A zero length must end the walk rather than loop on the same byte.
        DescriptorCase{"ZeroLength", std::string{0, 4, 0, 0, 1, 3, 0, 0, 0}, false},
        // The class byte of a descriptor that is not an interface means nothing.
        DescriptorCase{"ClassByteOutsideInterface", std::string{9, 2, 0, 0, 0, 3, 0, 0, 0}, false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace nimbra::repair
