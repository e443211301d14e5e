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
    bool send(const link::Report&) override { return false; }
    bool receive(link::Report&) override { return false; }
    void discardPending() override {}
    const std::string path;
};

struct DiscoveryCase {
    const char* name;
    std::vector<CandidateDevice> devices;
    std::vector<std::string> unopenable;
    std::string chosen;  // empty: no station
    std::vector<std::string> opened;
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
         {}},
        {"the only station cannot be opened",
         {busyStation},
         {"/dev/hidraw3"},
         "",
         {"/dev/hidraw3"}},
        {"no devices at all", {}, {}, "", {}},
    };

    for (const DiscoveryCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> opened;
        auto open = [&](const CandidateDevice& device) -> std::unique_ptr<link::Transport> {
            opened.push_back(device.path);
            for (const std::string& path : c.unopenable) {
                if (path == device.path) {
                    return nullptr;
                }
            }
            return std::make_unique<OpenedDevice>(device.path);
        };
        const auto chosen = link::chooseStation(c.devices, open);
        if (c.chosen.empty()) {
            EXPECT_EQ(chosen, nullptr);
        } else {
            ASSERT_NE(chosen, nullptr);
            EXPECT_EQ(static_cast<const OpenedDevice&>(*chosen).path, c.chosen);
        }
        EXPECT_EQ(opened, c.opened);
    }
}

}  // namespace
}  // namespace nimbra::testing
