#include "emulator/report_server.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <system_error>
#include <thread>
#include <utility>

namespace nimbra::emulator {

using link::Report;
using link::UniqueFd;

namespace {

[[noreturn]] void throwErrno(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

sockaddr_un socketAddress(const std::filesystem::path& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string& text = path.native();
    if (text.size() >= sizeof address.sun_path) {
        throw std::system_error(std::make_error_code(std::errc::filename_too_long),
                                "socket path " + text);
    }
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return address;
}

// Removes a socket left behind by an emulator that did not end cleanly. A socket some
// process still listens on, or any other kind of file, is left alone and makes bind fail.
void removeStaleSocket(const std::filesystem::path& path, const sockaddr_un& address) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISSOCK(info.st_mode)) {
        return;
    }
    UniqueFd probe(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0));
    if (probe &&
        ::connect(probe.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 &&
        errno == ECONNREFUSED) {
        ::unlink(path.c_str());
    }
}

std::filesystem::path makeTemporaryFolder() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/nimbra-station-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        throwErrno("mkdtemp " + pattern);
    }
    return pattern;
}

bool sendReport(int fd, const Report& report) {
    return ::send(fd, report.data(), report.size(), MSG_DONTWAIT | MSG_NOSIGNAL) ==
           static_cast<ssize_t>(report.size());
}

}  // namespace

struct ReportServer::Connection {
    UniqueFd socket;
    // A write block in progress: its address and the data reports received so far.
    bool collectingWrite = false;
    std::uint16_t writeAddress = 0;
    std::size_t writeReports = 0;
    std::array<std::uint8_t, link::kBlockSize> writeData{};
};

ReportServer::ReportServer(StationMemory& memory, std::filesystem::path socketPath)
    : memory_(memory), socketPath_(std::move(socketPath)) {
    wakeEvent_.reset(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!wakeEvent_) {
        throwErrno("eventfd");
    }
    listen();
    thread_ = std::thread([this] { serve(); });
}

std::unique_ptr<ReportServer> ReportServer::inTemporaryFolder(StationMemory& memory) {
    const std::filesystem::path folder = makeTemporaryFolder();
    try {
        auto server = std::make_unique<ReportServer>(memory, folder / "station.sock");
        server->ownedFolder_ = folder;
        return server;
    } catch (...) {
        std::filesystem::remove_all(folder);
        throw;
    }
}

ReportServer::~ReportServer() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake();
    thread_.join();
    if (listener_) {
        ::unlink(socketPath_.c_str());
    }
    if (!ownedFolder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(ownedFolder_, ignored);
    }
}

void ReportServer::listen() {
    const sockaddr_un address = socketAddress(socketPath_);
    UniqueFd listener(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!listener) {
        throwErrno("socket");
    }
    removeStaleSocket(socketPath_, address);
    if (::bind(listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        throwErrno("bind " + socketPath_.native());
    }
    if (::listen(listener.get(), SOMAXCONN) != 0) {
        const int error = errno;
        ::unlink(socketPath_.c_str());
        throw std::system_error(error, std::generic_category(), "listen");
    }
    listener_ = std::move(listener);
}

void ReportServer::wake() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeEvent_.get(), &one, sizeof one);
}

void ReportServer::setFaults(const LinkFaults& faults, std::function<void()> onTrigger) {
    std::unique_lock lock(mutex_);
    faults_ = faults;
    onTrigger_ = std::move(onTrigger);
    unpluggedNow_ = faults.unplugged && faults.afterReports == 0;
    reportsSinceFaults_ = 0;
    flakyBlockReads_ = 0;
    const std::uint64_t generation = ++requestedGeneration_;
    lock.unlock();
    wake();
    lock.lock();
    applied_.wait(lock, [&] { return appliedGeneration_ >= generation || stopping_; });
}

LinkFaults ReportServer::faults() const {
    std::lock_guard lock(mutex_);
    return faults_;
}

void ReportServer::setReportLatency(std::chrono::milliseconds latency) {
    std::lock_guard lock(mutex_);
    latency_ = std::max(std::chrono::milliseconds::zero(), latency);
}

ReportCounts ReportServer::reportCounts() const {
    return {reportsReceived_.load(), reportsSent_.load()};
}

void ReportServer::setRecording(bool on) {
    std::lock_guard lock(mutex_);
    recording_ = on;
}

std::vector<Report> ReportServer::receivedReports() const {
    std::lock_guard lock(mutex_);
    return received_;
}

void ReportServer::clearReceivedReports() {
    std::lock_guard lock(mutex_);
    received_.clear();
}

void ReportServer::applyPlugState(bool unplugged) {
    if (unplugged && listener_) {
        listener_.reset();
        ::unlink(socketPath_.c_str());
        connections_.clear();
    } else if (!unplugged && !listener_) {
        try {
            listen();
        } catch (const std::system_error&) {
            // Stays unplugged; the next change of faults tries again.
        }
    }
}

