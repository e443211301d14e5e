#pragma once

#include "core/history_record.h"
#include "store/record_columns.h"
#include "store/sqlite_handles.h"

namespace nimbra::detail {

// Binds every column of `record` to parameters 1..22, in column order. Floats are stored
// exactly as the single-precision values they are, so they read back bit for bit.
void bindRecord(sqlite3_stmt* statement, const HistoryRecord& record);

// Reads result column `index` into the member `field` names. NULL reads as 0, except a
// NULL WindDirection, which reads as 16 (no direction).
void readField(sqlite3_stmt* statement, int index, const RecordField& field, HistoryRecord& record);

}  // namespace nimbra::detail
