#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/history_record.h"
#include "store/import/text_time.h"

namespace nimbra {

// One line of a comma-separated text export: field k lies between the k-th and the
// (k+1)-th comma, so a record needs at least 28 commas; later fields are ignored.
// Fields are trimmed; "---" is the absent marker. Numbers read as the C library's plain
// conversions do: the leading number, "." as the decimal point, 0 without one. Empty when
// the line has too few commas. Rcount comes from the line; RainYear stays 0.
std::optional<HistoryRecord> parseDatLine(std::string_view line, DateOrder order);

// The plain text-to-number conversions the import uses for text sources.
std::int32_t leadingInteger(std::string_view text);
float leadingFloat(std::string_view text);

}  // namespace nimbra
