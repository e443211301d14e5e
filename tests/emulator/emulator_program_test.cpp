// The emulator program as a user runs it, read through the real station link exports.

#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "station_link/hidlink.h"
#include "tests/support/temp_folder.h"

namespace nimbra::emulator {
namespace {

namespace fs = std::filesystem;

class EmulatorProgram : public ::testing::Test {
protected:
    void TearDown() override {
        stop();
        ::unsetenv("NIMBRA_STATION_SOCKET");
    }

    // Starts the program and waits for the line that says where it listens.
    std::string start(std::vector<std::string> arguments) {
        int output[2];
        if (::pipe(output) != 0) {
            return {};
        }
        arguments.insert(arguments.begin(), NIMBRA_STATION_EMULATOR_PROGRAM);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(output[1], STDOUT_FILENO);
            ::close(output[0]);
            ::close(output[1]);
            std::vector<char*> argv;
            for (auto& argument : arguments) {
                argv.push_back(argument.data());
            }
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        ::close(output[1]);
        FILE* out = ::fdopen(output[0], "r");
        std::array<char, 512> line{};
        const bool gotLine = std::fgets(line.data(), line.size(), out) != nullptr;
        std::fclose(out);
        return gotLine ? std::string(line.data()) : std::string();
    }

    int stop() {
        if (pid_ <= 0) {
            return -1;
        }
        ::kill(pid_, SIGTERM);
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    nimbra::testing::TempFolder temp_{"nimbra-program"};
    const fs::path folder_ = temp_.path();
    pid_t pid_ = -1;
};

std::vector<unsigned char> readWholeMemory() {
    std::vector<unsigned char> memory(65536);
    for (std::size_t address = 0; address < memory.size(); address += 32) {
        if (ReadData(static_cast<int>(address), memory.data() + address) != 1) {
            ADD_FAILURE() << "read at " << address << " failed";
            break;
        }
    }
    return memory;
}

std::vector<unsigned char> fileBytes(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The station clock stands still (--speed 0), so the memory changes only by our writes.
TEST_F(EmulatorProgram, ServesTheStationMemoryThroughTheExportsAndKeepsItAcrossRuns) {
    const fs::path socket = folder_ / "x.sock";
    const fs::path saved = folder_ / "station.bin";
    const std::string said = start({"--socket", socket, "--records", "500", "--speed", "0",
                                    "--seed", "7", "--save-image", saved});
    EXPECT_NE(said.find(socket.native()), std::string::npos) << said;

    ::setenv("NIMBRA_STATION_SOCKET", socket.c_str(), 1);
    ASSERT_EQ(CheckHandle(), 1);
    std::vector<unsigned char> memory = readWholeMemory();
    // The 500 records asked for, and the one being filled.
    EXPECT_EQ(memory[27] | (memory[28] << 8), 501);

    std::array<unsigned char, 32> block{};
    block.fill(0xC3);
    ASSERT_EQ(V_WriteData(0x4000, block.data(), 2), 0u);
    std::copy(block.begin(), block.end(), memory.begin() + 0x4000);

    EXPECT_EQ(stop(), 0);
    EXPECT_FALSE(fs::exists(socket));
    EXPECT_EQ(CheckHandle(), 0);
    EXPECT_EQ(fileBytes(saved), memory);

    start({"--socket", socket, "--speed", "0", "--image", saved});
    ASSERT_EQ(CheckHandle(), 1);
    EXPECT_EQ(readWholeMemory(), memory);
}

TEST_F(EmulatorProgram, RefusesAFileThatIsNoStationImage) {
    std::ofstream(folder_ / "notes.txt") << "not a station";
    const std::string said =
        start({"--socket", folder_ / "x.sock", "--image", folder_ / "notes.txt"});
    EXPECT_EQ(said, "");
    EXPECT_EQ(stop(), 1);
}

std::size_t openDescriptors() {
    std::size_t count = 0;
    if (DIR* folder = ::opendir("/proc/self/fd")) {
        while (::readdir(folder) != nullptr) {
            ++count;
        }
        ::closedir(folder);
    }
    return count;
}

// With the emulator in another process, every descriptor here is the link's own.
TEST_F(EmulatorProgram, CheckHandleClosesTheConnectionItReplaces) {
    const fs::path socket = folder_ / "x.sock";
    start({"--socket", socket});
    ::setenv("NIMBRA_STATION_SOCKET", socket.c_str(), 1);
    ASSERT_EQ(CheckHandle(), 1);
    const std::size_t before = openDescriptors();
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(CheckHandle(), 1);
    }
    EXPECT_EQ(openDescriptors(), before);
}

TEST_F(EmulatorProgram, StartedUnpluggedNothingIsThere) {
    const fs::path socket = folder_ / "x.sock";
    start({"--socket", socket, "--unplugged"});
    ::setenv("NIMBRA_STATION_SOCKET", socket.c_str(), 1);
    EXPECT_EQ(CheckHandle(), 0);
}

}  // namespace
}  // namespace nimbra::emulator
