#pragma once

#include <string>

#include "core/upload_failure.h"

namespace nimbra {

// What the station and upload threads tell the main view. The values are the view's
// message numbers, kept so that each event's role in the design stays recognisable.
enum class ViewEvent : int {
    StationConnected = 2025,
    StationMissing = 2026,
    DownloadProgress = 2027,
    WriteSettings = 2028,
    WriteAlarms = 2029,
    ClearMemory = 2030,
    StationUnreadable = 2031,  // also the close hand-shake
    ClearHistory = 2032,
    WundergroundSuccess = 2033,
    WundergroundFailure = 2034,
    WundergroundOff = 2035,
    WowSuccess = 2036,
    WowFailure = 2037,
    WowOff = 2038,
    WeathercloudSuccess = 2039,
    WeathercloudFailure = 2040,
    WeathercloudOff = 2041,
    CwopSuccess = 2042,
    CwopFailure = 2043,
    CwopOff = 2044,
    WindySuccess = 2045,
    WindyFailure = 2046,
    WindyOff = 2047,
    OpenWeatherMapSuccess = 2048,
    OpenWeatherMapFailure = 2049,
    OpenWeatherMapOff = 2050,
};

// Counters of a running download, carried with every DownloadProgress event.
struct DownloadProgress {
    bool reading = false;  // false: no acquisition running ("Complete")
    int storedCount = 0;
    int rainDoneCount = 0;
    int totalCount = 0;  // records this run reads; 0 while not yet known
};

// What the station reported that cannot be right, so that a run read nothing.
enum class StationFault {
    recordPointer,  // the current record's address is not that of a history record
    recordCount,    // more records than the history ring holds
    ambiguousKind,  // records of 16 or of 20 bytes could both be what the station holds
};

// Receiver of view events. The desktop program delivers each call on its UI thread and
// returns only when the view has handled it; the headless logger prints it.
class ViewEvents {
public:
    virtual ~ViewEvents() = default;
    virtual void send(ViewEvent event) = 0;
    virtual void progress(const DownloadProgress& progress) = 0;
    // Why the station could not be had at a poll, told just before StationMissing: the
    // link's status and the system's own words ("no access: Permission denied"), for
    // the log and the status bar. Receivers that show only the event ignore it.
    virtual void stationUnreachable(const std::string& /*reason*/) {}
    // Why an upload failed, told just before its failure event (`failure`, one of the
    // *Failure events), for the log and the pane's tooltip.
    virtual void uploadFailed(ViewEvent /*failure*/, const UploadFailure& /*why*/) {}
    // The station's record pointer or count cannot be right (`value` is what it
    // reported): the run ended before reading any record, storing and changing nothing.
    virtual void stationFault(StationFault /*fault*/, int /*value*/) {}
};

}  // namespace nimbra
