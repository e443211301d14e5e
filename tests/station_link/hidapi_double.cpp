#include "tests/station_link/hidapi_double.h"

#include <hidapi.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>

#include "station_link/report_protocol.h"

namespace nimbra::testing::hidapi_double {

namespace {

using Clock = std::chrono::steady_clock;

struct Calls {
    std::mutex mutex;
    std::vector<Device> devices;
    std::vector<std::string> opened;
    std::vector<std::vector<std::uint8_t>> written;
    std::vector<std::size_t> readLengths;
    int openHandles = 0;
    std::wstring lastError;
};

Calls& calls() {
    static Calls instance;
    return instance;
}

std::wstring widen(const std::string& text) {
    return {text.begin(), text.end()};
}

int connectTo(const std::filesystem::path& socketPath) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = socketPath.string();
    if (path.size() >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        return -1;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    if (fd >= 0 &&
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        const int error = errno;
        ::close(fd);
        errno = error;
        return -1;
    }
    return fd;
}

}  // namespace

void setDevices(std::vector<Device> devices) {
    Calls& c = calls();
    const std::lock_guard lock(c.mutex);
    c.devices = std::move(devices);
    c.opened.clear();
    c.written.clear();
    c.readLengths.clear();
}

std::vector<std::string> openedPaths() {
    const std::lock_guard lock(calls().mutex);
    return calls().opened;
}

std::vector<std::vector<std::uint8_t>> writtenReports() {
    const std::lock_guard lock(calls().mutex);
    return calls().written;
}

std::vector<std::size_t> readLengths() {
    const std::lock_guard lock(calls().mutex);
    return calls().readLengths;
}

int openHandles() {
    const std::lock_guard lock(calls().mutex);
    return calls().openHandles;
}

}  // namespace nimbra::testing::hidapi_double

using namespace nimbra::testing::hidapi_double;

// One open device: its description and the emulator connection behind it.
struct hid_device_ {
    Device device;
    int fd = -1;
    std::wstring error;
    // An answer the emulator gave that the device has not handed over yet.
    std::optional<nimbra::link::Report> pending;
    std::chrono::steady_clock::time_point pendingDue;
    std::chrono::steady_clock::time_point lastAnswer;
};

