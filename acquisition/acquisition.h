#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>

#include "core/station_data.h"
#include "core/station_kind.h"
#include "core/view_events.h"
#include "station_link/station_connection.h"
#include "store/weather_db.h"

namespace nimbra {

// What one acquisition run works with besides the station record it fills.
struct AcquisitionContext {
    link::StationConnection& link;
    CWeatherDb& db;
    ViewEvents& events;
    // Hands the record to its readers (the painter, the uploads) as the run progresses.
    std::function<void(const CStationData&)> publish;
    // Runs after a complete pass: the uploads that follow every fresh reading.
    std::function<void()> passCompleted;
    // The wall clock; replaceable so that runs against a fast emulator stay exact.
    std::function<OleDate()> now = [] { return OleDate::currentTime(); };
    // Set when the program is closing: the download stops at the next record.
    const std::atomic<bool>* cancel = nullptr;
    // The console kind the settings fix; unset: the run detects it.
    std::optional<StationKind> stationModel = std::nullopt;
    // The kind detected since the station connected (a StationKind's value, or
    // kKindUnknown), so that it is detected once per connection; null: on every run.
    std::atomic<int>* detectedKind = nullptr;
};

inline constexpr int kKindUnknown = -1;

// One acquisition run: reads the station's fixed block and current reading, downloads
// every history record stored since the last run into the database in one transaction,
// computes their rain totals and the current ones. Ok when the run completed; else why
// it ended early: the link's own status when the station could not be read or could be
// no console (a fault, or a kind that cannot be told, is told to the events), cancelled
// when the program is closing, io for a failure of the database or the temporary file.
link::LinkResult RunAcquisition(CStationData& data, AcquisitionContext& context);

}  // namespace nimbra
