#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// hidapi's functions as the transport calls them, defined by this test library instead of
// the system's, over HID devices the test describes. An opened device passes its output
// reports on to a station emulator's socket and hands back what the emulator answers,
// much as hidraw passes them to a USB device.
namespace nimbra::testing::hidapi_double {

struct Device {
    std::string path;
    std::uint16_t vendorId = 0x1941;
    std::uint16_t productId = 0x8021;
    std::uint16_t releaseNumber = 0x0100;
    // The emulator the device talks to.
    std::filesystem::path socket;
    // Non-zero: hid_open_path fails with this errno, as hidraw's open does for a device
    // the user may not open or one held exclusively elsewhere.
    int openError = 0;
    // Each input report comes this long after the one before it (or after its command).
    std::chrono::milliseconds answerDelay{0};
    // hid_write returns only after this long, as a device that is slow to take a report.
    std::chrono::milliseconds writeDelay{0};
    // The device takes reports in and never answers.
    bool silent = false;
    // How many bytes of each 8-byte answer reach the reader; 9 adds a stray byte.
    std::size_t inputLength = 8;
};

// Replaces the devices hid_enumerate lists; handles already open keep their device.
void setDevices(std::vector<Device> devices);

// What the library was called with since the last setDevices.
std::vector<std::string> openedPaths();
std::vector<std::vector<std::uint8_t>> writtenReports();  // as hid_write got them
std::vector<std::size_t> readLengths();                   // hid_read_timeout's buffer sizes
int openHandles();

}  // namespace nimbra::testing::hidapi_double
