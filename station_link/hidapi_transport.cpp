#include "station_link/hidapi_transport.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <cwchar>

namespace nimbra::link {

namespace {

struct EnumerationDeleter {
    void operator()(hid_device_info* list) const { hid_free_enumeration(list); }
};

// The station's reports are unnumbered: output reports are handed to hidraw with report
// id 0 in front, input reports arrive as the 8 payload bytes alone.
constexpr std::size_t kOutputReportSize = 1 + kReportSize;

// hidapi's error texts are wide strings; the status bar and the log take UTF-8.
std::string utf8(const wchar_t* text) {
    std::string out;
    for (; text != nullptr && *text != L'\0'; ++text) {
        const auto c = static_cast<std::uint32_t>(*text);
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

}  // namespace

std::vector<CandidateDevice> listHidDevices(std::uint16_t vendorId, std::uint16_t productId) {
    std::vector<CandidateDevice> devices;
    const std::unique_ptr<hid_device_info, EnumerationDeleter> list(
        hid_enumerate(vendorId, productId));
    for (const hid_device_info* info = list.get(); info != nullptr; info = info->next) {
        if (info->path != nullptr) {
            devices.push_back(
                {info->path, info->vendor_id, info->product_id, info->release_number});
        }
    }
    return devices;
}

Opened HidapiTransport::open(const char* path) {
    errno = 0;
    DeviceHandle device(hid_open_path(path));
    if (!device) {
        // errno still tells the kind (hidraw's open failed); the text adds the path.
        const int error = errno;
        std::string reason = utf8(hid_error(nullptr));
        if (reason.empty() && error != 0) {
            reason = std::strerror(error);
        }
        return Opened::failed(error != 0 ? statusForErrno(error) : LinkStatus::io,
                              std::move(reason));
    }
    return {
        std::unique_ptr<HidapiTransport>(new HidapiTransport(std::move(device), StationLock(path))),
        {}};
}

// hidraw's write is synchronous: the kernel returns once the report has gone out over
// USB or its own transfer timeout (seconds) has expired, and user space can neither
// poll for writability nor cancel it. The 50 ms limit is therefore applied to the
// outcome: a report that took longer counts as failed, as a cancelled one would.
LinkStatus HidapiTransport::send(const Report& report) {
    std::array<std::uint8_t, kOutputReportSize> output{};
    std::copy(report.begin(), report.end(), output.begin() + 1);
    const auto start = std::chrono::steady_clock::now();
    const int written = hid_write(device_.get(), output.data(), output.size());
    if (written < 0) {
        return LinkStatus::io;
    }
    if (written != static_cast<int>(output.size())) {
        return LinkStatus::protocol;
    }
    return std::chrono::steady_clock::now() - start <= kSendTimeout ? LinkStatus::ok
                                                                    : LinkStatus::timeout;
}

LinkStatus HidapiTransport::receive(Report& report) {
    // One byte to spare, so that a report longer than the station's is recognised.
    std::array<std::uint8_t, kReportSize + 1> input{};
    const int length = hid_read_timeout(device_.get(), input.data(), input.size(),
                                        static_cast<int>(kReceiveTimeout.count()));
    if (length < 0) {
        return LinkStatus::io;
    }
    if (length == 0) {
        return LinkStatus::timeout;
    }
    if (length != static_cast<int>(kReportSize)) {
        return LinkStatus::protocol;
    }
    std::copy_n(input.begin(), kReportSize, report.begin());
    return LinkStatus::ok;
}

void HidapiTransport::discardPending() {
    // Bounded, so that a device streaming input cannot hold the caller here.
    constexpr int kMostStaleReports = 64;
    std::array<std::uint8_t, kReportSize + 1> stale{};
    for (int i = 0; i < kMostStaleReports; ++i) {
        if (hid_read_timeout(device_.get(), stale.data(), stale.size(), 0) <= 0) {
            return;
        }
    }
}

}  // namespace nimbra::link
