#include "station/download_plan.h"

#include <gtest/gtest.h>

namespace nimbra {
namespace {

using memory_map::kRing16;
using memory_map::kRing20;

TEST(DownloadPlan, ChoosesTheRecordsToRead) {
    struct Case {
        const char* what;
        memory_map::RingLayout ring;
        int currentPos, lastPoint, dataCount;
        int start, count;
        bool reanchor;
        bool lapped = false;
    };
    const Case cases[] = {
        {"first run, ring not yet wrapped: the phantom window past the end is read first", kRing20,
         256 + 20 * 10, 256, 11, 65536, 11, false},
        {"first run on a wrapped ring starts after the record being filled", kRing20, 2256, 256,
         3264, 2276, 3264, false},
        {"nothing new since the last run", kRing20, 1000, 1000, 40, 1000, 1, false},
        {"three new records since the last run", kRing20, 1060, 1000, 43, 1000, 4, false},
        {"the station holds fewer records than the gap: only those are read", kRing20, 5256, 256,
         10, 5076, 10, false},
        {"memory cleared: everything from the ring start, re-anchored", kRing20, 356, 5000, 6, 256,
         6, true},
        {"pointer went back past more records than the station holds", kRing20, 2256, 5000, 10,
         2076, 10, true},
        {"a full ring's pointer went round the end: on from the last position", kRing20, 296, 65476,
         3264, 65476, 6, false},
        {"a full ring's pointer just reached the ring start: the last record is new", kRing20, 256,
         65516, 3264, 65516, 2, false},
        {"round the end past more records than a wrapped station holds", kRing20, 456, 60000, 50,
         64756, 50, false},
        {"lapped: a full lap brought the pointer back to where it was", kRing20, 1000, 1000, 3264,
         1020, 3264, true, true},
        {"lapped by two records more than the ring: everything from the oldest", kRing20, 1040,
         1000, 3264, 1060, 3264, true, true},
        {"lapped on a station that holds fewer records", kRing20, 656, 256, 21, 256, 21, true,
         true},
        {"16-byte ring, first run before it wrapped: the phantom window past the end first",
         kRing16, 256 + 16 * 10, 256, 11, 65536, 11, false},
        {"16-byte ring wrapped on the first run: from the record after the one being filled",
         kRing16, 2256, 256, 4080, 2272, 4080, false},
        {"16-byte ring's pointer went round the end: on from the last position", kRing16, 288,
         65504, 4080, 65504, 5, false},
        {"16-byte ring's pointer just reached the ring start", kRing16, 256, 65520, 4080, 65520, 2,
         false},
        {"16-byte ring lapped: everything from the oldest", kRing16, 1056, 1056, 4080, 1072, 4080,
         true, true},
    };
    for (const auto& c : cases) {
        const DownloadPlan plan =
            PlanDownload(c.ring, c.currentPos, c.lastPoint, c.dataCount, c.lapped);
        EXPECT_EQ(plan.start, c.start) << c.what;
        EXPECT_EQ(plan.count, c.count) << c.what;
        EXPECT_EQ(plan.reanchor, c.reanchor) << c.what;
    }
}

TEST(DownloadPlan, ReanchorsWhenTheClocksDisagree) {
    struct Case {
        const char* what;
        ReanchorInputs in;
        std::int64_t shift;
    };
    const Case cases[] = {
        // Re-anchored, the newest record lands `delay` minutes before now: shift span - delay.
        {"records on time", {5, false, 30, 35, 5}, 0},
        {"newest record one minute ahead is tolerated", {-1, false, 30, 29, 5}, 0},
        {"records in the future", {-2, false, 30, 28, 5}, -7},
        {"pointer went back", {3, true, 30, 33, 5}, -2},
        {"more than four hours unexplained", {4, false, 30, 275, 5}, -1},
        {"exactly four hours unexplained is still trusted", {4, false, 30, 270, 30}, 0},
        {"newest record older than an interval and two minutes", {8, false, 0, 8, 5}, 3},
        {"newest record within an interval and two minutes", {7, false, 0, 7, 5}, 0},
        {"first run 20 minutes into a 30-minute record",
         {100000, false, 0, 100000, 20},
         100000 - 20},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReanchorShiftMinutes(c.in), c.shift) << c.what;
    }
}

TEST(DownloadPlan, RingMayHaveLappedOnceTheGapCouldHoldTheRing) {
    EXPECT_FALSE(RingMayHaveLapped(kRing20, 3262, 1));
    EXPECT_TRUE(RingMayHaveLapped(kRing20, 3263, 1));
    EXPECT_TRUE(RingMayHaveLapped(kRing20, 3266, 1));
    EXPECT_FALSE(RingMayHaveLapped(kRing20, 3263 * 30 - 1, 30));
    EXPECT_TRUE(RingMayHaveLapped(kRing20, 3263 * 30, 30));
    EXPECT_FALSE(RingMayHaveLapped(kRing20, 100000, 0));
    EXPECT_FALSE(RingMayHaveLapped(kRing16, 4078 * 5, 5));  // a longer ring takes longer
    EXPECT_TRUE(RingMayHaveLapped(kRing16, 4079 * 5, 5));
}

TEST(DownloadPlan, UncountedRainOnlyForPlausibleCounterSteps) {
    EXPECT_FLOAT_EQ(UncountedRain(110, 100, 0.3f), 3.0f);
    EXPECT_FLOAT_EQ(UncountedRain(228, 100, 0.3f), 38.4f);  // 128 steps: the largest taken
    EXPECT_EQ(UncountedRain(229, 100, 0.3f), 0.0f);
    EXPECT_EQ(UncountedRain(90, 100, 0.3f), 0.0f);  // counter went back
    EXPECT_EQ(UncountedRain(-1, 100, 0.3f), 0.0f);  // no contact with the outdoor sensor
    EXPECT_EQ(UncountedRain(100, 100, 0.3f), 0.0f);
}

}  // namespace
}  // namespace nimbra
