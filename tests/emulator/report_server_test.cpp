// The emulator's side of the wire, seen by a raw client socket.

#include "emulator/report_server.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>

#include "emulator/ram_memory.h"
#include "station_link/unique_fd.h"
#include "tests/support/emulated_station.h"

namespace nimbra::testing {
namespace {

using link::Report;
using link::UniqueFd;

constexpr Report kReadCommand0100 = {0xA1, 0x01, 0x00, 0x20, 0xA1, 0x00, 0x00, 0x20};

class RawClient {
public:
    explicit RawClient(const std::filesystem::path& path) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        socket_.reset(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
        if (::connect(socket_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) !=
            0) {
            socket_.reset();
        }
    }
    bool connected() const { return static_cast<bool>(socket_); }

    bool send(const Report& report) {
        return ::send(socket_.get(), report.data(), report.size(), MSG_NOSIGNAL) == 8;
    }
    bool sendRaw(const void* data, std::size_t size) {
        return ::send(socket_.get(), data, size, MSG_NOSIGNAL) == static_cast<ssize_t>(size);
    }

    // The next report, or nothing if none comes within the wait (or the peer hung up).
    std::optional<Report> receive(int waitMs = 1000) {
        pollfd entry{socket_.get(), POLLIN, 0};
        if (::poll(&entry, 1, waitMs) != 1) {
            return std::nullopt;
        }
        Report report{};
        if (::recv(socket_.get(), report.data(), report.size(), 0) != 8) {
            return std::nullopt;
        }
        return report;
    }

    std::optional<std::array<std::uint8_t, 32>> readBlock(const Report& command) {
        if (!send(command)) {
            return std::nullopt;
        }
        std::array<std::uint8_t, 32> block{};
        for (std::size_t part = 0; part < 4; ++part) {
            const auto report = receive();
            if (!report) {
                return std::nullopt;
            }
            std::copy(report->begin(), report->end(), block.begin() + part * 8);
        }
        return block;
    }

private:
    UniqueFd socket_;
};

class ReportServerTest : public ::testing::Test {
protected:
    void SetUp() override { server_ = emulator::ReportServer::inTemporaryFolder(memory_); }

