#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/history_record.h"
#include "emulator/station_model.h"
#include "station/memory_map.h"

namespace nimbra::soak {

// What the station produced, set against what the store holds.
//
// Every record the console completes is logged with its bytes. A logged record is
// expected in the store when the station still held it (inside its record count behind
// the pointer, bytes unchanged) the first time an acquisition could read the pointer
// after the record was completed; a record the console had already dropped by then
// (a history clear, or the ring running over it) cannot be expected. A record spoiled on
// purpose is not expected either: its true bytes may be stored if they were read before
// the spoiling, its spoiled bytes never.
class RecordLedger {
public:
    using Image = std::array<std::uint8_t, memory_map::kMemorySize>;

    // Decides, for every logged record not yet decided, whether the station holds it in
    // `image`. `log` is the station's whole log so far, oldest first.
    void decide(const std::vector<emulator::CompletedRecord>& log, const Image& image);
    // After the acquisition that followed the last decide: a record the station wrote
    // over during that run could not be read, and is no longer expected.
    void dropOverwritten(const std::vector<emulator::CompletedRecord>& log, const Image& image);

    struct Figures {
        std::int64_t produced = 0;   // records the console completed
        std::int64_t dropped = 0;    // dropped by the station before they could be read
        std::int64_t corrupted = 0;  // spoiled on purpose
        std::int64_t expected = 0;
        std::int64_t stored = 0;
        std::int64_t lost = 0;               // expected but not stored
        std::int64_t doubled = 0;            // stored once more than once
        std::int64_t outOfOrder = 0;         // stored at a time before a record produced earlier
        std::int64_t unknown = 0;            // stored but never produced in these bytes
        std::int64_t unexpectedButTrue = 0;  // true records stored beyond what was expected
        std::vector<std::string> examples;   // the first few faults, for a reader
    };

    // Compares the store's records, in the order of their times, with the log.
    Figures compare(const std::vector<emulator::CompletedRecord>& log,
                    const std::vector<HistoryRecord>& storedInTimeOrder) const;

private:
    enum class Verdict : std::uint8_t { expected, dropped };
    std::vector<Verdict> m_verdicts;  // one per logged record decided so far
    std::size_t m_lastDecided = 0;    // the first record the last decide decided
};

}  // namespace nimbra::soak
