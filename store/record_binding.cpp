#include "store/record_binding.h"

#include <sqlite3.h>

namespace nimbra::detail {

namespace {

constexpr std::int32_t kNoDirection = 16;

}  // namespace

void bindRecord(sqlite3_stmt* statement, const HistoryRecord& record) {
    int index = 1;
    for (const RecordField& field : recordFields()) {
        std::visit(
            [&](auto member) {
                const auto value = record.*member;
                if constexpr (std::is_same_v<decltype(value), const std::int32_t>) {
                    sqlite3_bind_int(statement, index, value);
                } else {
                    sqlite3_bind_double(statement, index, static_cast<double>(value));
                }
            },
            field.member);
        ++index;
    }
}

void readField(sqlite3_stmt* statement, int index, const RecordField& field,
               HistoryRecord& record) {
    const bool isNull = sqlite3_column_type(statement, index) == SQLITE_NULL;
    std::visit(
        [&](auto member) {
            using Value = std::remove_reference_t<decltype(record.*member)>;
            if (isNull) {
                record.*member =
                    field.column == RecordColumn::WindDirection ? kNoDirection : Value{};
            } else if constexpr (std::is_same_v<Value, std::int32_t>) {
                record.*member = static_cast<std::int32_t>(sqlite3_column_int64(statement, index));
            } else {
                record.*member = static_cast<Value>(sqlite3_column_double(statement, index));
            }
        },
        field.member);
}

}  // namespace nimbra::detail
