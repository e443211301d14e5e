#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "emulator/ram_memory.h"
#include "emulator/report_server.h"
#include "station_link/hidlink.h"
#include "station_link/report_protocol.h"

namespace nimbra::testing {

// The real exports connected to an emulator running in this process on a RAM memory.
class EmulatedStation : public ::testing::Test {
protected:
    void SetUp() override {
        server_ = emulator::ReportServer::inTemporaryFolder(memory_);
        ::setenv("NIMBRA_STATION_SOCKET", server_->socketPath().c_str(), 1);
        ASSERT_EQ(CheckHandle(), 1);
        server_->setRecording(true);
    }

    void TearDown() override { ::unsetenv("NIMBRA_STATION_SOCKET"); }

    // Command codes in the order the station received them; a write block's data
    // reports are skipped.
    std::vector<std::uint8_t> receivedCommands() const {
        std::vector<std::uint8_t> commands;
        const auto reports = server_->receivedReports();
        for (std::size_t i = 0; i < reports.size(); ++i) {
            commands.push_back(reports[i][0]);
            if (reports[i][0] == 0xA0) {
                i += 4;
            }
        }
        return commands;
    }

    emulator::RamMemory memory_;
    std::unique_ptr<emulator::ReportServer> server_;
};

// Link faults, one at a time.
inline emulator::LinkFaults unplugged() {
    emulator::LinkFaults faults;
    faults.unplugged = true;
    return faults;
}
inline emulator::LinkFaults silentAfter(std::uint64_t reports) {
    emulator::LinkFaults faults;
    faults.silentAfter = reports;
    return faults;
}
inline emulator::LinkFaults badAck() {
    emulator::LinkFaults faults;
    faults.badAck = true;
    return faults;
}
inline emulator::LinkFaults flakyReads() {
    emulator::LinkFaults faults;
    faults.flakyReads = true;
    return faults;
}

// Every byte different, so that a block read from the wrong place shows.
inline emulator::RamMemory::Image patternedImage() {
    emulator::RamMemory::Image image{};
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<std::uint8_t>((i * 7 + (i >> 8) * 13) & 0xFF);
    }
    return image;
}

}  // namespace nimbra::testing
