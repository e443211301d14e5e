#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nimbra {

// Appends "name=value&" to a query. The value is an integer with `decimals` (0, 1 or 2)
// implied decimal places, written with at least one digit before the point: 5 with two
// decimals is "0.05", -3 with one is "-0.3". A value equal to `absentMarker` is written as
// the absent text, or left empty ("name=&") when there is none.
void AppendQueryField(std::string& out, std::string_view name, std::int64_t value, int decimals,
                      std::int64_t absentMarker,
                      std::optional<std::string_view> absentText = std::nullopt);

}  // namespace nimbra
