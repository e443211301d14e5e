#pragma once

#include <array>
#include <cstdint>
#include <cstdio>

namespace nimbra::soak {

// Where in the logger's work a kill landed, judged from its output and from the store
// it left behind.
enum class Landing {
    beforeDownload,       // starting, opening the store, finding the station
    fullDownload,         // reading the whole history into a store that holds none
    incrementalDownload,  // reading what is new since the last stored record
    commit,               // the store's log was being written; nothing committed yet
    afterCommit,          // records committed: working out rain totals, or waiting
};
inline constexpr std::size_t kLandingCount = 5;

struct SoakFigures {
    int kills = 0;
    std::array<int, kLandingCount> landed{};
    int freshFolders = 0;
    std::int64_t recordsStored = 0;
    std::int64_t stationRecords = 0;
    std::int64_t lost = 0;
    std::int64_t doubled = 0;
    std::int64_t outOfOrder = 0;
    std::int64_t foreign = 0;
    std::int64_t timeStepsBack = 0;
    std::int64_t withoutRainTotals = 0;
    int ringChecks = 0;        // comparisons of the store with the station after a kill
    int ringChecksFailed = 0;  // of them, those that found a record missing, doubled or moved
    int integrityFailures = 0;
    int failedRestarts = 0;
    int locksHeld = 0;
    int leftoverTempFiles = 0;
    double elapsedSeconds = 0.0;

    bool clean() const {
        return lost == 0 && doubled == 0 && outOfOrder == 0 && foreign == 0 &&
               withoutRainTotals == 0 && ringChecksFailed == 0 && integrityFailures == 0 &&
               failedRestarts == 0 && locksHeld == 0 && leftoverTempFiles == 0;
    }
};

void printFigures(const SoakFigures& figures, std::FILE* out);

}  // namespace nimbra::soak
