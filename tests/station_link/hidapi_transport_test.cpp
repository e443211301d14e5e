// The USB path: discovery, report framing and time limits of the hidapi transport, with
// hidapi's functions answered by the test library (hidapi_double) over the emulator.

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "emulator/ram_memory.h"
#include "emulator/report_server.h"
#include "station_link/device_discovery.h"
#include "station_link/station_link.h"
#include "tests/station_link/hidapi_double.h"
#include "tests/support/emulated_station.h"
#include "tests/support/temp_folder.h"

namespace nimbra::testing {
namespace {

namespace hid = hidapi_double;
using Clock = std::chrono::steady_clock;
using Block = std::array<std::uint8_t, link::kBlockSize>;

class HidapiTransport : public ::testing::Test {
protected:
    void SetUp() override {
        m_memory.setImage(patternedImage());
        m_server->setRecording(true);
    }
    void TearDown() override { hid::setDevices({}); }

    // A station at `name` in the test's folder, talking to the emulator.
    hid::Device station(const std::string& name) const {
        hid::Device device;
        device.path = (m_devices.path() / name).string();
        device.socket = m_server->socketPath();
        return device;
    }

    Block expectedBlock(int address) const {
        Block block{};
        const auto image = m_memory.image();
        std::copy_n(image.begin() + address, block.size(), block.begin());
        return block;
    }

    emulator::RamMemory m_memory;
    std::unique_ptr<emulator::ReportServer> m_server =
        emulator::ReportServer::inTemporaryFolder(m_memory);
    TempFolder m_devices{"nimbra-hidraw"};
};

TEST_F(HidapiTransport, DiscoveryTakesTheFirstStationThatOpens) {
    hid::Device otherProduct = station("hidraw0");
    otherProduct.productId = 0x8020;
    hid::Device otherRelease = station("hidraw1");
    otherRelease.releaseNumber = 0x0200;
    hid::Device refused = station("hidraw2");
    refused.openError = EACCES;
    const hid::Device usable = station("hidraw3");
    const hid::Device second = station("hidraw4");

    struct Case {
        const char* name;
        std::vector<hid::Device> devices;
        link::LinkStatus status;
        std::vector<std::string> opened;  // file names, in order
    };
    const std::vector<Case> cases = {
        {"the station among others, one refusing first",
         {otherProduct, otherRelease, refused, usable, second},
         link::LinkStatus::ok,
         {"hidraw2", "hidraw3"}},
        {"only a station that refuses",
         {otherRelease, refused},
         link::LinkStatus::noAccess,
         {"hidraw2"}},
        {"no device matches vendor, product and release",
         {otherProduct, otherRelease},
         link::LinkStatus::noDevice,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        hid::setDevices(c.devices);
        {
            link::Opened opened = link::discoverUsbStation();
            EXPECT_EQ(opened.result.status, c.status) << opened.result.describe();
            EXPECT_EQ(opened.transport != nullptr, c.status == link::LinkStatus::ok);
            if (c.status == link::LinkStatus::noAccess) {
                EXPECT_NE(opened.result.reason.find("Permission denied"), std::string::npos)
                    << opened.result.reason;
            }
            std::vector<std::string> names;
            for (const std::string& path : hid::openedPaths()) {
                names.push_back(std::filesystem::path(path).filename().string());
            }
            EXPECT_EQ(names, c.opened);
            EXPECT_EQ(hid::openHandles(), opened.transport ? 1 : 0);
        }
        EXPECT_EQ(hid::openHandles(), 0) << "the device is closed with its transport";
    }
}

// A block read and a byte write through the link, the USB transport and the emulator:
// 9-byte output reports led by report id 0, 8-byte input reports, the data intact.
TEST_F(HidapiTransport, ReportsAreFramedAsHidrawTakesThem) {
    hid::setDevices({station("hidraw0")});
    link::StationLink link(link::discoverUsbStation);

    Block block{};
    ASSERT_TRUE(link.readBlock(0x0120, block.data()).ok());
    EXPECT_EQ(block, expectedBlock(0x0120));
    ASSERT_TRUE(link.writeByte(0x001A, 0xAA).ok());
    EXPECT_EQ(m_memory.image()[0x001A], 0xAA);

    const auto written = hid::writtenReports();
    const auto received = m_server->receivedReports();
    ASSERT_EQ(written.size(), 2u);
    ASSERT_EQ(received.size(), written.size());
    for (std::size_t i = 0; i < written.size(); ++i) {
        ASSERT_EQ(written[i].size(), 1 + link::kReportSize);
        EXPECT_EQ(written[i][0], 0) << "report id";
        EXPECT_TRUE(std::equal(received[i].begin(), received[i].end(), written[i].begin() + 1));
    }
    EXPECT_EQ(received[0], link::commandReport(link::kReadBlockCommand, 0x0120));
    // Four data reports and the acknowledgement (and stale input dropped before each
    // exchange), every read with a byte to spare so that a longer report would show.
    const auto lengths = hid::readLengths();
    EXPECT_GE(lengths.size(), 5u);
    EXPECT_EQ(std::count(lengths.begin(), lengths.end(), link::kReportSize + 1),
              static_cast<std::ptrdiff_t>(lengths.size()));
}

// A device that is slow, silent or sends reports of the wrong size: the right status,
// within the report time limits.
TEST_F(HidapiTransport, SlowSilentOrMisshapenDevicesEndTheExchangeInTime) {
    using std::chrono::milliseconds;
    struct Case {
        const char* name;
        std::function<void(hid::Device&)> shape;
        link::LinkStatus status;
    };
    const std::vector<Case> cases = {
        {"answers 30 ms apart", [](hid::Device& d) { d.answerDelay = milliseconds(30); },
         link::LinkStatus::ok},
        {"answers after the receive limit",
         [](hid::Device& d) { d.answerDelay = link::kReceiveTimeout + milliseconds(300); },
         link::LinkStatus::timeout},
        {"never answers", [](hid::Device& d) { d.silent = true; }, link::LinkStatus::timeout},
        {"takes a report slower than the send limit",
         [](hid::Device& d) { d.writeDelay = link::kSendTimeout + milliseconds(40); },
         link::LinkStatus::timeout},
        {"short input reports", [](hid::Device& d) { d.inputLength = 7; },
         link::LinkStatus::protocol},
        {"long input reports", [](hid::Device& d) { d.inputLength = 9; },
         link::LinkStatus::protocol},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        hid::Device device = station("hidraw0");
        c.shape(device);
        hid::setDevices({device});
        link::StationLink link(link::discoverUsbStation);
        ASSERT_TRUE(link.open().ok());

        Block block{};
        const auto start = Clock::now();
        const link::LinkResult result = link.readBlock(0x0100, block.data());
        const auto took = Clock::now() - start;
        EXPECT_EQ(result.status, c.status) << result.describe();
        EXPECT_LT(took, link::kReceiveTimeout + milliseconds(500));
        if (result.ok()) {
            EXPECT_EQ(block, expectedBlock(0x0100));
        }
    }
}

}  // namespace
}  // namespace nimbra::testing
