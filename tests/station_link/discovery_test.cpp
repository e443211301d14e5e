// Choosing the station among the HID devices the system lists.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "station_link/device_discovery.h"

namespace nimbra::testing {
namespace {

using link::CandidateDevice;

// Stands for an opened device; remembers which one.
class OpenedDevice final : public link::Transport {
public:
    explicit OpenedDevice(std::string path) : path(std::move(path)) {}
    link::LinkStatus send(const link::Report&) override { return link::LinkStatus::io; }
    link::LinkStatus receive(link::Report&) override { return link::LinkStatus::io; }
    void discardPending() override {}
    const std::string path;
};

struct DiscoveryCase {
    const char* name;
    std::vector<CandidateDevice> devices;
    std::vector<std::string> unopenable;
    std::string chosen;  // empty: no station
    std::vector<std::string> opened;
    // With no station chosen: why, as the user is told.
    link::LinkStatus failure = link::LinkStatus::ok;
};

TEST(Discovery, FirstStationThatOpensWins) {
    const CandidateDevice keyboard{"/dev/hidraw0", 0x046D, 0xC31C, 0x0110};
    const CandidateDevice otherProduct{"/dev/hidraw1", 0x1941, 0x8020, 0x0100};
    const CandidateDevice otherRelease{"/dev/hidraw2", 0x1941, 0x8021, 0x0200};
    const CandidateDevice busyStation{"/dev/hidraw3", 0x1941, 0x8021, 0x0100};
    const CandidateDevice station{"/dev/hidraw4", 0x1941, 0x8021, 0x0100};
    const CandidateDevice secondStation{"/dev/hidraw5", 0x1941, 0x8021, 0x0100};

    const std::vector<DiscoveryCase> cases = {
        {"the station among other devices, not first",
         {keyboard, otherProduct, otherRelease, station, secondStation},
         {},
         "/dev/hidraw4",
         {"/dev/hidraw4"}},
        {"a station that cannot be opened is passed over",
         {keyboard, busyStation, station},
         {"/dev/hidraw3"},
         "/dev/hidraw4",
         {"/dev/hidraw3", "/dev/hidraw4"}},
        {"no device matches on all of vendor, product and release",
         {keyboard, otherProduct, otherRelease},
         {},
         "",
         {},
         link::LinkStatus::noDevice},
        {"the only station cannot be opened",
         {busyStation},
         {"/dev/hidraw3"},
         "",
         {"/dev/hidraw3"},
         link::LinkStatus::noAccess},
        {"no devices at all", {}, {}, "", {}, link::LinkStatus::noDevice},
    };

    for (const DiscoveryCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> opened;
        auto open = [&](const CandidateDevice& device) -> link::Opened {
            opened.push_back(device.path);
            for (const std::string& path : c.unopenable) {
                if (path == device.path) {
                    return link::Opened::failed(link::LinkStatus::noAccess, "Permission denied");
                }
            }
            return {std::make_unique<OpenedDevice>(device.path), {}};
        };
        const link::Opened result = link::chooseStation(c.devices, open);
        const auto& chosen = result.transport;
        if (c.chosen.empty()) {
            EXPECT_EQ(chosen, nullptr);
            EXPECT_EQ(result.result.status, c.failure);
            EXPECT_FALSE(result.result.reason.empty());
        } else {
            ASSERT_NE(chosen, nullptr);
            EXPECT_EQ(static_cast<const OpenedDevice&>(*chosen).path, c.chosen);
            EXPECT_TRUE(result.result.ok());
        }
        EXPECT_EQ(opened, c.opened);
    }
}

}  // namespace
}  // namespace nimbra::testing
