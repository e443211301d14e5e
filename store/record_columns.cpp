#include "store/record_columns.h"

#include <algorithm>
#include <cctype>

namespace nimbra {

namespace {

using R = HistoryRecord;

constexpr std::array<RecordField, kRecordColumnCount> kFields{{
    {RecordColumn::Time, "Time", &R::Time},
    {RecordColumn::Interval, "Interval", &R::Interval},
    {RecordColumn::InTemp, "InTemp", &R::InTemp},
    {RecordColumn::InHumi, "InHumi", &R::InHumi},
    {RecordColumn::OutTemp, "OutTemp", &R::OutTemp},
    {RecordColumn::OutHumi, "OutHumi", &R::OutHumi},
    {RecordColumn::RelPressure, "RelPressure", &R::RelPressure},
    {RecordColumn::AbsPressure, "AbsPressure", &R::AbsPressure},
    {RecordColumn::Wind, "Wind", &R::Wind},
    {RecordColumn::Gust, "Gust", &R::Gust},
    {RecordColumn::WindDirection, "WindDirection", &R::WindDirection},
    {RecordColumn::DewPoint, "DewPoint", &R::DewPoint},
    {RecordColumn::WindChill, "WindChill", &R::WindChill},
    {RecordColumn::Rain, "Rain", &R::Rain},
    {RecordColumn::Rcount, "Rcount", &R::Rcount},
    {RecordColumn::Rain1, "Rain1", &R::Rain1},
    {RecordColumn::Rain2, "Rain2", &R::Rain2},
    {RecordColumn::Rain3, "Rain3", &R::Rain3},
    {RecordColumn::Rain4, "Rain4", &R::Rain4},
    {RecordColumn::Rain5, "Rain5", &R::Rain5},
    {RecordColumn::Light, "Light", &R::Light},
    {RecordColumn::UV, "UV", &R::UV},
}};

static_assert(
    [] {
        for (std::size_t i = 0; i < kFields.size(); ++i) {
            if (static_cast<std::size_t>(kFields[i].column) != i) {
                return false;
            }
        }
        return true;
    }(),
    "the field table is indexed by RecordColumn");

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) ==
               std::tolower(static_cast<unsigned char>(y));
    });
}

}  // namespace

const std::array<RecordField, kRecordColumnCount>& recordFields() {
    return kFields;
}

std::string_view columnName(RecordColumn column) {
    return kFields[static_cast<std::size_t>(column)].name;
}

std::optional<RecordColumn> recordColumnFromName(std::string_view name) {
    for (const RecordField& field : kFields) {
        if (equalIgnoringCase(field.name, name)) {
            return field.column;
        }
    }
    return std::nullopt;
}

}  // namespace nimbra
