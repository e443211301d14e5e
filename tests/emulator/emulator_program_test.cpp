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
#include <string>
#include <vector>

#include "station_link/hidlink.h"

namespace nimbra::testing {
namespace {

namespace fs = std::filesystem;

class EmulatorProgram : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = fs::temp_directory_path() / "nimbra-program-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        folder_ = pattern;
    }

    void TearDown() override {
        stop();
        ::unsetenv("NIMBRA_STATION_SOCKET");
        fs::remove_all(folder_);
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

    fs::path folder_;
    pid_t pid_ = -1;
};

TEST_F(EmulatorProgram, ServesItsImageThroughTheExportsAndSavesItOnExit) {
    std::vector<unsigned char> image(65536);
    for (std::size_t i = 0; i < image.size(); ++i) {
        image[i] = static_cast<unsigned char>((i * 31 + (i >> 8)) & 0xFF);
    }
    std::ofstream(folder_ / "in.bin", std::ios::binary)
        .write(reinterpret_cast<const char*>(image.data()), image.size());

    const fs::path socket = folder_ / "x.sock";
    const std::string said = start({"--socket", socket, "--records", "500", "--image",
                                    folder_ / "in.bin", "--save-image", folder_ / "out.bin"});
    EXPECT_NE(said.find(socket.native()), std::string::npos) << said;

    ::setenv("NIMBRA_STATION_SOCKET", socket.c_str(), 1);
    ASSERT_EQ(CheckHandle(), 1);
    std::vector<unsigned char> read(65536);
    for (std::size_t address = 0; address < read.size(); address += 32) {
        ASSERT_EQ(ReadData(static_cast<int>(address), read.data() + address), 1) << address;
    }
    EXPECT_EQ(read, image);

    std::array<unsigned char, 32> block{};
    block.fill(0xC3);
    ASSERT_EQ(V_WriteData(0x4000, block.data(), 2), 0u);

    EXPECT_EQ(stop(), 0);
    EXPECT_FALSE(fs::exists(socket));
    std::copy(block.begin(), block.end(), image.begin() + 0x4000);
    std::vector<unsigned char> saved(65536);
    std::ifstream(folder_ / "out.bin", std::ios::binary)
        .read(reinterpret_cast<char*>(saved.data()), saved.size());
    EXPECT_EQ(saved, image);
    EXPECT_EQ(CheckHandle(), 0);
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
}  // namespace nimbra::testing
