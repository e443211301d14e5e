#include "store/record_queries.h"

#include "core/absent.h"
#include "store/param_columns.h"
#include "store/repeat_rule.h"

namespace nimbra::detail {

namespace {

const std::string kAbsentLiteral = std::to_string(kAbsentInt);

template <typename Fields>
std::string joinedNames(const Fields& fields, std::string_view suffix = {}) {
    std::string text;
    for (const auto& field : fields) {
        if (!text.empty()) {
            text += ", ";
        }
        text += field.name;
        text += suffix;
    }
    return text;
}

std::string columnTypes(const auto& fields) {
    std::string text;
    for (const auto& field : fields) {
        if (!text.empty()) {
            text += ", ";
        }
        text += field.name;
        // Dates and single-precision values are REAL, counts and codes INTEGER.
        text += std::visit(
            [](auto member) {
                using Member = decltype(member);
                return std::is_same_v<Member, std::int32_t HistoryRecord::*> ||
                               std::is_same_v<Member, std::int32_t ParamBlock::*>
                           ? " INTEGER"
                           : " REAL";
            },
            field.member);
    }
    return text;
}

std::string selectList() {
    return std::string("rowid AS ") + kRowIdAlias + ", " + joinedNames(recordFields());
}

std::string present(RecordColumn column) {
    return std::string(columnName(column)) + " <> " + kAbsentLiteral;
}

const char kInRange[] = "Time > ?1 AND Time <= ?2";

}  // namespace

std::string schemaStatements() {
    // The index leads with Time for every range query; carrying Rain lets the rain sums
    // run on the index alone.
    return "CREATE TABLE IF NOT EXISTS Records (" + columnTypes(recordFields()) +
           ");\n"
           "CREATE INDEX IF NOT EXISTS RecordsByTime ON Records (Time, Rain);\n"
           "CREATE TABLE IF NOT EXISTS Param (" +
           columnTypes(paramFields()) + ");\n";
}

std::string rangeQuery(RecordColumn presentIn) {
    return "SELECT " + selectList() + " FROM Records WHERE " + kInRange + " AND " +
           present(presentIn) + " ORDER BY Time";
}

std::string historyQuery() {
    return "SELECT " + selectList() + " FROM Records WHERE " + kInRange + " ORDER BY Time";
}

std::string maxMinQuery(RecordColumn column) {
    const std::string name(columnName(column));
    return "SELECT max(" + name + ") AS Max1, min(" + name + ") AS Min1 FROM Records WHERE " +
           kInRange + " AND " + present(column);
}

std::string countQuery(RecordColumn column) {
    return std::string("SELECT count(*) AS Count FROM Records WHERE ") + kInRange + " AND " +
           present(column);
}

std::string countAllQuery() {
    return "SELECT count(*) AS Count FROM Records";
}

std::string latestQuery() {
    return "SELECT * FROM (SELECT " + selectList() +
           " FROM Records ORDER BY Time DESC LIMIT ?1) ORDER BY Time";
}

std::string lastStoredQuery() {
    return "SELECT * FROM (SELECT " + selectList() +
           " FROM Records ORDER BY rowid DESC LIMIT ?1) ORDER BY " + kRowIdAlias;
}

// total() is 0.0 over no rows where sum() would be NULL. An absent rain value is not
// 65535 mm of rain, so it stays out of the sums.
std::string rainSumQuery() {
    return std::string("SELECT total(Rain) AS Sum FROM Records WHERE ") + kInRange + " AND " +
           present(RecordColumn::Rain);
}

std::string rainSumUpToQuery() {
    return "SELECT total(Rain) AS Sum FROM Records WHERE Time <= ?1 AND " +
           present(RecordColumn::Rain);
}

// The row id is compared as "+rowid" so that the engine does not walk the table by row id
// instead of the Time index.
std::string searchCountQuery() {
    return std::string(
               "SELECT count(*), (SELECT coalesce(max(rowid), 0) FROM Records) FROM "
               "Records WHERE ") +
           kInRange;
}

std::string searchSpanCountQuery() {
    return std::string("SELECT count(*) FROM Records WHERE ") + kInRange + " AND +rowid <= ?3";
}

std::string searchRowsQuery() {
    return "SELECT " + selectList() +
           " FROM Records WHERE Time >= ?1 AND Time <= ?2 AND +rowid <= ?3 AND (Time > ?1 OR "
           "+rowid > ?4) ORDER BY Time, rowid";
}

std::string repeatQuery() {
    std::string text = "SELECT 1 FROM Records WHERE Time > ?1 AND Time < ?2";
    int parameter = 3;
    for (const RecordColumn column : kRepeatReadings) {
        text += std::string(" AND ") + std::string(columnName(column)) + " = ?" +
                std::to_string(parameter++);
    }
    return text + " LIMIT 1";
}

std::string allRecordsQuery() {
    return "SELECT " + selectList() + " FROM Records";
}

std::string intervalRainQuery() {
    return "SELECT Interval, Rain FROM Records";
}

std::string insertRecordStatement() {
    std::string placeholders;
    for (std::size_t i = 1; i <= kRecordColumnCount; ++i) {
        placeholders += (i > 1 ? ", ?" : "?") + std::to_string(i);
    }
    return "INSERT INTO Records (" + joinedNames(recordFields()) + ") VALUES (" + placeholders +
           ")";
}

// A cursor never reads Rcount back, so a row read, changed and written through one
// carries the caller's counter, not the row's: the update leaves the stored one alone.
std::string updateRecordStatement() {
    std::string assignments;
    std::size_t index = 1;
    for (const RecordField& field : recordFields()) {
        const std::size_t parameter = index++;
        if (field.column == RecordColumn::Rcount) {
            continue;
        }
        if (!assignments.empty()) {
            assignments += ", ";
        }
        assignments += std::string(field.name) + " = ?" + std::to_string(parameter);
    }
    return "UPDATE Records SET " + assignments + " WHERE rowid = ?" + std::to_string(index);
}

}  // namespace nimbra::detail
