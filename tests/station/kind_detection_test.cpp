#include "station/kind_detection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <vector>

#include "core/byte_order.h"
#include "core/history_record.h"
#include "station/record_codec.h"

namespace nimbra {
namespace {

namespace fx = memory_map::fixed;
using Window = std::array<std::uint8_t, kDetectionWindow>;
using Outcome = KindDetection::Outcome;

constexpr int kInterval = 5;

std::array<std::uint8_t, memory_map::kFixedBlockSize> fixedBlock(int pointer, int count,
                                                                 std::uint8_t lightCoefficient) {
    std::array<std::uint8_t, memory_map::kFixedBlockSize> block{};
    block[fx::kInterval] = kInterval;
    storeLe16(&block[fx::kDataCount], static_cast<std::uint16_t>(count));
    storeLe16(&block[fx::kCurrentPos], static_cast<std::uint16_t>(pointer));
    block[fx::kLightCoefficient] = lightCoefficient;
    return block;
}

// The newest records of a console of `kind` as they lie before its pointer; those whose
// age is in `spoiled` have an interval of 0.
Window recordsOf(StationKind kind, std::vector<int> spoiled = {}) {
    Window window;
    window.fill(0xFF);
    HistoryRecord r;
    r.Interval = kInterval;
    r.InHumi = 45;
    r.InTemp = 21.5f;
    r.OutHumi = 80;
    r.OutTemp = -3.2f;
    r.AbsPressure = 1013.2f;
    r.Wind = 3.4f;
    r.Gust = 7.9f;
    r.WindDirection = 5;
    r.Rcount = 1234;
    r.Light = 25000.5f;
    r.UV = 3;
    const int size = recordSizeOf(kind);
    for (int age = 1; age * size <= kDetectionWindow; ++age) {
        std::uint8_t* at = window.data() + kDetectionWindow - age * size;
        encodeHistoryRecord(r, OutdoorSensor::inContact, recordBytesOf(at, kind));
        if (std::find(spoiled.begin(), spoiled.end(), age) != spoiled.end()) {
            at[memory_map::record::kInterval] = 0;
        }
    }
    return window;
}

TEST(KindDetection, TellsTheConsoleFromItsPointerCountLightCoefficientAndRecords) {
    constexpr auto k16 = StationKind::records16;
    constexpr auto k20 = StationKind::records20;
    struct Case {
        const char* what;
        int pointer, count;
        std::uint8_t lightCoefficient;
        Window before;
        Outcome outcome;
        StationKind kind;
    };
    const Window zeros{};
    const Case cases[] = {
        {"20-byte pointer only", 356, 6, 0, recordsOf(k20), Outcome::decided, k20},
        {"either pointer, 20-byte records", 336, 5, 0, recordsOf(k20), Outcome::decided, k20},
        {"16-byte pointer only", 304, 4, 10, recordsOf(k16), Outcome::decided, k16},
        {"either pointer, 16-byte records", 336, 6, 10, recordsOf(k16), Outcome::decided, k16},
        {"more records than a 20-byte ring holds", 336, 4000, 10, recordsOf(k16), Outcome::decided,
         k16},
        {"a spoiled record among 20-byte ones", 336, 3264, 0, recordsOf(k20, {2}), Outcome::decided,
         k20},
        {"no complete record, no light coefficient", 256, 1, 0, zeros, Outcome::decided, k16},
        {"no complete record, a light coefficient", 256, 1, 10, zeros, Outcome::decided, k20},
        {"either pointer, no record reads as either", 336, 5, 10, zeros, Outcome::ambiguous, k20},
        {"16-byte pointer, 20-byte records", 304, 40, 10, recordsOf(k20), Outcome::ambiguous, k16},
        {"no console's pointer", 300, 5, 10, recordsOf(k20), Outcome::neither, k20},
        {"more records than either ring holds", 336, 4081, 10, recordsOf(k16), Outcome::neither,
         k20},
    };
    for (const Case& c : cases) {
        const auto block = fixedBlock(c.pointer, c.count, c.lightCoefficient);
        const KindDetection detection = detectStationKind(block, c.before);
        EXPECT_EQ(detection.outcome, c.outcome) << c.what;
        if (c.outcome != Outcome::neither) {
            EXPECT_EQ(detection.kind, c.kind) << c.what;
        }
    }
}

TEST(KindDetection, TheWindowGoesOnFromTheEndOfMemoryBeforeTheRingStart) {
    std::vector<std::uint8_t> memory(memory_map::kMemorySize);
    for (std::size_t i = 0; i < memory.size(); ++i) {
        memory[i] = static_cast<std::uint8_t>(i * 7);
    }
    const auto window =
        detectionWindowOf(std::span<const std::uint8_t, memory_map::kMemorySize>(memory), 288);
    EXPECT_EQ(window.front(), memory[memory_map::kMemorySize - (kDetectionWindow - 32)]);
    EXPECT_EQ(window[kDetectionWindow - 33], memory.back());
    EXPECT_EQ(window[kDetectionWindow - 32], memory[256]);
    EXPECT_EQ(window.back(), memory[287]);
}

}  // namespace
}  // namespace nimbra
