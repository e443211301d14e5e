#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <variant>

#include "core/station_data.h"

namespace nimbra {

// The groups of Param columns that ReadParam and ExchangeParam take as flags.
enum ParamGroup : int {
    kParamRainState =
        1,  // RecordTime, RainCounter, the rain intervals and counts, LastCount, LastPoint
    kParamUnits = 2,  // the six display unit codes
    kParamAll = kParamRainState | kParamUnits,
};

namespace detail {

// How one Param column maps onto ParamBlock; RecordTime is REAL, the rest INTEGER.
struct ParamField {
    std::string_view name;
    ParamGroup group;
    std::variant<OleDate ParamBlock::*, std::int32_t ParamBlock::*> member;
};

inline constexpr std::size_t kParamColumnCount = 18;
const std::array<ParamField, kParamColumnCount>& paramFields();

}  // namespace detail
}  // namespace nimbra
