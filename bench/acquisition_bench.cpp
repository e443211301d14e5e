// Figures for downloading a station's full history ring and for the idle monitor.
// Usage: acquisition_bench
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <thread>
#include <vector>

#include "acquisition/acquisition.h"
#include "acquisition/station_monitor.h"
#include "bench/figure.h"
#include "bench/full_ring.h"
#include "bench/generated_history.h"
#include "emulator/report_server.h"
#include "emulator/station_model.h"
#include "station_link/exported_link.h"

namespace {

using namespace nimbra;
using Clock = std::chrono::steady_clock;

constexpr int kStoredRecords = 1'000'000;

class SilentEvents : public ViewEvents {
public:
    void send(ViewEvent) override {}
    void progress(const DownloadProgress&) override {}
};

double secondsOfCpu() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// An emulated station with a full ring, served to the link in this process.
struct EmulatedRing {
    EmulatedRing()
        : model(std::make_unique<emulator::StationModel>(bench::fullRingOptions())),
          server(emulator::ReportServer::inTemporaryFolder(*model)) {
        setenv("NIMBRA_STATION_SOCKET", server->socketPath().c_str(), 1);
        link.open();
    }
    std::unique_ptr<emulator::StationModel> model;
    std::unique_ptr<emulator::ReportServer> server;
    link::ExportedLink link;  // the program's own way to the station, through the exports
};

constexpr int kPeriodicPasses = 7;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// One acquisition run on `data` into `db`; returns the seconds it took, and in
// `cpuSeconds` the processor time the run's own thread spent.
double acquire(link::StationConnection& station, CWeatherDb& db, CStationData& data,
               emulator::StationModel& model, int& stored, double* cpuSeconds = nullptr) {
    SilentEvents events;
    AcquisitionContext context{
        station, db,
        events,  [](const CStationData&) {},
        [] {},   [&model] { return OleDate::fromCivil(model.stationTime()); }};
    const double cpuStart = threadCpuSeconds();
    const auto start = Clock::now();
    const bool completed = RunAcquisition(data, context).ok();
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (cpuSeconds != nullptr) {
        *cpuSeconds = threadCpuSeconds() - cpuStart;
    }
    stored = completed ? data.m_StoredCount : -1;
    return seconds;
}

void printRow(const char* figure, const char* target, double value, const char* unit, bool met) {
    std::printf("%-58s %-10s %10.3f %-4s %s\n", figure, target, value, unit,
                met ? "pass" : "short");
}

}  // namespace

int main() {
    const auto folder =
        std::filesystem::temp_directory_path() / ("acquisition-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    std::printf("%-58s %-10s %10s\n", "figure", "target", "measured");

    {
        CWeatherDb empty;
        empty.Connect(folder / "empty.db");
        EmulatedRing ring;
        CStationData data;
        int stored = 0;
        const double seconds = acquire(ring.link, empty, data, *ring.model, stored);
        std::printf("  (%d records stored)\n", stored);
        printRow("full ring downloaded and stored with rain totals, empty store", "< 1 s", seconds,
                 "s", seconds < 1.0 && stored == 3263);
        bench::reportFigure("full ring (3264 records) downloaded and stored, empty store", "< 1 s",
                            stored == 3263 ? seconds : 1e9, "s", 1.0);
    }
    {
        CWeatherDb big;
        big.Connect(folder / "big.db");
        // Ten years of history before the station's records.
        const double firstTime =
            OleDate::fromCivil(2026, 1, 1).value() - kStoredRecords * (5.0 / 1440.0);
        {
            Transaction transaction(big);
            for (int i = 0; i < kStoredRecords; ++i) {
                big.InsertRecord(bench::generatedRecord(i, firstTime));
            }
            transaction.commit();
        }
        EmulatedRing ring;
        CStationData data;
        int stored = 0;
        const double seconds = acquire(ring.link, big, data, *ring.model, stored);
        std::printf("  (%d records stored)\n", stored);
        printRow("the same into a store of 1,000,000 records", "< 1 s", seconds, "s",
                 seconds < 1.0 && stored == 3263);
        bench::reportFigure("the same into a store of 1,000,000 records", "< 1 s",
                            stored == 3263 ? seconds : 1e9, "s", 1.0);

        // The periodic pass once a record has been added since: the median of several,
        // as the first after the full download also folds its log back into the file.
        // The processor time is the pass's own work.
        std::vector<double> passTimes;
        std::vector<double> passCpuTimes;
        for (int pass = 0; pass < kPeriodicPasses; ++pass) {
            ring.model->advanceMinutes(5);
            double cpu = 0.0;
            passTimes.push_back(acquire(ring.link, big, data, *ring.model, stored, &cpu));
            passCpuTimes.push_back(cpu);
            if (stored != 1) {
                break;
            }
        }
        const double periodic = median(passTimes);
        const double periodicCpu = median(passCpuTimes);
        std::printf("  (%d records stored by the last pass)\n", stored);
        printRow("periodic pass with one new record, store of 1,000,000", "< 20 ms", periodic * 1e3,
                 "ms", periodic < 0.02 && stored == 1);
        bench::reportFigure("periodic pass with one new record, store of 1,000,000", "< 20 ms",
                            stored == 1 ? periodic * 1e3 : 1e9, "ms", 20.0);
        printRow("  its processor time", "< 20 ms", periodicCpu * 1e3, "ms",
                 periodicCpu < 0.02 && stored == 1);
        bench::reportFigure("periodic pass with one new record, processor time", "< 20 ms",
                            stored == 1 ? periodicCpu * 1e3 : 1e9, "ms", 20.0);

        // The monitor with the station connected and nothing new to read.
        LiveStation live;
        SilentEvents events;
        std::atomic<int> passes{0};
        StationMonitor::Hooks hooks;
        hooks.uploadCurrent = [&passes] { ++passes; };
        hooks.now = [&ring] { return OleDate::fromCivil(ring.model->stationTime()); };
        StationMonitor monitor(ring.link, live, big, events, hooks);
        monitor.start();
        while (passes == 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        const double cpuBefore = secondsOfCpu();
        const auto wallBefore = Clock::now();
        std::this_thread::sleep_for(std::chrono::seconds(20));
        const double cpu = secondsOfCpu() - cpuBefore;
        const double wall = std::chrono::duration<double>(Clock::now() - wallBefore).count();
        monitor.stop();
        const double percent = cpu / wall * 100.0;
        printRow("monitor connected and idle, CPU of one core (with the emulator)", "< 1 %",
                 percent, "%", percent < 1.0);
    }
    std::filesystem::remove_all(folder);
    return 0;
}
