#include "store/param_columns.h"

namespace nimbra::detail {

namespace {

using P = ParamBlock;

constexpr std::array<ParamField, kParamColumnCount> kFields{{
    {"RecordTime", kParamRainState, &P::RecordTime},
    {"RainCounter", kParamRainState, &P::RainCounter},
    {"Rain1Interval", kParamRainState, &P::Rain1Interval},
    {"Rain2Interval", kParamRainState, &P::Rain2Interval},
    {"Rain3Interval", kParamRainState, &P::Rain3Interval},
    {"Rain4Interval", kParamRainState, &P::Rain4Interval},
    {"Rain1Count", kParamRainState, &P::Rain1Count},
    {"Rain2Count", kParamRainState, &P::Rain2Count},
    {"Rain3Count", kParamRainState, &P::Rain3Count},
    {"Rain4Count", kParamRainState, &P::Rain4Count},
    {"LastCount", kParamRainState, &P::LastCount},
    {"LastPoint", kParamRainState, &P::LastPoint},
    {"InTempUnit", kParamUnits, &P::InTempUnit},
    {"OutTempUnit", kParamUnits, &P::OutTempUnit},
    {"PressureUnit", kParamUnits, &P::PressureUnit},
    {"RainUnit", kParamUnits, &P::RainUnit},
    {"WindUnit", kParamUnits, &P::WindUnit},
    {"LightUnit", kParamUnits, &P::LightUnit},
}};

}  // namespace

const std::array<ParamField, kParamColumnCount>& paramFields() {
    return kFields;
}

}  // namespace nimbra::detail
