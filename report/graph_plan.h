#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "core/history_record.h"
#include "core/station_data.h"
#include "store/record_columns.h"
#include "store/weather_db.h"

namespace nimbra {

// The quantities of the graph dialog's list, in list order.
enum GraphSelection {
    kGraphTemperature = 0,
    kGraphHumidity,
    kGraphPressure,
    kGraphWind,
    kGraphRain,
    kGraphLight,
    kGraphUv,
};
inline constexpr int kGraphSelectionCount = 7;
inline constexpr int kGraphSeriesCount = 4;

// What a search does with one of the chart's four series.
struct GraphSeriesPlan {
    enum Shown { keep, show, hide };

    static constexpr int kBlankTitle = 0;
    static constexpr int kTitleUnchanged = -1;

    std::optional<RecordColumn> column;  // none: the series is left without points
    int titleId = kTitleUnchanged;       // a string id, kBlankTitle or kTitleUnchanged
    Shown shown = keep;
};

// How a search of one selection draws the chart.
struct GraphPlan {
    int listItemId;  // its text in the selection list
    int headingId;
    bool legendShown;
    // The columns whose stored range sets the left axis; none: the range is fixed.
    std::vector<RecordColumn> rangeColumns;
    double maxMargin = 0.0;  // canonical unit
    double minMargin = 0.0;
    double defaultMax = 0.0;  // per column, for a period without values
    double defaultMin = 0.0;
    bool minNotBelowZero = false;
    std::array<GraphSeriesPlan, kGraphSeriesCount> series;
};

const GraphPlan& graphPlan(int selection);

struct AxisRange {
    double min = 0.0;
    double max = 0.0;

    friend bool operator==(const AxisRange&, const AxisRange&) = default;
};

// The left axis range in the canonical unit, from the stored range of each of the plan's
// range columns (in the same order).
AxisRange canonicalAxisRange(const GraphPlan& plan, const std::vector<MaxMin>& columnRanges);

// The left axis range and title in the user's display unit. Fixed ranges (humidity, UV
// and Beaufort wind) ignore `canonical`.
AxisRange displayAxisRange(int selection, const AxisRange& canonical, const ParamBlock& units);
std::string axisTitle(int selection, const ParamBlock& units);

// Whether `record` lacks a value in `column`: those rows are never plotted.
bool isAbsentIn(RecordColumn column, const HistoryRecord& record);

// The value of `column` of `record` as it is plotted: in the display unit, rounded to the
// decimals the value's text form shows.
double plottedValue(RecordColumn column, const HistoryRecord& record, const ParamBlock& units);

}  // namespace nimbra
