// The C exports: the link's statuses as their documented codes, the reason as errno,
// and the program's ExportedLink reading both back. The exports find the emulator only
// through the environment variable they document.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <array>
#include <cerrno>
#include <functional>

#include "station_link/exported_link.h"
#include "station_link/hidlink.h"
#include "tests/support/emulated_station.h"

namespace nimbra::testing {
namespace {

using link::LinkStatus;
using Block = std::array<unsigned char, 32>;

class Exports : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("NIMBRA_STATION_SOCKET", m_station.server().socketPath().c_str(), 1);
        ASSERT_EQ(CheckHandle(), 1);
    }
    void TearDown() override {
        ::unsetenv("NIMBRA_STATION_SOCKET");
        CheckHandle();  // let go of the emulator before it goes
    }

    emulator::RamMemory m_memory;
    EmulatedStation m_station{m_memory};
};

TEST_F(Exports, ReturnTheirCodesAndLeaveErrnoOnFailure) {
    struct Case {
        const char* name;
        emulator::LinkFaults faults;
        std::function<int()> call;
        int code;
        int error;  // errno after a failure
    };
    Block buffer{};
    const std::vector<Case> cases = {
        {"plain read", {}, [&] { return ReadData(0x0100, buffer.data()); }, 1, 0},
        {"verified read", {}, [&] { return int(V_ReadData(0x0100, buffer.data(), 0)); }, 0, 0},
        {"bad acknowledgement", badAck(), [] { return WriteByte(0x0100, 1); }, 0, EPROTO},
        {"verified write, bad acknowledgement", badAck(),
         [] { return int(V_WriteByte(0x0100, 1, 2)); }, 1, EPROTO},
        {"reads that never agree", flakyReads(),
         [&] { return int(V_ReadData(0x0100, buffer.data(), 1)); }, 2, 0},
        {"a silent station", silentAfter(0), [&] { return ReadData(0x0100, buffer.data()); }, 0,
         ETIMEDOUT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        m_station.server().setFaults(c.faults);
        errno = 0;
        EXPECT_EQ(c.call(), c.code);
        if (c.error != 0) {
            EXPECT_EQ(errno, c.error);
        }
    }
}

TEST_F(Exports, TheProgramsLinkReadsTheStatusAndReasonBack) {
    link::ExportedLink exported;
    Block buffer{};
    EXPECT_TRUE(exported.readBlock(0x0100, buffer.data()).ok());
    m_station.server().setFaults(flakyReads());
    EXPECT_EQ(exported.verifiedRead(0x0100, buffer.data(), 0).status, LinkStatus::disagreed);
    m_station.server().setFaults(badAck());
    const link::LinkResult refused = exported.writeByte(0x0100, 1);
    EXPECT_EQ(refused.status, LinkStatus::protocol);
    EXPECT_EQ(refused.describe(), "protocol error: Protocol error");

    ::setenv("NIMBRA_STATION_SOCKET", "/nonexistent/nimbra-station.sock", 1);
    const link::LinkResult missing = exported.open();
    EXPECT_EQ(missing.status, LinkStatus::noDevice);
    EXPECT_EQ(missing.reason, "No such device");
}

}  // namespace
}  // namespace nimbra::testing
