#include "repair/device_toggle.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "repair/station_devices.h"
#include "test_support.h"

namespace nimbra::repair {
namespace {

using testing::FakeSysfs;
using testing::FakeUsbDevice;
using testing::RecordingLog;
using testing::RecordingPortReset;
using testing::TemporaryFolder;

class DeviceToggle : public ::testing::Test {
protected:
    TemporaryFolder folder;
    FakeSysfs sysfs{folder.path() / "sys"};
    RecordingLog log;
    RecordingPortReset portReset;

    bool toggle() { return toggleStationDevices(sysfs.root(), portReset, log); }
};

struct ToggleCase {
    const char* name;
    std::string initial;
    std::string afterFirst;
    std::string afterSecond;
};

void PrintTo(const ToggleCase& c, std::ostream* out) {
    *out << c.name;
}

class ToggleTwice : public DeviceToggle, public ::testing::WithParamInterface<ToggleCase> {};

TEST_P(ToggleTwice, WritesTheOppositeStateEachTime) {
    sysfs.add({.name = "1-1", .authorized = GetParam().initial});
    ASSERT_TRUE(toggle());
    EXPECT_EQ(sysfs.authorized("1-1"), GetParam().afterFirst);
    ASSERT_TRUE(toggle());
    EXPECT_EQ(sysfs.authorized("1-1"), GetParam().afterSecond);
    EXPECT_EQ(log.failures, 0);
    EXPECT_TRUE(portReset.resets.empty());
}

// A disabled station is put back as it was: the tool assumes it finds the station enabled,
// and one that is disabled on purpose (by policy, say) stays so.
INSTANTIATE_TEST_SUITE_P(States, ToggleTwice,
                         ::testing::Values(ToggleCase{"Enabled", "1", "0", "1"},
                                           ToggleCase{"Disabled", "0", "1", "0"},
                                           ToggleCase{"UnknownState", "2", "1", "0"}),
                         [](const auto& info) { return std::string(info.param.name); });

class NotAStation : public DeviceToggle, public ::testing::WithParamInterface<FakeUsbDevice> {};

TEST_P(NotAStation, IsLeftAlone) {
    sysfs.add(GetParam());
    EXPECT_TRUE(findStationDevices(sysfs.root(), log).devices.empty());
    EXPECT_TRUE(toggle());
    EXPECT_FALSE(sysfs.authorizedWritten(GetParam().name));
    EXPECT_EQ(log.failures, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Devices, NotAStation,
    ::testing::Values(FakeUsbDevice{.name = "OtherProduct", .product = "8022"},
                      FakeUsbDevice{.name = "OtherVendor", .vendor = "1942"},
                      FakeUsbDevice{.name = "NoHidInterface", .interfaceClass = 0xFF},
                      FakeUsbDevice{.name = "PaddedProduct", .product = "08021"},
                      // Interfaces sit beside devices in the same folder.
                      FakeUsbDevice{.name = "1-1:1.0"}),
    [](const auto& info) {
        std::string name = info.param.name;
        return name == "1-1:1.0" ? std::string("Interface") : name;
    });

TEST_F(DeviceToggle, TogglesEveryStationAndNothingElse) {
    sysfs.add({.name = "1-1"});
    sysfs.add({.name = "1-2", .product = "8022"});
    sysfs.add({.name = "2-1.3", .bus = 2, .address = 7});
    ASSERT_TRUE(toggle());
    EXPECT_EQ(sysfs.authorized("1-1"), "0");
    EXPECT_EQ(sysfs.authorized("2-1.3"), "0");
    EXPECT_FALSE(sysfs.authorizedWritten("1-2"));
}

TEST_F(DeviceToggle, NoDeviceFolderIsAFailure) {
    std::filesystem::remove_all(sysfs.root() / "bus");
    EXPECT_FALSE(toggle());
    EXPECT_EQ(log.failures, 1);
}

TEST_F(DeviceToggle, MissingAttributeIsAFailureWithoutReset) {
    sysfs.add({.name = "1-1", .authorized = std::nullopt});
    EXPECT_FALSE(toggle());
    EXPECT_TRUE(portReset.resets.empty());
    EXPECT_EQ(log.failures, 2);  // neither read nor written
}

// What the tool does in a user's session, where sysfs attributes belong to root.
class UnprivilegedToggle : public DeviceToggle {
protected:
    // Toggles once as an unprivileged user; returns the resets asked for and the outcome.
    std::string toggleUnprivileged() {
        return testing::runUnprivileged([&] {
            const bool changed = toggle();
            std::string outcome = changed ? "changed" : "failed";
            for (const UsbAddress& address : portReset.resets) {
                outcome +=
                    " reset " + std::to_string(address.bus) + ":" + std::to_string(address.device);
            }
            return outcome;
        });
    }
};

TEST_F(UnprivilegedToggle, RefusedWriteResetsThePortInstead) {
    sysfs.add({.name = "3-2", .bus = 3, .address = 14});
    testing::makeReadOnly(sysfs.authorizedFile("3-2"));
    EXPECT_EQ(toggleUnprivileged(), "changed reset 3:14");
    EXPECT_EQ(sysfs.authorized("3-2"), "1");
}

TEST_F(UnprivilegedToggle, RefusedWriteWithoutAddressCannotReset) {
    sysfs.add({.name = "3-2"});
    std::filesystem::remove(sysfs.root() / "bus/usb/devices/3-2/devnum");
    testing::makeReadOnly(sysfs.authorizedFile("3-2"));
    EXPECT_EQ(toggleUnprivileged(), "failed");
}

TEST_F(UnprivilegedToggle, UnreadableStateIsTreatedAsEnable) {
    sysfs.add({.name = "1-1", .authorized = "1"});
    testing::makeWriteOnly(sysfs.authorizedFile("1-1"));
    // Enabled although it is enabled already: its state could not be told.
    EXPECT_EQ(toggleUnprivileged(), "changed");
    std::filesystem::permissions(sysfs.authorizedFile("1-1"), std::filesystem::perms::owner_read,
                                 std::filesystem::perm_options::add);
    EXPECT_EQ(sysfs.authorized("1-1"), "1");
    EXPECT_TRUE(sysfs.authorizedWritten("1-1"));
}

}  // namespace
}  // namespace nimbra::repair
