// What an owner waits for: a full history ring (3264 records) downloaded into an empty
// store from an emulated station that answers as a low-speed USB console does, one
// report per 10 ms interrupt interval. The wall time is held against its floor, the
// reports the station answered times the latency, and the block reads against the
// records stored: every read costs four intervals, so reading little more than the
// ring itself is what keeps the download short.
// Usage: download_bench

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "acquisition/acquisition.h"
#include "bench/figure.h"
#include "bench/full_ring.h"
#include "emulator/report_server.h"
#include "emulator/station_model.h"
#include "station_link/exported_link.h"
#include "station_link/report_protocol.h"

namespace {

using namespace nimbra;
using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kReportLatency{10};

class SilentEvents : public ViewEvents {
public:
    void send(ViewEvent) override {}
    void progress(const DownloadProgress&) override {}
};

}  // namespace

int main() {
    const auto folder =
        std::filesystem::temp_directory_path() / ("download-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    CWeatherDb db;
    if (db.Connect(folder / "Nimbra7420.db") != 0) {
        std::fprintf(stderr, "download_bench: cannot create the store\n");
        return 1;
    }

    emulator::StationModel model(bench::fullRingOptions());
    const auto server = emulator::ReportServer::inTemporaryFolder(model);
    server->setReportLatency(kReportLatency);
    setenv("NIMBRA_STATION_SOCKET", server->socketPath().c_str(), 1);
    link::ExportedLink station;  // the program's own way to the station
    if (!station.open().ok()) {
        std::fprintf(stderr, "download_bench: the emulator is not reachable\n");
        return 1;
    }
    server->setRecording(true);

    SilentEvents events;
    CStationData data;
    AcquisitionContext context{
        station, db,
        events,  [](const CStationData&) {},
        [] {},   [&model] { return OleDate::fromCivil(model.stationTime()); }};
    const emulator::ReportCounts before = server->reportCounts();
    const auto start = Clock::now();
    const bool completed = RunAcquisition(data, context).ok();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    const emulator::ReportCounts after = server->reportCounts();

    int blockReads = 0;
    for (const link::Report& report : server->receivedReports()) {
        blockReads += report[0] == link::kReadBlockCommand ? 1 : 0;
    }
    const int stored = completed ? data.m_StoredCount : 0;
    const auto answered = static_cast<double>(after.sent - before.sent);
    const double floor = answered * std::chrono::duration<double>(kReportLatency).count();
    const double overFloor = floor > 0.0 ? seconds / floor : 1e9;
    const double readsPerRecord = stored > 0 ? static_cast<double>(blockReads) / stored : 1e9;

    std::printf("full ring at %lld ms per answered report: %d records stored\n",
                static_cast<long long>(kReportLatency.count()), stored);
    std::printf("  reports: %llu received, %llu answered; %d block reads\n",
                static_cast<unsigned long long>(after.received - before.received),
                static_cast<unsigned long long>(after.sent - before.sent), blockReads);
    std::printf("  wall time %.2f s, floor %.2f s (answered reports x %lld ms): %.3f of it\n",
                seconds, floor, static_cast<long long>(kReportLatency.count()), overFloor);
    std::printf("  block reads per record stored: %.4f\n", readsPerRecord);

    const bool whole = stored == 3263;
    bench::reportFigure("full ring at 10 ms report latency: wall time over its floor", "< 1.05",
                        whole ? overFloor : 1e9, "x", 1.05);
    bench::reportFigure("full ring at 10 ms report latency: block reads per record stored",
                        "<= 1.26", whole ? readsPerRecord : 1e9, "", 1.2601);
    std::filesystem::remove_all(folder);
    return whole ? 0 : 1;
}
