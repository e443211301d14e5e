// An answer that arrives after its exchange gave up must not be taken for the next one.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "station_link/socket_transport.h"
#include "station_link/station_exchange.h"
#include "station_link/unique_fd.h"

namespace nimbra::testing {
namespace {

using link::Report;
using link::UniqueFd;

TEST(LateAnswer, IsDiscardedBeforeTheNextCommand) {
    std::string folder = std::filesystem::temp_directory_path() / "nimbra-late-XXXXXX";
    ASSERT_NE(::mkdtemp(folder.data()), nullptr);
    const std::string path = folder + "/station.sock";

    UniqueFd listener(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address),
              0);
    ASSERT_EQ(::listen(listener.get(), 1), 0);
    auto transport = link::SocketTransport::connect(path.c_str()).transport;
    ASSERT_NE(transport, nullptr);
    UniqueFd station(::accept(listener.get(), nullptr, nullptr));

    // The tail of a block read the link stopped waiting for.
    const Report stale = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    ASSERT_EQ(::send(station.get(), stale.data(), stale.size(), 0), 8);

    // The station answers the next read properly, once it has the command.
    std::thread answer([&] {
        Report command{};
        if (::recv(station.get(), command.data(), command.size(), 0) != 8) {
            return;
        }
        for (std::uint8_t part = 0; part < 4; ++part) {
            const Report data = {part, part, part, part, part, part, part, part};
            ::send(station.get(), data.data(), data.size(), 0);
        }
    });
    std::array<std::uint8_t, 32> block{};
    const bool read = link::readBlock(*transport, 0x0100, block.data()) == link::LinkStatus::ok;
    answer.join();

    EXPECT_TRUE(read);
    EXPECT_EQ(block[0], 0);
    EXPECT_EQ(block[31], 3);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace nimbra::testing
