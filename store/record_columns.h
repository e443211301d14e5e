#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <variant>

#include "core/history_record.h"

namespace nimbra {

// The columns of the Records table, in table order. Queries that take a column accept
// only these, so no text from outside the program ever becomes part of an SQL statement.
enum class RecordColumn {
    Time,
    Interval,
    InTemp,
    InHumi,
    OutTemp,
    OutHumi,
    RelPressure,
    AbsPressure,
    Wind,
    Gust,
    WindDirection,
    DewPoint,
    WindChill,
    Rain,
    Rcount,
    Rain1,
    Rain2,
    Rain3,
    Rain4,
    Rain5,
    Light,
    UV,
};
inline constexpr std::size_t kRecordColumnCount = 22;

std::string_view columnName(RecordColumn column);
// Column names compare without regard to case, as the database's own names do.
std::optional<RecordColumn> recordColumnFromName(std::string_view name);

// How one column maps onto HistoryRecord. The member's type decides the column's type:
// the OLE date and the single-precision values are REAL, the counts and codes INTEGER.
struct RecordField {
    RecordColumn column;
    std::string_view name;
    std::variant<double HistoryRecord::*, float HistoryRecord::*, std::int32_t HistoryRecord::*>
        member;
};

// In table order, so that recordFields()[column] describes `column`.
const std::array<RecordField, kRecordColumnCount>& recordFields();

}  // namespace nimbra
