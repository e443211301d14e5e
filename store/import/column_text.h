#pragma once

#include <string_view>

#include "core/history_record.h"
#include "store/record_columns.h"

namespace nimbra {

// Sets the member `field` describes from the text a database library gives for the column:
// dates as "YYYY-MM-DD hh:mm:ss", numbers with "." or "," as the decimal point. Empty text
// is NULL, read as the store reads it: 0, the zero date, or 16 (no direction) for
// WindDirection.
void setColumnFromText(const RecordField& field, std::string_view text, HistoryRecord& record);

}  // namespace nimbra
