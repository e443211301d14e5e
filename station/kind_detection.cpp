#include "station/kind_detection.h"

#include <algorithm>
#include <optional>

#include "core/byte_order.h"
#include "station/memory_map.h"
#include "station/record_codec.h"

namespace nimbra {

namespace {

namespace map = memory_map;

constexpr int kRecordsCompared = 6;

struct RecordEvidence {
    int valid = 0;          // of the compared records, those that decode as valid
    int atTheInterval = 0;  // valid and spanning the station's interval setting
};

RecordEvidence evidenceOf(StationKind kind, DetectionWindow window, int records, int interval) {
    RecordEvidence evidence;
    const int size = recordSizeOf(kind);
    for (int age = 1; age <= records; ++age) {
        const DecodedRecord decoded = decodeHistoryRecord(
            recordBytesOf(window.data() + kDetectionWindow - age * size, kind), 0.0f);
        if (decoded.valid) {
            ++evidence.valid;
            evidence.atTheInterval += decoded.record.Interval == interval ? 1 : 0;
        }
    }
    return evidence;
}

// How well the records read as those of a kind: a point for each valid record and one
// more for each of them at the interval setting.
int scoreOf(const RecordEvidence& e) {
    return e.valid + e.atTheInterval;
}

std::optional<StationKind> recordsTell(DetectionWindow window, int records, int interval) {
    const RecordEvidence e20 = evidenceOf(StationKind::records20, window, records, interval);
    const RecordEvidence e16 = evidenceOf(StationKind::records16, window, records, interval);
    const bool mostly20 = 2 * e20.valid > records;
    const bool mostly16 = 2 * e16.valid > records;
    if (mostly20 && scoreOf(e20) > scoreOf(e16)) {
        return StationKind::records20;
    }
    if (mostly16 && scoreOf(e16) > scoreOf(e20)) {
        return StationKind::records16;
    }
    return std::nullopt;
}

}  // namespace

KindDetection detectStationKind(FixedBlockBytes block, DetectionWindow ringBefore) {
    const int pointer = loadLe16(&block[map::fixed::kCurrentPos]);
    const int count = loadLe16(&block[map::fixed::kDataCount]);
    const auto fits = [&](StationKind kind) {
        const map::RingLayout& ring = map::ringLayout(kind);
        return ring.isRecordAddress(pointer) && count <= ring.records;
    };
    const bool fits20 = fits(StationKind::records20);
    const bool fits16 = fits(StationKind::records16);
    if (!fits20 && !fits16) {
        return {KindDetection::Outcome::neither, StationKind::records20};
    }
    const int records = std::min(kRecordsCompared, count - 1);
    if (records < 1) {
        if (fits20 != fits16) {
            return {KindDetection::Outcome::decided,
                    fits20 ? StationKind::records20 : StationKind::records16};
        }
        const bool noSolarSensor = block[map::fixed::kLightCoefficient] == 0;
        return {KindDetection::Outcome::decided,
                noSolarSensor ? StationKind::records16 : StationKind::records20};
    }
    const auto told = recordsTell(ringBefore, records, block[map::fixed::kInterval]);
    if (fits20 != fits16) {
        // Records that read as the other kind's contradict the pointer or the count: one
        // of them is spoiled, and which cannot be told.
        const StationKind fitting = fits20 ? StationKind::records20 : StationKind::records16;
        if (told && *told != fitting) {
            return {KindDetection::Outcome::ambiguous, fitting};
        }
        return {KindDetection::Outcome::decided, fitting};
    }
    if (told) {
        return {KindDetection::Outcome::decided, *told};
    }
    return {KindDetection::Outcome::ambiguous, StationKind::records20};
}

std::array<std::uint8_t, kDetectionWindow> detectionWindowOf(
    std::span<const std::uint8_t, map::kMemorySize> memory, int pointer) {
    std::array<std::uint8_t, kDetectionWindow> window{};
    // Both rings hold the same bytes, 256 to the end of memory.
    const int ringBytes = map::kRing20.ringBytes();
    for (int i = 0; i < kDetectionWindow; ++i) {
        int address = pointer - kDetectionWindow + i;
        if (address < map::kRingStart) {
            address += ringBytes;
        }
        window[static_cast<std::size_t>(i)] = memory[static_cast<std::size_t>(address)];
    }
    return window;
}

}  // namespace nimbra
