#include "soak/fault_soak.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <random>
#include <stdexcept>
#include <system_error>

#include "acquisition/acquisition.h"
#include "core/byte_order.h"
#include "emulator/report_server.h"
#include "emulator/station_model.h"
#include "station/download_plan.h"
#include "station/station_writes.h"
#include "station_link/station_link.h"
#include "store/weather_db.h"

namespace nimbra::soak {

namespace {

namespace map = memory_map;
namespace fx = memory_map::fixed;

// Reads of the fixed block (eight blocks, each read twice) and of the current record
// (twice) before a download starts, then two blocks read twice for every three records.
constexpr int kReportsBeforeDownload = 18;
constexpr int kReportsPerWindow = 4;
const CivilTime kStart{2024, 3, 1, 0, 0, 0};
// How long the console takes to write a record it closes, in the torn-write rounds.
constexpr std::chrono::milliseconds kRecordWriteTime{40};

class QuietEvents : public ViewEvents {
public:
    void send(ViewEvent) override {}
    void progress(const DownloadProgress&) override {}
};

int uniform(std::mt19937& random, int low, int high) {
    return std::uniform_int_distribution<int>(low, std::max(low, high))(random);
}

struct Pointer {
    int position = map::kRingStart;
    int count = 1;
};

Pointer pointerOf(const RecordLedger::Image& image) {
    return {loadLe16(&image[fx::kCurrentPos]), loadLe16(&image[fx::kDataCount])};
}

// A folder of its own for the store, removed at the end unless it is to be kept.
class StoreFolder {
public:
    explicit StoreFolder(const std::filesystem::path& keepIn) : m_keep(!keepIn.empty()) {
        if (m_keep) {
            m_path = keepIn;
            std::filesystem::create_directories(m_path);
            return;
        }
        const char* base = std::getenv("TMPDIR");
        std::string pattern = std::string(base != nullptr && *base != '\0' ? base : "/tmp") +
                              "/nimbra-fault-soak-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::system_error(errno, std::generic_category(), "mkdtemp " + pattern);
        }
        m_path = pattern;
    }
    ~StoreFolder() {
        if (!m_keep) {
            std::error_code ignored;
            std::filesystem::remove_all(m_path, ignored);
        }
    }
    StoreFolder(const StoreFolder&) = delete;
    StoreFolder& operator=(const StoreFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    bool m_keep;
    std::filesystem::path m_path;
};

// SQLite's own verdict on the file, read through a connection of its own.
std::string integrityOf(const std::filesystem::path& file) {
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open_v2(file.c_str(), &raw, SQLITE_OPEN_READONLY, nullptr);
    const std::unique_ptr<sqlite3, decltype(&sqlite3_close)> db(raw, &sqlite3_close);
    if (opened != SQLITE_OK) {
        return std::string("cannot open: ") + sqlite3_errstr(opened);
    }
    std::string verdict;
    const auto collect = [](void* out, int columns, char** values, char**) {
        auto& text = *static_cast<std::string*>(out);
        for (int i = 0; i < columns; ++i) {
            text += (text.empty() ? "" : "; ") + std::string(values[i] ? values[i] : "NULL");
        }
        return 0;
    };
    if (sqlite3_exec(db.get(), "PRAGMA integrity_check", collect, &verdict, nullptr) != SQLITE_OK) {
        return std::string("check failed: ") + sqlite3_errmsg(db.get());
    }
    return verdict;
}

class Soak {
public:
    Soak(const SoakOptions& options, std::ostream& progress)
        : m_options(options),
          m_progress(progress),
          m_random(options.seed),
          m_model(modelOptions(options)),
          m_server(emulator::ReportServer::inTemporaryFolder(m_model)),
          m_link(link::StationLink::atSocket(m_server->socketPath())),
          m_folder(options.keepIn) {
        if (const link::LinkResult found = m_link.open(); !found.ok()) {
            throw std::runtime_error("the emulated station cannot be reached: " + found.describe());
        }
        if (m_db.Connect(m_folder.path() / "Nimbra7420.db") != 0) {
            throw std::runtime_error("the store cannot be created in " + m_folder.path().native());
        }
    }

    Soak(const Soak&) = delete;
    Soak& operator=(const Soak&) = delete;