extern "C" {

int HID_API_EXPORT HID_API_CALL hid_init(void) {
    return 0;
}

int HID_API_EXPORT HID_API_CALL hid_exit(void) {
    return 0;
}

struct hid_device_info HID_API_EXPORT* HID_API_CALL hid_enumerate(unsigned short vendor_id,
                                                                  unsigned short product_id) {
    auto& c = calls();
    const std::lock_guard lock(c.mutex);
    hid_device_info* first = nullptr;
    hid_device_info** next = &first;
    for (const Device& device : c.devices) {
        if ((vendor_id != 0 && vendor_id != device.vendorId) ||
            (product_id != 0 && product_id != device.productId)) {
            continue;
        }
        auto* info = new hid_device_info{};
        info->path = strdup(device.path.c_str());
        info->vendor_id = device.vendorId;
        info->product_id = device.productId;
        info->release_number = device.releaseNumber;
        info->interface_number = 0;
        info->bus_type = HID_API_BUS_USB;
        *next = info;
        next = &info->next;
    }
    return first;
}

void HID_API_EXPORT HID_API_CALL hid_free_enumeration(struct hid_device_info* devs) {
    while (devs != nullptr) {
        hid_device_info* next = devs->next;
        std::free(devs->path);
        delete devs;
        devs = next;
    }
}

HID_API_EXPORT hid_device* HID_API_CALL hid_open_path(const char* path) {
    auto& c = calls();
    std::unique_lock lock(c.mutex);
    c.opened.emplace_back(path);
    const auto found = std::find_if(c.devices.begin(), c.devices.end(),
                                    [path](const Device& d) { return d.path == path; });
    const int refusal = found == c.devices.end() ? ENOENT : found->openError;
    if (refusal != 0) {
        c.lastError = widen(std::string("Failed to open a device with path '") + path +
                            "': " + std::strerror(refusal));
        errno = refusal;
        return nullptr;
    }
    auto device = std::make_unique<hid_device_>();
    device->device = *found;
    lock.unlock();
    device->fd = connectTo(device->device.socket);
    if (device->fd < 0) {
        const int error = errno;
        lock.lock();
        c.lastError = widen(std::strerror(error));
        errno = error;
        return nullptr;
    }
    lock.lock();
    ++c.openHandles;
    c.lastError.clear();
    return device.release();
}

int HID_API_EXPORT HID_API_CALL hid_write(hid_device* dev, const unsigned char* data,
                                          size_t length) {
    {
        const std::lock_guard lock(calls().mutex);
        calls().written.emplace_back(data, data + length);
    }
    std::this_thread::sleep_for(dev->device.writeDelay);
    // hidraw takes the report id first; the station's reports are unnumbered (id 0) and
    // carry exactly eight bytes.
    if (length != 1 + nimbra::link::kReportSize || data[0] != 0) {
        dev->error = L"report the device does not take";
        errno = EINVAL;
        return -1;
    }
    if (dev->device.silent) {
        return static_cast<int>(length);
    }
    if (::send(dev->fd, data + 1, nimbra::link::kReportSize, MSG_NOSIGNAL) < 0) {
        dev->error = widen(std::strerror(errno));
        return -1;
    }
    return static_cast<int>(length);
}

int HID_API_EXPORT HID_API_CALL hid_read_timeout(hid_device* dev, unsigned char* data,
                                                 size_t length, int milliseconds) {
    {
        const std::lock_guard lock(calls().mutex);
        calls().readLengths.push_back(length);
    }
    const auto start = Clock::now();
    std::optional<Clock::time_point> deadline;
    if (milliseconds >= 0) {
        deadline = start + std::chrono::milliseconds(milliseconds);
    }
    if (!dev->pending) {
        int wait = -1;
        if (deadline) {
            wait = static_cast<int>(
                std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count());
            wait = std::max(wait, 0);
        }
        pollfd entry{dev->fd, POLLIN, 0};
        const int ready = ::poll(&entry, 1, wait);
        if (ready < 0) {
            dev->error = widen(std::strerror(errno));
            return -1;
        }
        if (ready == 0) {
            return 0;
        }
        nimbra::link::Report answer{};
        if (::recv(dev->fd, answer.data(), answer.size(), 0) < 0) {
            dev->error = widen(std::strerror(errno));
            return -1;
        }
        // A slow device hands its reports over one interval apart.
        dev->pending = answer;
        dev->pendingDue = std::max(Clock::now(), dev->lastAnswer) + dev->device.answerDelay;
    }
    if (deadline && dev->pendingDue > *deadline) {
        std::this_thread::sleep_until(*deadline);
        return 0;
    }
    std::this_thread::sleep_until(dev->pendingDue);
    dev->lastAnswer = Clock::now();
    const std::size_t delivered = std::min(length, dev->device.inputLength);
    std::array<unsigned char, nimbra::link::kReportSize + 1> input{};
    std::copy(dev->pending->begin(), dev->pending->end(), input.begin());
    std::copy_n(input.begin(), delivered, data);
    dev->pending.reset();
    return static_cast<int>(delivered);
}

int HID_API_EXPORT HID_API_CALL hid_read(hid_device* dev, unsigned char* data, size_t length) {
    return hid_read_timeout(dev, data, length, -1);
}

void HID_API_EXPORT HID_API_CALL hid_close(hid_device* dev) {
    if (dev == nullptr) {
        return;
    }
    ::close(dev->fd);
    delete dev;
    const std::lock_guard lock(calls().mutex);
    --calls().openHandles;
}

HID_API_EXPORT const wchar_t* HID_API_CALL hid_error(hid_device* dev) {
    if (dev != nullptr) {
        return dev->error.c_str();
    }
    // hidapi keeps the last global error until the next call replaces it.
    static thread_local std::wstring copy;
    const std::lock_guard lock(calls().mutex);
    copy = calls().lastError;
    return copy.c_str();
}

}  // extern "C"
