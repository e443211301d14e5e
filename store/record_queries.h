#pragma once

#include <string>

#include "store/record_columns.h"

namespace nimbra::detail {

// The SQL texts of the record store. Time bounds are always parameters ?1 (start) and ?2
// (end) holding OLE dates; a range is half-open: later than the start, not later than the
// end. Column names come only from the fixed column list.

// Every record query selects the row id under this name so that a cursor can update the
// row it stands on.
inline constexpr char kRowIdAlias[] = "RecordRowId";

std::string schemaStatements();

std::string rangeQuery(RecordColumn presentIn);
std::string historyQuery();
std::string maxMinQuery(RecordColumn column);
std::string countQuery(RecordColumn column);
std::string countAllQuery();
std::string latestQuery();
std::string lastStoredQuery();  // ?1 = count  // ?1 = number of rows
std::string rainSumQuery();
std::string rainSumUpToQuery();  // ?1 = end
// Rows of (?1, ?2]: their count and the highest row id in the table, read together.
std::string searchCountQuery();
// Rows of (?1, ?2] with a row id up to ?3.
std::string searchSpanCountQuery();
// Rows up to ?2 with a row id up to ?3 that come after (Time ?1, row id ?4) in the order
// of Time and row id.
std::string searchRowsQuery();
// One row when a row in (?1, ?2) holds the repeat rule's readings, bound from ?3 on.
std::string repeatQuery();
std::string allRecordsQuery();
std::string intervalRainQuery();

std::string insertRecordStatement();  // ?1..?22 in column order
// ?1..?22 in column order, ?23 = row id; Rcount's parameter is bound but not stored.
std::string updateRecordStatement();

}  // namespace nimbra::detail