void ReportServer::serve() {
    std::vector<pollfd> watched;
    for (;;) {
        watched.clear();
        watched.push_back({wakeEvent_.get(), POLLIN, 0});
        watched.push_back({listener_ ? listener_.get() : -1, POLLIN, 0});
        for (const Connection& connection : connections_) {
            watched.push_back({connection.socket.get(), POLLIN, 0});
        }
        if (::poll(watched.data(), watched.size(), -1) < 0) {
            continue;  // interrupted by a signal
        }

        if (watched[0].revents != 0) {
            std::uint64_t count = 0;
            [[maybe_unused]] const ssize_t drained = ::read(wakeEvent_.get(), &count, sizeof count);
            std::unique_lock lock(mutex_);
            if (stopping_) {
                applied_.notify_all();
                return;
            }
            const bool unplugged = unpluggedNow_;
            const std::uint64_t generation = requestedGeneration_;
            lock.unlock();
            applyPlugState(unplugged);
            lock.lock();
            appliedGeneration_ = generation;
            applied_.notify_all();
            continue;  // the set of sockets may have changed
        }

        // New connections are appended, so the entries polled above keep their positions.
        const std::size_t polledConnections = connections_.size();
        if (watched[1].revents != 0) {
            acceptClient();
        }
        std::vector<bool> dropped(polledConnections, false);
        for (std::size_t i = 0; i < polledConnections; ++i) {
            if (watched[2 + i].revents != 0) {
                dropped[i] = !receiveFrom(connections_[i]);
            }
        }
        for (std::size_t i = polledConnections; i-- > 0;) {
            if (dropped[i]) {
                connections_.erase(connections_.begin() + static_cast<std::ptrdiff_t>(i));
            }
        }
        // An unplugging that struck at a report takes the listener and the other clients too.
        std::unique_lock lock(mutex_);
        const bool unplugged = unpluggedNow_;
        lock.unlock();
        if (unplugged) {
            applyPlugState(true);
        }
    }
}

void ReportServer::acceptClient() {
    UniqueFd client(::accept4(listener_.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (client) {
        connections_.push_back(Connection{std::move(client)});
    }
}

// False when the connection is finished with: closed by the client, broken, or cut
// because the station was unplugged.
bool ReportServer::receiveFrom(Connection& connection) {
    Report report{};
    const ssize_t length =
        ::recv(connection.socket.get(), report.data(), report.size(), MSG_DONTWAIT | MSG_TRUNC);
    if (length < 0) {
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
    }
    if (length == 0) {
        return false;
    }
    if (length != static_cast<ssize_t>(report.size())) {
        return true;  // not a report: the station ignores it
    }
    ++reportsReceived_;
    return handle(connection, report);
}

bool ReportServer::handle(Connection& connection, const Report& report) {
    bool spoilRead = false;
    bool badAck = false;
    bool silent = false;
    bool unplug = false;
    std::function<void()> trigger;
    {
        std::lock_guard lock(mutex_);
        if (recording_) {
            received_.push_back(report);
        }
        if (unpluggedNow_) {
            return false;
        }
        ++reportsSinceFaults_;
        const bool active = reportsSinceFaults_ > faults_.afterReports;
        if (active) {
            trigger = std::exchange(onTrigger_, nullptr);
            unpluggedNow_ = faults_.unplugged;
            unplug = unpluggedNow_;
        }
        silent = faults_.silentAfter && reportsSinceFaults_ > *faults_.silentAfter;
        spoilRead = active && report[0] == link::kReadBlockCommand && !connection.collectingWrite &&
                    faults_.flakyReads && ++flakyBlockReads_ % 2 == 0;
        badAck = active && faults_.badAck;
    }
    if (trigger) {
        trigger();
    }
    if (unplug) {
        return false;
    }
    if (silent) {
        return true;
    }

    if (connection.collectingWrite) {
        std::copy(report.begin(), report.end(),
                  connection.writeData.begin() + connection.writeReports * link::kReportSize);
        if (++connection.writeReports < link::kReportsPerBlock) {
            return true;
        }
        connection.collectingWrite = false;
        memory_.writeBlock(connection.writeAddress, connection.writeData.data());
        return acknowledge(connection, badAck);
    }

    const std::uint16_t address = link::commandAddress(report);
    switch (report[0]) {
        case link::kReadBlockCommand:
            return answerRead(connection, address, spoilRead);
        case link::kWriteBlockCommand:
            connection.collectingWrite = true;
            connection.writeAddress = address;
            connection.writeReports = 0;
            return true;
        case link::kWriteByteCommand:
            memory_.writeByte(address, report[5]);
            return acknowledge(connection, badAck);
        default:
            return true;  // unknown commands go unanswered, as on the console
    }
}

// Sends one answer report once it is due; the first is due a latency after the command.
bool ReportServer::answer(Connection& connection, const Report& report,
                          std::chrono::steady_clock::time_point due) {
    std::this_thread::sleep_until(due);
    if (!sendReport(connection.socket.get(), report)) {
        return false;
    }
    ++reportsSent_;
    return true;
}

bool ReportServer::answerRead(Connection& connection, std::uint16_t address, bool spoil) {
    const auto commandAt = std::chrono::steady_clock::now();
    std::chrono::milliseconds latency;
    {
        std::lock_guard lock(mutex_);
        latency = latency_;
    }
    std::array<std::uint8_t, link::kBlockSize> block{};
    memory_.readBlock(address, block.data());
    if (spoil) {
        block.back() ^= 0xFF;
    }
    for (std::size_t part = 0; part < link::kReportsPerBlock; ++part) {
        Report report{};
        std::copy_n(block.begin() + part * link::kReportSize, link::kReportSize, report.begin());
        if (!answer(connection, report,
                    commandAt + latency * static_cast<std::chrono::milliseconds::rep>(part + 1))) {
            return false;
        }
    }
    return true;
}

bool ReportServer::acknowledge(Connection& connection, bool badAck) {
    const auto commandAt = std::chrono::steady_clock::now();
    std::chrono::milliseconds latency;
    {
        std::lock_guard lock(mutex_);
        latency = latency_;
    }
    Report ack = link::kAckReport;
    if (badAck) {
        ack.back() = 0x00;
    }
    return answer(connection, ack, commandAt + latency);
}

}  // namespace nimbra::emulator
