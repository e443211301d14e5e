#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "repair/port_reset.h"
#include "repair/repair_log.h"
#include "tests/support/temp_folder.h"

namespace nimbra::repair::testing {

// A fresh folder readable by everyone, so that a test may look at it as an unprivileged user.
struct TemporaryFolder : nimbra::testing::TempFolder {
    TemporaryFolder() : TempFolder("fixora-test", Access::everyone) {}
};

void writeFile(const std::filesystem::path& file, const std::string& content);
std::string readFile(const std::filesystem::path& file);

// Raw descriptors of a one-interface device, as sysfs shows them.
std::string rawDescriptors(std::uint8_t interfaceClass);

struct FakeUsbDevice {
    std::string name;
    std::string vendor = "1941";
    std::string product = "8021";
    std::optional<std::string> authorized = "1";  // nullopt: no such attribute
    std::uint8_t interfaceClass = 3;              // HID
    int bus = 1;
    int address = 2;
};

inline void PrintTo(const FakeUsbDevice& device, std::ostream* out) {
    *out << device.name;
}

// A sysfs tree of USB devices in real files, shaped as the kernel lays it out.
class FakeSysfs {
public:
    explicit FakeSysfs(std::filesystem::path root);
    const std::filesystem::path& root() const { return m_root; }

    void add(const FakeUsbDevice& device);
    std::filesystem::path authorizedFile(const std::string& name) const;
    std::string authorized(const std::string& name) const;
    // Whether `authorized` was written since the device was added.
    bool authorizedWritten(const std::string& name) const;

private:
    std::filesystem::path m_root;
};

class RecordingLog final : public RepairLog {
public:
    void note(std::string_view message) override {
        lines.push_back("note: " + std::string(message));
    }
    void failure(std::string_view message) override {
        lines.push_back("failure: " + std::string(message));
        ++failures;
    }
    std::vector<std::string> lines;
    int failures = 0;
};

class RecordingPortReset final : public PortReset {
public:
    explicit RecordingPortReset(bool succeeds = true) : m_succeeds(succeeds) {}
    bool reset(UsbAddress address, RepairLog&) override {
        resets.push_back(address);
        return m_succeeds;
    }
    std::vector<UsbAddress> resets;

private:
    bool m_succeeds;
};

// Runs `body` in a child process as an unprivileged user (nobody, when the tests run as
// root, where file modes would not bind) and returns what it returned.
std::string runUnprivileged(const std::function<std::string()>& body);

// Makes a file such that the unprivileged user of runUnprivileged may not write it.
void makeReadOnly(const std::filesystem::path& file);
// ... or may write but not read it.
void makeWriteOnly(const std::filesystem::path& file);

struct ProgramRun {
    int exitCode = -1;
    std::string standardError;
};

struct RunOptions {
    bool unprivileged = false;         // as in runUnprivileged
    bool brokenStandardError = false;  // standard error is a pipe nobody reads any more
};

// Runs a program with the given arguments and extra environment variables, waits for it
// and collects its standard error. It inherits one stray descriptor, as a program
// started by another often does.
ProgramRun runProgram(const std::vector<std::string>& arguments,
                      const std::vector<std::string>& environment, RunOptions options = {});

// Copies an executable into `folder` under `name`, runnable by everyone.
std::filesystem::path installCopy(const std::filesystem::path& executable,
                                  const std::filesystem::path& folder, const std::string& name);

// The stand-in program's report ("key value" lines), once it has appeared.
std::map<std::string, std::string> awaitStandinReport(const std::filesystem::path& report);

}  // namespace nimbra::repair::testing
