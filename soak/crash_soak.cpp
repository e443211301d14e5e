#include "soak/crash_soak.h"

#include <signal.h>
#include <stdlib.h>

#include <chrono>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "emulator/image_file.h"
#include "soak/child_process.h"
#include "soak/scratch_files.h"
#include "soak/station_reader.h"
#include "soak/station_records.h"
#include "soak/store_snapshot.h"

namespace nimbra::soak {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;
namespace fs = std::filesystem;

constexpr char kDatabaseName[] = "Nimbra7420.db";
constexpr char kLockName[] = "QX7420.lock";
constexpr char kConnectedLine[] = "USB Connected";
constexpr char kReadingLine[] = "Data Reading:";
constexpr char kCompleteLine[] = "Complete";

// How long a start may take to reach the station's history before it counts as failed.
constexpr auto kStartLimit = std::chrono::seconds(20);
constexpr auto kOnceLimit = std::chrono::minutes(3);
// Every fifth run or so begins on an empty data folder, so full downloads get killed too.
constexpr int kFreshFolderOdds = 5;

// How a kill is aimed; where it lands is judged afterwards.
enum class Aim {
    starting,  // a random moment of the first second or so
    reading,   // a random moment after the first record is read
    commit,    // as soon as the store's log is written
    late,      // a random moment later in the pass, or after it
};
// The short moments (a small download, a commit) are aimed at more often than the long.
constexpr Aim kAims[] = {Aim::starting, Aim::reading, Aim::reading,
                         Aim::commit,   Aim::commit,  Aim::late};

class Soak {
public:
    Soak(const SoakOptions& options, std::uint32_t seed, std::FILE* log, const fs::path& work)
        : m_options(options),
          m_seed(seed),
          m_random(seed),
          m_log(log),
          m_work(work),
          m_tmp(work / "tmp"),
          m_runtime(work / "runtime"),
          m_socket(work / "station.sock"),
          m_image(work / "station.img") {}

    bool startStation();
    void killOnce(int kill);
    void finish();
    SoakFigures& figures() { return m_figures; }

private:
    std::vector<std::string> environment() const {
        return {"NIMBRA_STATION_SOCKET=" + m_socket.native(), "TMPDIR=" + m_tmp.native(),
                "XDG_RUNTIME_DIR=" + m_runtime.native(), "NIMBRA_LOCK_DIR=" + m_runtime.native()};
    }
    std::optional<ChildProcess> startLogger(bool once);
    int randomBetween(int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(m_random);
    }
    void newFolder(int kill);
    // What one run of the logger showed before it was killed.
    struct Run {
        bool passStarted = false;    // it had read the first record of a download
        bool passCompleted = false;  // and finished that download
        bool logWritten = false;     // the store's log was written once the station was found
        bool failed = false;         // it did not start, ended by itself or never downloaded
        milliseconds elapsed{0};
    };
    Run runUntilKilled(Aim aim, bool full, const fs::path& database);
    Landing judge(const Run& run, const StoreSnapshot& after) const;
    void check(const StoreSnapshot& after, const char* when);
    void compareWithRing(const StoreSnapshot& after, const char* when);

    const SoakOptions& m_options;
    std::uint32_t m_seed;
    std::mt19937 m_random;
    std::FILE* m_log;
    fs::path m_work;
    fs::path m_tmp;
    fs::path m_runtime;
    fs::path m_socket;
    fs::path m_image;
    std::optional<ChildProcess> m_station;