    emulator::RamMemory memory_;
    std::unique_ptr<emulator::ReportServer> server_;
};

TEST_F(ReportServerTest, AWriteBlockIsStoredOnlyWhenAllFourDataReportsHaveArrived) {
    RawClient client(server_->socketPath());
    ASSERT_TRUE(client.connected());
    ASSERT_TRUE(client.send({0xA0, 0x01, 0x00, 0x20, 0xA0, 0x00, 0x00, 0x20}));
    for (std::uint8_t part = 0; part < 3; ++part) {
        ASSERT_TRUE(client.send({part, part, part, part, part, part, part, part}));
    }
    EXPECT_FALSE(client.receive(100));
    EXPECT_EQ(memory_.image()[0x0100], 0);
    ASSERT_TRUE(client.send({3, 3, 3, 3, 3, 3, 3, 3}));
    EXPECT_EQ(client.receive(), link::kAckReport);
    const auto image = memory_.image();
    EXPECT_EQ(image[0x0100 + 8], 1);
    EXPECT_EQ(image[0x0100 + 31], 3);
}

TEST_F(ReportServerTest, UnknownCommandsAndMessagesOfOtherSizesGoUnanswered) {
    RawClient client(server_->socketPath());
    ASSERT_TRUE(client.send({0xA7, 0x01, 0x00, 0x20, 0xA7, 0x00, 0x00, 0x20}));
    const std::uint8_t nine[9] = {0x00, 0xA1, 0x01, 0x00, 0x20, 0xA1, 0x00, 0x00, 0x20};
    ASSERT_TRUE(client.sendRaw(nine, sizeof nine));
    EXPECT_FALSE(client.receive(100));
    // The connection still serves the next exchange.
    EXPECT_TRUE(client.readBlock(kReadCommand0100));
}

TEST_F(ReportServerTest, EachClientRunsItsOwnExchange) {
    RawClient writer(server_->socketPath());
    RawClient reader(server_->socketPath());
    ASSERT_TRUE(writer.send({0xA0, 0x02, 0x00, 0x20, 0xA0, 0x00, 0x00, 0x20}));
    ASSERT_TRUE(writer.send({9, 9, 9, 9, 9, 9, 9, 9}));
    // A read from another client in the middle of the write is neither data nor lost.
    EXPECT_TRUE(reader.readBlock(kReadCommand0100));
    for (int part = 1; part < 4; ++part) {
        ASSERT_TRUE(writer.send({9, 9, 9, 9, 9, 9, 9, 9}));
    }
    EXPECT_EQ(writer.receive(), link::kAckReport);
    EXPECT_EQ(memory_.image()[0x0200 + 31], 9);
}

TEST_F(ReportServerTest, BadAcknowledgementIsSevenA5AndOneOtherByte) {
    server_->setFaults(badAck());
    RawClient client(server_->socketPath());
    ASSERT_TRUE(client.send({0xA2, 0x01, 0x00, 0x20, 0xA2, 0x42, 0x00, 0x20}));
    const Report expected = {0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0x00};
    EXPECT_EQ(client.receive(), expected);
    EXPECT_EQ(memory_.image()[0x0100], 0x42);
}

TEST_F(ReportServerTest, FlakyReadsSpoilTheLastByteOfEverySecondRead) {
    memory_.writeByte(0x011F, 0x0F);
    server_->setFaults(flakyReads());
    RawClient client(server_->socketPath());
    for (int read = 1; read <= 4; ++read) {
        SCOPED_TRACE(read);
        const auto block = client.readBlock(kReadCommand0100);
        ASSERT_TRUE(block);
        EXPECT_EQ(block->back(), read % 2 == 0 ? 0xF0 : 0x0F);
        EXPECT_EQ(block->front(), 0);
    }
}

TEST_F(ReportServerTest, SilentAfterNAnswersTheFirstNReportsOnly) {
    server_->setFaults(silentAfter(2));
    RawClient client(server_->socketPath());
    EXPECT_TRUE(client.readBlock(kReadCommand0100));
    EXPECT_TRUE(client.readBlock(kReadCommand0100));
    EXPECT_FALSE(client.readBlock(kReadCommand0100));
    server_->setFaults(emulator::LinkFaults{});
    EXPECT_TRUE(client.readBlock(kReadCommand0100));
}

TEST_F(ReportServerTest, UnpluggedTheSocketGoesAwayAndComesBackWhenPluggedIn) {
    RawClient before(server_->socketPath());
    ASSERT_TRUE(before.connected());
    server_->setFaults(unplugged());
    EXPECT_FALSE(std::filesystem::exists(server_->socketPath()));
    EXPECT_FALSE(RawClient(server_->socketPath()).connected());
    EXPECT_FALSE(before.readBlock(kReadCommand0100));

    server_->setFaults(emulator::LinkFaults{});
    RawClient after(server_->socketPath());
    ASSERT_TRUE(after.connected());
    EXPECT_TRUE(after.readBlock(kReadCommand0100));
}

TEST_F(ReportServerTest, FaultsWaitForTheirReportAndTheTriggerRunsOnceJustBeforeIt) {
    memory_.writeByte(0x0100, 0x11);
    memory_.writeByte(0x011F, 0x0F);
    emulator::LinkFaults faults = flakyReads();
    faults.afterReports = 2;
    int triggered = 0;
    server_->setFaults(faults, [&] {
        ++triggered;
        memory_.writeByte(0x0100, 0x22);
    });
    RawClient client(server_->socketPath());
    // Untouched until the third report, which already sees the station the trigger left.
    const std::uint8_t expectedFirst[] = {0x11, 0x11, 0x22, 0x22, 0x22};
    const std::uint8_t expectedLast[] = {0x0F, 0x0F, 0x0F, 0xF0, 0x0F};
    for (int read = 0; read < 5; ++read) {
        SCOPED_TRACE(read);
        const auto block = client.readBlock(kReadCommand0100);
        ASSERT_TRUE(block);
        EXPECT_EQ(block->front(), expectedFirst[read]);
        EXPECT_EQ(block->back(), expectedLast[read]);
    }
    server_->setFaults(emulator::LinkFaults{});
    EXPECT_EQ(triggered, 1);
}

TEST_F(ReportServerTest, UnpluggingAtAReportCutsTheExchangeThere) {
    emulator::LinkFaults faults = unplugged();
    faults.afterReports = 1;
    server_->setFaults(faults);
    EXPECT_TRUE(std::filesystem::exists(server_->socketPath()));
    RawClient client(server_->socketPath());
    RawClient bystander(server_->socketPath());
    EXPECT_TRUE(client.readBlock(kReadCommand0100));
    EXPECT_FALSE(client.readBlock(kReadCommand0100));
    EXPECT_FALSE(bystander.readBlock(kReadCommand0100));
    EXPECT_FALSE(std::filesystem::exists(server_->socketPath()));

    server_->setFaults(emulator::LinkFaults{});
    RawClient after(server_->socketPath());
    EXPECT_TRUE(after.readBlock(kReadCommand0100));
}

TEST_F(ReportServerTest, BadAcknowledgementsStartAtTheirReport) {
    emulator::LinkFaults faults = badAck();
    faults.afterReports = 1;
    server_->setFaults(faults);
    RawClient client(server_->socketPath());
    ASSERT_TRUE(client.send({0xA2, 0x01, 0x00, 0x20, 0xA2, 0x42, 0x00, 0x20}));
    EXPECT_EQ(client.receive(), link::kAckReport);
    ASSERT_TRUE(client.send({0xA2, 0x01, 0x01, 0x20, 0xA2, 0x43, 0x00, 0x20}));
    const Report bad = {0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0xA5, 0x00};
    EXPECT_EQ(client.receive(), bad);
    EXPECT_EQ(memory_.image()[0x0101], 0x43);
}

TEST_F(ReportServerTest, AStaleSocketIsReplacedButAnOrdinaryFileIsNot) {
    const auto folder = server_->socketPath().parent_path();
    const auto stale = folder / "stale.sock";
    {
        emulator::RamMemory other;
        emulator::ReportServer first(other, stale);
    }
    // A server that died leaves its socket behind; here one is made by hand.
    UniqueFd leftover(::socket(AF_UNIX, SOCK_SEQPACKET, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, stale.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(leftover.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address),
              0);
    EXPECT_NO_THROW(emulator::ReportServer(memory_, stale));

    const auto ordinary = folder / "notes.txt";
    std::ofstream(ordinary) << "keep me";
    EXPECT_THROW(emulator::ReportServer(memory_, ordinary), std::system_error);
    EXPECT_TRUE(std::filesystem::is_regular_file(ordinary));
}

}  // namespace
}  // namespace nimbra::testing
