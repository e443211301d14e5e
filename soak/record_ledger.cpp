#include "soak/record_ledger.h"

#include <algorithm>
#include <map>
#include <span>
#include <tuple>

#include "core/byte_order.h"
#include "station/record_codec.h"

namespace nimbra::soak {

namespace {

namespace map = memory_map;

constexpr std::size_t kMostExamples = 8;

// Everything of the station's bytes that a stored record gives back; the time, the rain
// and the derived values are the program's own, and the rain counter is never read back.
using Readings = std::tuple<int, float, int, float, int, float, float, float, int, float, int>;

Readings readingsOf(const HistoryRecord& r) {
    return {r.Interval, r.InTemp, r.InHumi,        r.OutTemp, r.OutHumi, r.AbsPressure,
            r.Wind,     r.Gust,   r.WindDirection, r.Light,   r.UV};
}

Readings readingsOf(const emulator::CompletedRecord& logged) {
    return readingsOf(decodeHistoryRecord(logged.record(), 0.0f).record);
}

// Whether the station, as `image` shows it, still holds the record among those counted
// behind its pointer.
bool holds(const RecordLedger::Image& image, const emulator::CompletedRecord& record) {
    const std::uint16_t pointer = loadLe16(&image[map::fixed::kCurrentPos]);
    const int count = loadLe16(&image[map::fixed::kDataCount]);
    const map::RingLayout& ring = map::ringLayout(record.kind);
    if (!ring.isRecordAddress(pointer) || !ring.isRecordAddress(record.address)) {
        return false;
    }
    const int behind = ring.recordsFromTo(record.address, pointer);
    return behind >= 1 && behind < count &&
           std::ranges::equal(record.record(),
                              std::span(&image[record.address], record.record().size()));
}

std::string describe(const char* what, const emulator::CompletedRecord& record) {
    return std::string(what) + ": record " + std::to_string(record.number) + " at address " +
           std::to_string(record.address);
}

}  // namespace

void RecordLedger::decide(const std::vector<emulator::CompletedRecord>& log, const Image& image) {
    m_lastDecided = m_verdicts.size();
    // While the record being filled counts minute 0, the newest complete record may still
    // be half written and an acquisition leaves it to the next: it is decided then, and
    // is not expected when the station no longer holds it by that time.
    const std::uint16_t pointer = loadLe16(&image[map::fixed::kCurrentPos]);
    std::size_t decidable = log.size();
    if (decidable > m_verdicts.size() && image[pointer] == 0 &&
        map::ringLayout(log.back().kind).isRecordAddress(pointer) &&
        log.back().address == map::ringLayout(log.back().kind).stepRecords(pointer, -1)) {
        --decidable;
    }
    for (std::size_t i = m_verdicts.size(); i < decidable; ++i) {
        m_verdicts.push_back(holds(image, log[i]) ? Verdict::expected : Verdict::dropped);
    }
}

void RecordLedger::dropOverwritten(const std::vector<emulator::CompletedRecord>& log,
                                   const Image& image) {
    for (std::size_t i = m_lastDecided; i < m_verdicts.size(); ++i) {
        const emulator::CompletedRecord& record = log[i];
        if (!std::ranges::equal(record.record(),
                                std::span(&image[record.address], record.record().size()))) {
            m_verdicts[i] = Verdict::dropped;
        }
    }
}

RecordLedger::Figures RecordLedger::compare(
    const std::vector<emulator::CompletedRecord>& log,
    const std::vector<HistoryRecord>& storedInTimeOrder) const {
    Figures f;
    f.produced = static_cast<std::int64_t>(log.size());
    f.stored = static_cast<std::int64_t>(storedInTimeOrder.size());
    const auto note = [&f](std::string text) {
        if (f.examples.size() < kMostExamples) {
            f.examples.push_back(std::move(text));
        }
    };

    // Records with equal readings are told apart by their order of production.
    std::map<Readings, std::vector<std::size_t>> byReadings;
    for (std::size_t i = 0; i < log.size(); ++i) {
        byReadings[readingsOf(log[i])].push_back(i);
    }
    std::vector<int> timesStored(log.size(), 0);
    std::size_t latestMatched = 0;
    bool anyMatched = false;
    for (const HistoryRecord& stored : storedInTimeOrder) {
        const auto found = byReadings.find(readingsOf(stored));
        if (found == byReadings.end()) {
            ++f.unknown;
            note("stored but never produced: a record of " + std::to_string(stored.Interval) +
                 " minutes at OLE time " + std::to_string(stored.Time));
            continue;
        }
        // Equal readings (a calm night without the outdoor sensor) are common: the record
        // taken is the first one not yet stored that follows the one stored before it.
        // A record spoiled on purpose is taken only when no other fits: it was stored only
        // if it was read before it was spoiled, while a neighbour with the same readings
        // is stored as a matter of course.
        const std::vector<std::size_t>& candidates = found->second;
        const auto unstored = [&](std::size_t i) { return timesStored[i] == 0; };
        const auto following = [&](std::size_t i) { return !anyMatched || i > latestMatched; };
        const auto intact = [&](std::size_t i) { return !log[i].corrupted; };
        auto fresh = std::find_if(candidates.begin(), candidates.end(), [&](std::size_t i) {
            return unstored(i) && following(i) && intact(i);
        });
        if (fresh == candidates.end()) {
            fresh = std::find_if(candidates.begin(), candidates.end(),
                                 [&](std::size_t i) { return unstored(i) && following(i); });
        }
        if (fresh == candidates.end()) {
            fresh = std::find_if(candidates.begin(), candidates.end(), unstored);
        }
        const std::size_t index = fresh != candidates.end() ? *fresh : candidates.front();
        if (++timesStored[index] > 1) {
            ++f.doubled;
            note(describe("stored twice", log[index]));
        }
        if (anyMatched && index < latestMatched) {
            ++f.outOfOrder;
            note(describe("out of order", log[index]));
        }
        latestMatched = std::max(latestMatched, index);
        anyMatched = true;
    }

    for (std::size_t i = 0; i < log.size(); ++i) {
        const bool decided = i < m_verdicts.size();
        if (log[i].corrupted) {
            ++f.corrupted;
        } else if (decided && m_verdicts[i] == Verdict::dropped) {
            ++f.dropped;
        } else if (decided) {
            ++f.expected;
            if (timesStored[i] == 0) {
                ++f.lost;
                note(describe("lost", log[i]));
            }
            continue;
        }
        if (timesStored[i] > 0 && !log[i].corrupted) {
            ++f.unexpectedButTrue;
        }
    }
    return f;
}

}  // namespace nimbra::soak
