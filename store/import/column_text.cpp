#include "store/import/column_text.h"

#include <algorithm>
#include <string>

#include "store/import/dat_line.h"
#include "store/import/text_time.h"

namespace nimbra {

namespace {
constexpr std::int32_t kNoDirection = 16;
}

void setColumnFromText(const RecordField& field, std::string_view text, HistoryRecord& record) {
    // A library formats numbers in the program's locale, which may use a decimal comma.
    std::string number(text);
    std::ranges::replace(number, ',', '.');
    std::visit(
        [&](auto member) {
            using Value = std::remove_reference_t<decltype(record.*member)>;
            if constexpr (std::is_same_v<Value, double>) {
                record.*member = text.empty() ? 0.0 : readRecordTime(text, DateOrder::yearMonthDay);
            } else if constexpr (std::is_same_v<Value, float>) {
                record.*member = leadingFloat(number);
            } else if (text.empty() && field.column == RecordColumn::WindDirection) {
                record.*member = kNoDirection;
            } else {
                record.*member = leadingInteger(number);
            }
        },
        field.member);
}

}  // namespace nimbra
