#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "emulator/station_memory.h"
#include "station_link/report_protocol.h"
#include "station_link/unique_fd.h"

namespace nimbra::emulator {

// Faults of the link itself, switched on and off while the server runs.
struct LinkFaults {
    // The station is gone: nothing listens at the socket and open connections are cut.
    bool unplugged = false;
    // The station stops answering once this many reports have arrived since the faults
    // were set; it still takes reports in but neither acts on them nor replies.
    std::optional<std::uint64_t> silentAfter;
    // Writes are carried out but acknowledged with seven 0xA5 bytes and one 0x00.
    bool badAck = false;
    // Every second block read comes back with its last byte inverted, so two reads of the
    // same block never agree while the first byte of each stays true.
    bool flakyReads = false;
    // Reports that pass untouched before the faults above take effect (silentAfter keeps
    // its own count): a fault that strikes in the middle of an exchange.
    std::uint64_t afterReports = 0;
};

// Reports through the server since it started, both ways.
struct ReportCounts {
    std::uint64_t received = 0;
    std::uint64_t sent = 0;
};

// Answers the station's report protocol from a StationMemory, on a Unix sequenced-packet
// socket with one 8-byte report per message, on a thread of its own. Several clients
// may connect; each connection runs its own exchanges.
class ReportServer {
public:
    // Listens at the path; a stale socket left there is replaced. Throws
    // std::system_error when the socket cannot be set up.
    ReportServer(StationMemory& memory, std::filesystem::path socketPath);

    // Listens in a fresh private folder under $TMPDIR (or /tmp), removed again with the
    // server: for tests and benchmarks that run the emulator in process.
    static std::unique_ptr<ReportServer> inTemporaryFolder(StationMemory& memory);

    ~ReportServer();
    ReportServer(const ReportServer&) = delete;
    ReportServer& operator=(const ReportServer&) = delete;

    const std::filesystem::path& socketPath() const { return socketPath_; }

    // Takes effect before it returns: a client acting afterwards sees the new faults.
    // `onTrigger` runs once on the serving thread just before the report the faults
    // first apply to is handled, so that a change to the station itself can strike at a
    // chosen report; it must not call back into the server.
    void setFaults(const LinkFaults& faults, std::function<void()> onTrigger = {});
    LinkFaults faults() const;

    // Each answer report goes out `latency` after the one before it, the first `latency`
    // after the command: a low-speed USB console answers one report per interrupt
    // interval (10 ms). Zero answers at once.
    void setReportLatency(std::chrono::milliseconds latency);
    ReportCounts reportCounts() const;

    // Keeps a copy of every report received while on, for tests of the bytes on the wire.
    void setRecording(bool on);
    std::vector<link::Report> receivedReports() const;
    void clearReceivedReports();

private:
    struct Connection;

    void serve();
    void applyPlugState(bool unplugged);
    void listen();
    void acceptClient();
    bool receiveFrom(Connection& connection);
    bool handle(Connection& connection, const link::Report& report);
    bool answerRead(Connection& connection, std::uint16_t address, bool spoil);
    bool acknowledge(Connection& connection, bool badAck);
    bool answer(Connection& connection, const link::Report& report,
                std::chrono::steady_clock::time_point due);
    void wake();

    StationMemory& memory_;
    const std::filesystem::path socketPath_;
    std::filesystem::path ownedFolder_;

    // Owned by the serving thread once it runs.
    link::UniqueFd listener_;
    std::vector<Connection> connections_;

    link::UniqueFd wakeEvent_;

    mutable std::mutex mutex_;
    std::condition_variable applied_;
    LinkFaults faults_;                      // guarded by mutex_
    std::uint64_t reportsSinceFaults_ = 0;   // guarded by mutex_
    std::function<void()> onTrigger_;        // guarded by mutex_
    bool unpluggedNow_ = false;              // guarded by mutex_
    std::uint64_t flakyBlockReads_ = 0;      // guarded by mutex_
    std::uint64_t requestedGeneration_ = 0;  // guarded by mutex_
    std::uint64_t appliedGeneration_ = 0;    // guarded by mutex_
    bool stopping_ = false;                  // guarded by mutex_
    bool recording_ = false;                 // guarded by mutex_
    std::vector<link::Report> received_;     // guarded by mutex_
    std::chrono::milliseconds latency_{0};   // guarded by mutex_
    std::atomic<std::uint64_t> reportsReceived_{0};
    std::atomic<std::uint64_t> reportsSent_{0};

    std::thread thread_;
};

}  // namespace nimbra::emulator