    SoakResult run() {
        const auto start = std::chrono::steady_clock::now();
        m_result.rounds = m_options.rounds;
        for (int number = 1; number <= m_options.rounds; ++number) {
            round(number);
        }
        // Read afresh: records may have been marked as spoiled since they were first read.
        m_result.records = m_ledger.compare(m_model.completedRecords(), storedInTimeOrder());
        m_result.integrity = integrityOf(m_folder.path() / "Nimbra7420.db");
        m_result.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return m_result;
    }

private:
    static emulator::StationModelOptions modelOptions(const SoakOptions& options) {
        emulator::StationModelOptions model;
        model.seed = options.seed;
        model.records = options.initialRecords;
        model.intervalMinutes = options.intervalMinutes;
        model.kind = options.kind;
        model.speed = 0.0;  // the clock moves only when the soak moves it
        model.startTime = kStart;
        model.logCompletedRecords = true;
        return model;
    }

    WriteByteFunction stationWriter() {
        return [this](int address, unsigned char value) {
            return m_link.writeByte(address, value).ok() ? 1 : 0;
        };
    }

    int acquire() {
        AcquisitionContext context{m_link,
                                   m_db,
                                   m_events,
                                   [](const CStationData&) {},
                                   {},
                                   [this] { return OleDate::fromCivil(m_model.stationTime()); },
                                   nullptr,
                                   std::nullopt,
                                   &m_detectedKind};
        return RunAcquisition(m_data, context).ok() ? 1 : 0;
    }

    // Brings the ledger's verdicts up to the station as it stands. The log is kept here
    // for its bytes and addresses, which never change once logged.
    void decide() {
        const auto fresh = m_model.completedRecords(m_log.size());
        m_log.insert(m_log.end(), fresh.begin(), fresh.end());
        m_ledger.decide(m_log, m_model.image());
    }

    DownloadPlan plannedDownload() {
        const Pointer pointer = pointerOf(m_model.image());
        return PlanDownload(memory_map::ringLayout(m_model.kind()), pointer.position,
                            m_data.LastPoint, pointer.count);
    }

    // The settings as the station holds them, so that writing them changes nothing.
    CStationData settingsToWrite() const {
        CStationData settings = m_data;
        settings.m_PrevInTempUnit = settings.InTempUnit;
        settings.m_PrevOutTempUnit = settings.OutTempUnit;
        settings.m_PrevRainUnit = settings.RainUnit;
        settings.m_PrevPressureUnit = settings.PressureUnit;
        settings.m_PrevWindUnit = settings.WindUnit;
        settings.m_PrevLightUnit = settings.LightUnit;
        return settings;
    }

    // Leaves the pointer a few records short of the end of memory.
    int positionNearTheEnd() {
        const Pointer pointer = pointerOf(m_model.image());
        const map::RingLayout& ring = map::ringLayout(m_model.kind());
        const int target = ring.records - uniform(m_random, 1, 3);
        const int steps = ring.recordsFromTo(pointer.position, ring.recordAddress(target));
        m_model.advanceMinutes(steps * m_options.intervalMinutes);
        return ring.records - target;
    }

