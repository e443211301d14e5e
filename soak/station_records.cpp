#include "soak/station_records.h"

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <set>
#include <span>

#include "core/station_data.h"
#include "station/fixed_block.h"
#include "station/kind_detection.h"
#include "station/record_codec.h"

namespace nimbra::soak {

namespace {

// Where the first station record was stored: the row equal to it nearest to where it
// belongs when the rows end with the station's records; `expected` when none is.
std::size_t firstRecordRow(const Readings& first, const std::vector<StoredRow>& rows,
                           std::size_t expected) {
    std::optional<std::size_t> nearest;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const auto distance = [expected](std::size_t at) {
            return at > expected ? at - expected : expected - at;
        };
        if (rows[i].readings == first && (!nearest || distance(i) < distance(*nearest))) {
            nearest = i;
        }
    }
    return nearest.value_or(expected);
}

std::optional<std::size_t> findUnmatched(const Readings& wanted, const std::vector<StoredRow>& rows,
                                         const std::vector<bool>& matched, std::size_t from,
                                         std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
        if (!matched[i] && rows[i].readings == wanted) {
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace

std::vector<Readings> stationRecords(const StationImage& image, int upTo) {
    CStationData station;
    decodeFixedBlock(FixedBlockBytes(image.data(), memory_map::kFixedBlockSize), station);
    const float pressureOffset = relativePressureOffset(station);
    const StationKind kind =
        detectStationKind(FixedBlockBytes(image.data(), memory_map::kFixedBlockSize),
                          detectionWindowOf(image, station.m_CurrentPos))
            .kind;
    const memory_map::RingLayout& ring = memory_map::ringLayout(kind);

    const int complete = std::clamp(station.m_DataCount - 1, 0, ring.records - 1);
    const int oldest = ring.stepRecords(station.m_CurrentPos, -complete);
    const int count = std::min(ring.recordsFromTo(oldest, upTo), complete);

    std::vector<Readings> records;
    for (int i = 0; i < count; ++i) {
        const int address = ring.stepRecords(oldest, i);
        const DecodedRecord decoded =
            decodeHistoryRecord(recordBytesOf(image.data() + address, kind), pressureOffset);
        if (decoded.valid) {
            records.push_back(readingsOf(decoded.record));
        }
    }
    return records;
}

StationComparison compareWithStation(const std::vector<Readings>& station,
                                     const std::vector<StoredRow>& rows) {
    StationComparison result;
    if (station.empty()) {
        return result;
    }
    const std::size_t expected = rows.size() > station.size() ? rows.size() - station.size() : 0;
    const std::size_t begin = firstRecordRow(station.front(), rows, expected);

    std::vector<bool> matched(rows.size(), false);
    std::optional<std::size_t> previous;
    std::size_t next = begin;
    for (const Readings& record : station) {
        auto at = findUnmatched(record, rows, matched, next, rows.size());
        if (!at) {
            at = findUnmatched(record, rows, matched, begin, next);
            result.outOfOrder += at ? 1 : 0;
        }
        if (!at) {
            ++result.missing;
            continue;
        }
        matched[*at] = true;
        if (previous && rows[*at].time <= rows[*previous].time) {
            ++result.timeStepsBack;
        }
        previous = at;
        next = std::max(next, *at + 1);
    }

    const std::set<Readings> held(station.begin(), station.end());
    for (std::size_t i = std::min(begin, rows.size()); i < rows.size(); ++i) {
        if (!matched[i]) {
            ++(held.contains(rows[i].readings) ? result.doubled : result.foreign);
        }
    }
    return result;
}

}  // namespace nimbra::soak
