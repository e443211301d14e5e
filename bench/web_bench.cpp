// Figures for the web server over a decade of five-minute records (a million rows): a year
// of history at 2000 points, and what 50 browsers polling the live reading every second
// cost the server.
// Usage: web_bench [folder]   (default: a fresh folder under $TMPDIR, removed afterwards)
#include <httplib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <thread>
#include <vector>

#include "bench/bench_folder.h"
#include "bench/figure.h"
#include "bench/generated_history.h"
#include "config/string_table.h"
#include "store/weather_db.h"
#include "web/web_server.h"

namespace {

using namespace nimbra;
using Clock = std::chrono::steady_clock;

constexpr int kRecords = 1'000'000;
constexpr int kClients = 50;
constexpr auto kPollingTime = std::chrono::seconds(10);
const double kFirstTime = OleDate::fromCivil(2016, 1, 1).value();

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool fill(const std::filesystem::path& database) {
    CWeatherDb db;
    if (db.Connect(database) != 0) {
        return false;
    }
    Transaction transaction(db);
    for (int i = 0; i < kRecords; ++i) {
        if (db.InsertRecord(nimbra::bench::generatedRecord(i, kFirstTime)) != 0) {
            return false;
        }
    }
    return db.WriteParam(ParamBlock{}) == 0 && transaction.commit() == 0;
}

double processCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double threadCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    const bench::BenchFolder benchFolder(argc, argv, "web_bench");
    if (!benchFolder.ok()) {
        return 1;
    }
    const std::filesystem::path& folder = benchFolder.path();
    const std::filesystem::path database = folder / "Nimbra7420.db";
    if (!std::filesystem::exists(database) && !fill(database)) {
        std::fprintf(stderr, "web_bench: cannot fill %s\n", database.c_str());
        return 1;
    }

    CStationData live;
    live.m_Current = nimbra::bench::generatedRecord(kRecords - 1, kFirstTime);
    WebServer server(WebSources{[&live] { return live; }, database,
                                [](int id) { return "text " + std::to_string(id); }});
    std::string error;
    if (!server.start("127.0.0.1", 0, error)) {
        std::fprintf(stderr, "web_bench: %s\n", error.c_str());
        return 1;
    }

    // The fifth year of the ten, every field, as the page's year button asks for it.
    std::vector<double> times;
    std::vector<double> cpuTimes;
    std::size_t bytes = 0;
    for (int run = 0; run < 5; ++run) {
        httplib::Client client("127.0.0.1", server.port());
        const auto started = Clock::now();
        const double cpuStart = processCpuSeconds();
        const auto reply = client.Get("/api/history?from=2020-01-01&to=2021-01-01&points=2000");
        times.push_back(millisecondsSince(started));
        cpuTimes.push_back((processCpuSeconds() - cpuStart) * 1000.0);
        if (!reply || reply->status != 200) {
            std::fprintf(stderr, "web_bench: the year was not served\n");
            return 1;
        }
        bytes = reply->body.size();
    }
    std::sort(times.begin(), times.end());
    std::sort(cpuTimes.begin(), cpuTimes.end());
    // On a busy machine the wall time waits for the CPU; the CPU time says what it costs.
    std::printf(
        "/api/history, one year at 2000 points: %.1f ms (median of 5; %.1f ms of CPU), "
        "%zu bytes\n",
        times[2], cpuTimes[2], bytes);
    nimbra::bench::reportFigure("Web: one year of history at 2000 points", "< 300 ms", times[2],
                                "ms", 300.0);

    // The clients' own work is taken off the process's: what remains is the server's.
    std::atomic<double> clientCpu{0.0};
    std::atomic<int> served{0}, failed{0};
    const double cpuBefore = processCpuSeconds();
    const auto started = Clock::now();
    std::vector<std::thread> clients;
    for (int i = 0; i < kClients; ++i) {
        clients.emplace_back([&, i] {
            const double cpuStart = threadCpuSeconds();
            httplib::Client client("127.0.0.1", server.port());
            auto next = started + std::chrono::milliseconds(i * 1000 / kClients);
            while (next < started + kPollingTime) {
                std::this_thread::sleep_until(next);
                const auto reply = client.Get("/api/current");
                ++(reply && reply->status == 200 ? served : failed);
                next += std::chrono::seconds(1);
            }
            double total = clientCpu.load();
            const double mine = threadCpuSeconds() - cpuStart;
            while (!clientCpu.compare_exchange_weak(total, total + mine)) {
            }
        });
    }
    for (std::thread& client : clients) {
        client.join();
    }
    const double wall = millisecondsSince(started) / 1000.0;
    const double serverCpu = processCpuSeconds() - cpuBefore - clientCpu.load();
    const double share = 100.0 * serverCpu / wall;
    std::printf(
        "%d clients polling /api/current every second for %.0f s: %d served, %d failed, "
        "server %.3f s of CPU = %.2f %% of one core\n",
        kClients, wall, served.load(), failed.load(), serverCpu, share);
    nimbra::bench::reportFigure("Web: 50 clients polling the live reading every second",
                                "< 5 % core", share, "%", 5.0);

    server.stop();
    return failed.load() == 0 ? 0 : 1;
}