    void round(int number) {
        const FaultKind kind = m_deck.draw(m_random);
        const auto k = static_cast<std::size_t>(kind);
        ++m_result.faults[k];
        m_model.advanceMinutes(uniform(m_random, 1, 12 * m_options.intervalMinutes));
        const int recordsToTheEnd = kind == FaultKind::ringWrap ? positionNearTheEnd() : 0;

        const DownloadPlan plan = plannedDownload();
        CStationData settings = settingsToWrite();
        const int reports =
            kind == FaultKind::badAck
                ? static_cast<int>(PlanSettingsWrite(settings).size())
                : kReportsBeforeDownload + kReportsPerWindow * ((plan.count + 2) / 3);
        const auto at = static_cast<std::uint64_t>(uniform(m_random, 0, reports - 1));

        emulator::LinkFaults faults;
        faults.afterReports = at;
        std::function<void()> stationFault;
        std::string detail;
        switch (kind) {
            case FaultKind::unplug:
                faults.unplugged = true;
                break;
            case FaultKind::silence:
                faults.silentAfter = at;
                break;
            case FaultKind::badAck:
                faults.badAck = true;
                break;
            case FaultKind::flakyReads:
                faults.flakyReads = true;
                break;
            case FaultKind::corruptRecord: {
                const int age = uniform(m_random, 1, std::max(1, plan.count - 1));
                const auto corruption = uniform(m_random, 0, 1) == 0
                                            ? emulator::RecordCorruption::kInvalidInterval
                                            : emulator::RecordCorruption::kOutOfRange;
                stationFault = [this, age, corruption] { m_model.corruptRecord(age, corruption); };
                detail = " (the record " + std::to_string(age) + " before the one being filled)";
                break;
            }
            case FaultKind::historyCleared:
                stationFault = [this] { m_model.clearHistory(); };
                break;
            case FaultKind::ringWrap: {
                const int minutes =
                    (recordsToTheEnd + uniform(m_random, 0, 2)) * m_options.intervalMinutes;
                stationFault = [this, minutes] { m_model.advanceMinutes(minutes); };
                detail = " (" + std::to_string(minutes / m_options.intervalMinutes) +
                         " new records from " + std::to_string(recordsToTheEnd) +
                         " short of the end)";
                break;
            }
            case FaultKind::tornWrite: {
                const int minutes = uniform(m_random, 1, 3) * m_options.intervalMinutes;
                m_model.setTornWrites(kRecordWriteTime);
                stationFault = [this, minutes] { m_model.advanceMinutes(minutes); };
                detail =
                    " (" + std::to_string(minutes / m_options.intervalMinutes) + " records closed)";
                break;
            }
        }

        // A station fault that strikes before block 0 has been read twice alike changes
        // the station before the program could read its pointer. One that moves the
        // station's clock on strikes just before the run instead: the run reads its own
        // clock first, which on a real console cannot fall minutes behind the station's.
        const bool movesClock = kind == FaultKind::ringWrap || kind == FaultKind::tornWrite;
        std::atomic<bool> struck{false};
        if (movesClock && at <= 1) {
            stationFault();
            stationFault = nullptr;
            struck = true;
        }
        const bool strikesBeforeFirstRead = changesStation(kind) && at <= 1 && !movesClock;
        if (!strikesBeforeFirstRead) {
            decide();
        }
        m_link.open();
        m_server->setFaults(faults, [&struck, stationFault] {
            if (stationFault) {
                stationFault();
            }
            struck = true;
        });
        bool faultyOk = true;
        if (kind == FaultKind::badAck) {
            faultyOk = WriteSettings(settings, stationWriter()) == 1;
        }
        faultyOk = acquire() == 1 && faultyOk;
        if (strikesBeforeFirstRead) {
            decide();
        } else {
            m_ledger.dropOverwritten(m_log, m_model.image());
        }

        m_server->setFaults(emulator::LinkFaults{});
        if (struck) {
            ++m_result.struck[k];
        }
        if (!faultyOk) {
            ++m_result.failedUnderFault[k];
        }
        m_link.open();
        bool cleanOk = true;
        if (kind == FaultKind::badAck) {
            CStationData again = settingsToWrite();
            cleanOk = WriteSettings(again, stationWriter()) == 1;
        }
        decide();
        cleanOk = acquire() == 1 && cleanOk;
        m_model.setTornWrites(std::chrono::milliseconds::zero());
        if (!cleanOk) {
            ++m_result.cleanFailures;
        }
        if (m_options.verbose || !cleanOk) {
            m_progress << "round " << number << ": " << faultName(kind) << detail << " after " << at
                       << " of ~" << reports << " reports" << (struck ? "" : " (never struck)")
                       << (faultyOk ? ", run completed" : ", run failed")
                       << (cleanOk ? ", clean run completed" : ", CLEAN RUN FAILED")
                       << "; records produced so far " << m_log.size() << '\n';
        }
    }

    std::vector<HistoryRecord> storedInTimeOrder() {
        std::vector<HistoryRecord> records;
        RecordCursor cursor;
        if (m_db.OpenAllRecords(cursor) != 0) {
            throw std::runtime_error("the store's records cannot be read");
        }
        for (; !cursor.atEnd(); cursor.moveNext()) {
            HistoryRecord record;
            cursor.ExchangeRecord(record, ExchangeDirection::read);
            records.push_back(record);
        }
        std::stable_sort(records.begin(), records.end(),
                         [](const auto& a, const auto& b) { return a.Time < b.Time; });
        return records;
    }

    const SoakOptions m_options;
    std::ostream& m_progress;
    std::mt19937 m_random;
    FaultDeck m_deck;
    emulator::StationModel m_model;
    std::unique_ptr<emulator::ReportServer> m_server;
    link::StationLink m_link;  // the soak's own, at the emulator's socket
    StoreFolder m_folder;
    CWeatherDb m_db;
    QuietEvents m_events;
    CStationData m_data;
    // Detected once, as the monitor keeps it while the station stays connected.
    std::atomic<int> m_detectedKind{kKindUnknown};
    std::vector<emulator::CompletedRecord> m_log;
    RecordLedger m_ledger;
    SoakResult m_result;
};

}  // namespace

SoakResult runSoak(const SoakOptions& options, std::ostream& progress) {
    return Soak(options, progress).run();
}

}  // namespace nimbra::soak
