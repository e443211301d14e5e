#pragma once

#include <array>
#include <bitset>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/history_record.h"
#include "core/ole_date.h"
#include "core/station_data.h"
#include "emulator/image_file.h"
#include "emulator/rain_totals.h"
#include "emulator/station_clock.h"
#include "emulator/station_memory.h"
#include "emulator/weather_generator.h"
#include "station/memory_map.h"

namespace nimbra::emulator {

struct StationModelOptions {
    std::uint32_t seed = 1;
    // Complete history records already stored, besides the one being filled; more than
    // the ring holds wrap it.
    int records = 0;
    int intervalMinutes = 30;
    // Station minutes per real minute; 0 or less stops the clock, which then moves only
    // through advanceMinutes.
    double speed = 1.0;
    // The ring has gone round at least once: `records` counts from where it wrapped.
    bool wrapped = false;
    // The station clock when the model is created; the local time now if not given. The
    // weather depends on the time of day, so a reproducible model needs one.
    std::optional<CivilTime> startTime;
    // The rain gauge's counter when the model is created.
    std::int32_t rainCounter = 0;
    // Where the steady clock is read; tests may substitute their own.
    std::function<std::chrono::steady_clock::time_point()> steadyNow;
    // Keep a log of every record the console completes, from the first one it stores, so
    // that what a reader stored can be checked against what the station produced.
    bool logCompletedRecords = false;
    // How long the console takes to clear the commit byte once it has taken a change;
    // zero clears it as the commit is written.
    std::chrono::milliseconds commitDelay{0};
    // Which console: 20-byte records with light and UV, or 16-byte ones without.
    StationKind kind = StationKind::records20;
};

// A history record as it stood when the console moved on to the next one.
struct CompletedRecord {
    std::uint64_t number = 0;  // 1 for the first record the console completed
    std::uint16_t address = 0;
    StationKind kind = StationKind::records20;
    std::array<std::uint8_t, memory_map::kMaxRecordSize> bytes{};  // the first record() hold it
    // Spoiled on purpose afterwards through corruptRecord.
    bool corrupted = false;

    std::span<const std::uint8_t> record() const {
        return {bytes.data(), static_cast<std::size_t>(recordSizeOf(kind))};
    }
};

enum class RecordCorruption {
    kInvalidInterval,  // a minutes byte of 0
    kOutOfRange,       // indoor humidity 0 %, indoor 99.9 °C, pressure 0 hPa
};

// A station console in software: its full 64 KiB memory laid out as the real one, kept
// up to date by a console clock that may run faster than real time. Every station
// minute the record being filled takes the latest sensor readings and the maxima and
// minima follow them; every interval a new record is started, the ring wrapping after
// its last record. As on a real console, the record being filled counts its minutes
// 0 to interval - 1: right after a record closes, the new one shows 0. Writes land in
// memory at once, and the console acts on changed settings when the PC writes the
// commit byte, as the real console does, and clears that byte once it has.
// The clock is brought up to date on every access, block reads and writes included.
// Every public member may be called from any thread.
class StationModel : public StationMemory {
public:
    explicit StationModel(const StationModelOptions& options = {});

    void readBlock(std::uint16_t address, std::uint8_t* out) override;
    void writeBlock(std::uint16_t address, const std::uint8_t* data) override;
    void writeByte(std::uint16_t address, std::uint8_t value) override;

    // Runs the console clock forward by whole minutes, whatever the speed.
    void advanceMinutes(int minutes);
    CivilTime stationTime();

    // The console this model is; a loaded image may make it the other one.
    StationKind kind();

    // A copy of the whole memory as it stands.
    std::array<std::uint8_t, memory_map::kMemorySize> image();
    // Replaces the memory with a saved one and continues from its pointers, interval,
    // readings and rain counter, on this model's own clock (the memory holds none). The
    // image tells which console it is from; one that could be either stays this model's
    // kind. On failure nothing changes.
    ImageStatus loadImage(const std::string& path);
    ImageStatus saveImage(const std::string& path);
    // The console's running rain sums, which its memory does not hold: kept with a saved
    // image so that a restored console goes on counting where it was.
    RainTotals rainTotals();
    void setRainTotals(const RainTotals& totals);

    // The log kept when the options asked for it, oldest first, from entry `first` on;
    // empty when no log is kept.
    std::vector<CompletedRecord> completedRecords(std::size_t first = 0);

