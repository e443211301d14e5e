#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "emulator/ram_memory.h"
#include "emulator/report_server.h"
#include "emulator/station_model.h"
#include "station_link/station_link.h"

namespace nimbra::testing {

// A station emulator serving a memory in this process, and a station link of the test's
// own connected to it: the real link and its transfer lock over the emulator's socket,
// chosen by path rather than through the environment the library's exports read.
class EmulatedStation {
public:
    explicit EmulatedStation(emulator::StationMemory& memory)
        : m_server(emulator::ReportServer::inTemporaryFolder(memory)),
          m_link(link::StationLink::atSocket(m_server->socketPath())) {}

    emulator::ReportServer& server() { return *m_server; }
    link::StationLink& link() { return m_link; }

    // Command codes in the order the station received them (with recording on); a
    // write block's data reports are skipped.
    std::vector<std::uint8_t> receivedCommands() const {
        std::vector<std::uint8_t> commands;
        const auto reports = m_server->receivedReports();
        for (std::size_t i = 0; i < reports.size(); ++i) {
            commands.push_back(reports[i][0]);
            if (reports[i][0] == link::kWriteBlockCommand) {
                i += link::kReportsPerBlock;
            }
        }
        return commands;
    }

private:
    std::unique_ptr<emulator::ReportServer> m_server;  // outlives the link's connection
    link::StationLink m_link;
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

inline emulator::StationModelOptions stationOptions(std::uint32_t seed, int records,
                                                    int intervalMinutes) {
    emulator::StationModelOptions options;
    options.seed = seed;
    options.records = records;
    options.intervalMinutes = intervalMinutes;
    return options;
}

// The link's tests: a RAM memory behind the emulator, recording what reaches it, and the
// link connected before the test starts.
class EmulatedMemory : public ::testing::Test {
protected:
    void SetUp() override {
        m_station = std::make_unique<EmulatedStation>(m_memory);
        ASSERT_TRUE(m_station->link().open().ok());
        m_station->server().setRecording(true);
    }

    emulator::ReportServer& server() { return m_station->server(); }
    link::StationLink& station() { return m_station->link(); }
    std::vector<std::uint8_t> receivedCommands() const { return m_station->receivedCommands(); }

    emulator::RamMemory m_memory;
    std::unique_ptr<EmulatedStation> m_station;
};

}  // namespace nimbra::testing