    fs::path m_folder;
    StoreSnapshot m_stored;  // the store as the last check found it
    SoakFigures m_figures;
};

bool Soak::startStation() {
    ::setenv("NIMBRA_STATION_SOCKET", m_socket.c_str(), 1);  // for the soak's own reads
    fs::create_directories(m_tmp);
    fs::create_directories(m_runtime);
    std::string error;
    m_station = ChildProcess::start(
        m_options.emulator.native(),
        {"--socket", m_socket.native(), "--records", std::to_string(m_options.records),
         "--interval", "1", "--speed", std::to_string(m_options.speed), "--seed",
         std::to_string(m_seed), "--save-image", m_image.native()},
        {}, error);
    if (!m_station) {
        std::fprintf(m_log, "cannot start the station emulator: %s\n", error.c_str());
        return false;
    }
    const auto line = m_station->readLine(milliseconds(10000));
    if (!line || !line->starts_with("nimbra-station-emulator listening")) {
        std::fprintf(m_log, "the station emulator did not start\n");
        return false;
    }
    return true;
}

std::optional<ChildProcess> Soak::startLogger(bool once) {
    std::vector<std::string> arguments{"--headless", "--language", "English", "--data-dir",
                                       m_folder.native()};
    if (once) {
        arguments.push_back("--once");
    }
    std::string error;
    auto logger = ChildProcess::start(m_options.program.native(), arguments, environment(), error);
    if (!logger) {
        std::fprintf(m_log, "cannot start the logger: %s\n", error.c_str());
    }
    return logger;
}

void Soak::newFolder(int kill) {
    m_folder = m_work / ("data-" + std::to_string(kill));
    m_stored = StoreSnapshot{};
    ++m_figures.freshFolders;
}

Landing Soak::judge(const Run& run, const StoreSnapshot& after) const {
    if (!run.passStarted) {
        return Landing::beforeDownload;
    }
    if (after.rows.size() > m_stored.rows.size() || run.passCompleted) {
        return Landing::afterCommit;
    }
    if (run.logWritten) {
        return Landing::commit;
    }
    return m_stored.rows.empty() ? Landing::fullDownload : Landing::incrementalDownload;
}

// The checks after every kill: a sound store that kept every row the last check found
// and holds none twice, a free lock, no temporary files.
void Soak::check(const StoreSnapshot& after, const char* when) {
    if (after.exists && !after.sound) {
        ++m_figures.integrityFailures;
        std::fprintf(m_log, "  %s: the store is not sound: %s\n", when, after.problem.c_str());
    }
    const std::int64_t lost = countLost(m_stored.rows, after.rows);
    const std::int64_t doubled =
        std::max<std::int64_t>(0, countDoubled(after.rows) - countDoubled(m_stored.rows));
    if (lost != 0 || doubled != 0) {
        std::fprintf(m_log, "  %s: %lld committed rows lost, %lld doubled\n", when,
                     static_cast<long long>(lost), static_cast<long long>(doubled));
    }
    m_figures.lost += lost;
    m_figures.doubled += doubled;
    if (const auto bare = after.withoutRainTotals - m_stored.withoutRainTotals; bare > 0) {
        m_figures.withoutRainTotals += bare;
        std::fprintf(m_log, "  %s: %lld rows stored without their rain totals\n", when,
                     static_cast<long long>(bare));
    }
    if (!lockIsFree(m_runtime / kLockName)) {
        ++m_figures.locksHeld;
        std::fprintf(m_log, "  %s: the single-instance lock is still held\n", when);
    }
    if (const int left = takeLeftoverTempFiles(m_tmp); left != 0) {
        m_figures.leftoverTempFiles += left;
        std::fprintf(m_log, "  %s: %d temporary record files left behind\n", when, left);
    }
    if (after.sound) {
        m_stored = after;
    }
}

// The store against the station's ring as it stands: every record up to the last
// committed download stored once and in order. Rows of history the ring has since
// overwritten were compared by the checks before.
void Soak::compareWithRing(const StoreSnapshot& after, const char* when) {
    if (!after.sound || !after.lastPoint) {
        return;
    }
    StationImage image{};
    if (!readStationMemory(image)) {
        std::fprintf(m_log, "  %s: cannot read the station\n", when);
        ++m_figures.ringChecksFailed;
        return;
    }
    const StationComparison c =
        compareWithStation(stationRecords(image, *after.lastPoint), after.rows);
    ++m_figures.ringChecks;
    if (c.missing + c.doubled + c.outOfOrder + c.foreign != 0) {
        ++m_figures.ringChecksFailed;
        std::fprintf(m_log,
                     "  %s: against the station: %lld missing, %lld doubled, %lld out of order, "
                     "%lld never held\n",
                     when, static_cast<long long>(c.missing), static_cast<long long>(c.doubled),
                     static_cast<long long>(c.outOfOrder), static_cast<long long>(c.foreign));
    }
}

// Runs the logger until the moment `aim` picks, then kills it.
Soak::Run Soak::runUntilKilled(Aim aim, bool full, const fs::path& database) {
    Run run;
    auto logger = startLogger(false);
    if (!logger) {
        run.failed = true;
        return run;
    }
    const auto started = Clock::now();
    std::optional<Clock::time_point> killAt;
    if (aim == Aim::starting) {
        killAt = started + milliseconds(randomBetween(0, 1200));
    }
    // Nothing writes the log from the store's opening (done before the station is looked
    // for) until a download commits.
    LogStamp beforeCommit = logStamp(database);
    bool connected = false;
    for (;;) {
        if (auto line = logger->readLine(milliseconds(1))) {
            if (!run.passStarted && *line == kConnectedLine) {
                connected = true;
                beforeCommit = logStamp(database);
            } else if (!run.passStarted && line->starts_with(kReadingLine)) {
                run.passStarted = true;
                if (aim == Aim::reading) {
                    killAt = Clock::now() + milliseconds(randomBetween(0, full ? 120 : 2));
                } else if (aim == Aim::late) {
                    killAt = Clock::now() + milliseconds(randomBetween(0, full ? 400 : 80));
                }
            } else if (run.passStarted && *line == kCompleteLine) {
                run.passCompleted = true;
                killAt = killAt.value_or(Clock::now());
            }
        }
        if (aim == Aim::commit && connected && !killAt && logStamp(database) != beforeCommit) {
            killAt = Clock::now() + milliseconds(randomBetween(0, 1));
        }
        if (killAt && Clock::now() >= *killAt) {
            break;
        }
        if (logger->poll()) {
            run.failed = true;
            std::fprintf(m_log, "  the logger ended by itself (%s)\n",
                         logger->status()->text().c_str());
            break;
        }
        if (Clock::now() - started > kStartLimit) {
            run.failed = true;
            std::fprintf(m_log, "  no download within %lld s\n",
                         static_cast<long long>(kStartLimit.count()));
            break;
        }
    }
    logger->signal(SIGKILL);
    logger->wait(milliseconds(10000));
    run.logWritten = logStamp(database) != beforeCommit;
    run.elapsed = std::chrono::duration_cast<milliseconds>(Clock::now() - started);
    return run;
}

void Soak::killOnce(int kill) {
    // The last quarter keeps its folder, so that the final comparison covers a store
    // built by several killed and resumed downloads.
    const bool late = kill >= m_options.kills * 3 / 4;
    if (kill == 0 || (!late && randomBetween(1, kFreshFolderOdds) == 1)) {
        newFolder(kill);
    }
    const fs::path database = m_folder / kDatabaseName;
    const Aim aim = kAims[randomBetween(0, static_cast<int>(std::size(kAims)) - 1)];
    const Run run = runUntilKilled(aim, m_stored.rows.empty(), database);
    m_figures.failedRestarts += run.failed ? 1 : 0;

    const StoreSnapshot after = readStore(database);
    const Landing landing = judge(run, after);
    ++m_figures.landed[static_cast<std::size_t>(landing)];
    ++m_figures.kills;
    static constexpr const char* kAimNames[] = {"starting", "reading", "commit", "late"};
    static constexpr const char* kLandingNames[] = {
        "before the download", "full download", "incremental download", "commit", "after a commit"};
    std::fprintf(m_log, "kill %d: %s, aimed %s, after %lld ms, landed: %s, rows %zu -> %zu\n",
                 kill + 1, m_folder.filename().c_str(), kAimNames[static_cast<int>(aim)],
                 static_cast<long long>(run.elapsed.count()),
                 kLandingNames[static_cast<std::size_t>(landing)], m_stored.rows.size(),
                 after.rows.size());
    const std::string when = "kill " + std::to_string(kill + 1);
    check(after, when.c_str());
    compareWithRing(after, when.c_str());
}

void Soak::finish() {
    auto logger = startLogger(true);
    m_figures.failedRestarts += logger ? 0 : 1;
    if (logger) {
        const auto started = Clock::now();
        while (!logger->poll() && Clock::now() - started < kOnceLimit) {
            logger->readLine(milliseconds(100));
        }
        logger->signal(SIGKILL);
        logger->wait(milliseconds(10000));
        const auto status = logger->status();
        if (!status || status->signalled || status->code != 0) {
            ++m_figures.failedRestarts;
            std::fprintf(m_log, "  the final download failed (%s)\n",
                         status ? status->text().c_str() : "did not end");
        }
    }
    const StoreSnapshot after = readStore(m_folder / kDatabaseName);
    check(after, "final download");
    m_figures.recordsStored = static_cast<std::int64_t>(after.rows.size());

    // The emulator saves its memory as it stops.
    m_station->signal(SIGTERM);
    m_station->wait(milliseconds(10000));
    StationImage image{};
    const auto read = emulator::readImageFile(m_image.native(), image);
    if (!read || !after.lastPoint) {
        std::fprintf(m_log, "cannot compare with the station: %s\n",
                     read ? "the store holds no download" : read.error.c_str());
        ++m_figures.integrityFailures;
        return;
    }
    const auto station = stationRecords(image, *after.lastPoint);
    const StationComparison comparison = compareWithStation(station, after.rows);
    m_figures.stationRecords = static_cast<std::int64_t>(station.size());
    m_figures.lost += comparison.missing;
    m_figures.doubled += comparison.doubled;
    m_figures.outOfOrder += comparison.outOfOrder;
    m_figures.foreign += comparison.foreign;
    m_figures.timeStepsBack = comparison.timeStepsBack;
}

}  // namespace

SoakFigures runCrashSoak(const SoakOptions& options, std::uint32_t seed, std::FILE* log,
                         bool& setupFailed) {
    const auto started = Clock::now();
    WorkDir work(options.workDir);
    setupFailed = !work.ok();
    if (setupFailed) {
        std::fprintf(log, "cannot make a work folder\n");
        return {};
    }
    Soak soak(options, seed, log, work.path());
    setupFailed = !soak.startStation();
    if (setupFailed) {
        return soak.figures();
    }
    for (int kill = 0; kill < options.kills; ++kill) {
        soak.killOnce(kill);
    }
    soak.finish();
    SoakFigures figures = soak.figures();
    figures.elapsedSeconds = std::chrono::duration<double>(Clock::now() - started).count();
    if (!figures.clean()) {
        work.keep();
        std::fprintf(log, "work folder kept: %s\n", work.path().c_str());
    }
    return figures;
}

}  // namespace nimbra::soak