    // Faults for testing what reads the station.
    // Spoils the `age`-th newest complete record (1 = the one before the record being
    // filled); false if the station holds no such record.
    bool corruptRecord(int age, RecordCorruption corruption);
    // Stores records until the ring has run past its end and the record being filled
    // lies before where it was, with the count at its ceiling.
    void wrapRing();
    // Clears the history as the console's memory-clear does: the record pointer goes
    // back to the start of the ring.
    void clearHistory();
    // The outdoor sensors fall silent for the coming `minutes` station minutes.
    void loseOutdoorContact(int minutes);
    // A console that moves its record pointer first and then writes the last minute of
    // the record it closes, byte by byte over `duration`: a read in that time sees the
    // bytes written so far new and the rest as they were. A write never outlasts the
    // station minute it began in. Zero writes at once again.
    void setTornWrites(std::chrono::milliseconds duration);
    // The fixed block reads back with this record pointer and record count, whatever the
    // console holds: a console whose memory was spoiled. Unset reads its own again.
    void setReportedStatus(std::optional<std::uint16_t> pointer,
                           std::optional<std::uint16_t> count);

private:
    using Clock = std::chrono::steady_clock;

    Clock::time_point steadyNow() const;
    void catchUpLocked();
    void stepMinuteLocked();
    void startNextRecordLocked();
    void writeCurrentRecordLocked();
    void updateExtremesLocked(const HistoryRecord& reading);
    void writeStatusLocked(float absPressure);
    void mergeFixedBlockLocked(const std::array<std::uint8_t, memory_map::kFixedBlockSize>& block);
    void applyWriteLocked(std::uint16_t address, std::uint8_t value);
    void commitLocked();
    void clearCommitWhenDueLocked();
    void clearHistoryLocked();
    void writeFactorySettingsLocked(double absPressure);
    std::array<std::uint8_t, memory_map::kFixedBlockSize> fixedBlockLocked() const;
    std::uint8_t* currentRecordLocked() { return &m_memory[m_currentPos]; }
    const memory_map::RingLayout& ringLocked() const { return memory_map::ringLayout(m_kind); }
    int recordSizeLocked() const { return recordSizeOf(m_kind); }
    void showUnwrittenBytesLocked(std::uint16_t address, std::uint8_t* out);
    void showReportedStatusLocked(std::uint16_t address, std::uint8_t* out) const;

    // A record the console is still writing: memory already holds `written`, reads see
    // `before` for the bytes it has not reached yet.
    struct RecordWrite {
        std::uint16_t address = 0;
        std::array<std::uint8_t, memory_map::kMaxRecordSize> before{};
        Clock::time_point start;
    };

    std::mutex m_mutex;
    std::array<std::uint8_t, memory_map::kMemorySize> m_memory{};
    // Fixed-block bytes the PC has written since its last commit. The console leaves them
    // alone until the commit, so its own updates cannot undo a half-written change.
    std::bitset<memory_map::kFixedBlockSize> m_pendingWrites;

    std::function<Clock::time_point()> m_steadyNow;
    double m_speed;
    Clock::time_point m_lastTick;

    StationClock m_clock;
    WeatherGenerator m_weather;
    RainTotals m_rain;
    std::int32_t m_rainCounter;
    WeatherSample m_sample;
    // The fixed block decoded, reused every minute rather than built afresh.
    CStationData m_console;

    StationKind m_kind;
    int m_interval;
    std::uint16_t m_currentPos = memory_map::kRingStart;
    int m_count = 1;            // records stored, the one being filled included
    int m_minutesInRecord = 0;  // minutes the record being filled covers so far
    std::uint64_t m_recordsStarted = 0;
    bool m_logCompleted;
    std::vector<CompletedRecord> m_completed;
    float m_pressureOffset;  // relative minus absolute pressure, set by the user

    Clock::duration m_recordWriteTime{};  // zero: records are written at once
    // The record being filled as it was before its latest update.
    std::array<std::uint8_t, memory_map::kMaxRecordSize> m_recordBeforeUpdate{};
    std::optional<RecordWrite> m_recordWrite;

    std::optional<std::uint16_t> m_reportedPointer;
    std::optional<std::uint16_t> m_reportedCount;

    Clock::duration m_commitDelay;
    std::optional<Clock::time_point> m_commitClearAt;  // set while a commit is being taken
};

}  // namespace nimbra::emulator
