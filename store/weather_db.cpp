#include "store/weather_db.h"

#include <sqlite3.h>

#include <algorithm>
#include <mutex>

#include "store/record_binding.h"
#include "store/record_queries.h"
#include "store/repeat_rule.h"
#include "store/session.h"

namespace nimbra {

namespace {

using detail::Session;
using detail::StatementUse;

// How long an operation waits for another connection's write transaction (an import, or
// the acquisition seen from a dialog) before it reports the database as locked.
constexpr int kBusyTimeoutMs = 10000;

// WAL lets dialogs read while a download writes. With synchronous FULL the log is synced
// at every commit, so a committed transaction survives a power cut; NORMAL would keep the
// file consistent but could lose the last commits.
constexpr char kWal[] = "wal";
constexpr char kWalPragma[] = "PRAGMA journal_mode = WAL";
// A year of records spans some 15 MB of pages: a 16 MiB page cache keeps a graph that is
// redrawn over the same year from going back to the file. The log is cut back to 2 MiB
// whenever it starts over after a checkpoint, so one large import does not leave it at
// its largest for good.
constexpr char kSessionPragmas[] =
    "PRAGMA synchronous = FULL; PRAGMA cache_size = -16384; PRAGMA journal_size_limit = 2097152;";

constexpr char kSchemaObjects[] =
    "SELECT count(*) FROM sqlite_schema WHERE name IN ('Records', 'Param', 'RecordsByTime')";
constexpr char kSchemaObjectCount[] = "3";

// The first column of the first row of `sql`, empty when there is none; nothing on error.
std::optional<std::string> firstValue(sqlite3* connection, const char* sql) {
    std::string value;
    const auto keepFirst = [](void* out, int, char** values, char**) {
        *static_cast<std::string*>(out) = values[0] != nullptr ? values[0] : "";
        return 0;
    };
    if (sqlite3_exec(connection, sql, keepFirst, &value, nullptr) != SQLITE_OK) {
        return std::nullopt;
    }
    return value;
}

// Sets the connection up; returns the engine's message of a failure, empty on success.
// Only a file that lacks the tables or WAL needs the write lock, so a dialog connecting
// while a download writes does not wait for the download.
std::string prepareConnection(sqlite3* connection, ConnectMode mode) {
    const auto run = [connection](const char* sql) {
        return sqlite3_exec(connection, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    };
    const auto failure = [connection] { return std::string(sqlite3_errmsg(connection)); };
    if (!run(kSessionPragmas)) {
        return failure();
    }
    // Reading the schema is also what finds out whether the file is a database at all.
    const auto schemaObjects = firstValue(connection, kSchemaObjects);
    const auto journalMode = firstValue(connection, "PRAGMA journal_mode");
    if (!schemaObjects || !journalMode) {
        return failure();
    }
    if (mode == ConnectMode::readOnly) {
        return run("PRAGMA query_only = ON") ? std::string() : failure();
    }
    if (*journalMode != kWal && !run(kWalPragma)) {
        return failure();
    }
    if (*schemaObjects == kSchemaObjectCount) {
        return {};
    }
    const std::string schema = "BEGIN IMMEDIATE;\n" + detail::schemaStatements() + "COMMIT;";
    if (run(schema.c_str())) {
        return {};
    }
    std::string message = failure();
    if (sqlite3_get_autocommit(connection) == 0) {
        run("ROLLBACK");
    }
    return message;
}

bool boundsValid(Session& session, std::initializer_list<OleDate> bounds) {
    for (const OleDate& bound : bounds) {
        if (!bound.isValid()) {
            session.report("A time bound of the query is not a valid date.");
            return false;
        }
    }
    return true;
}

// Runs a query that yields one row and hands the row to `read`.
template <typename Read>
int querySingleRow(Session& session, const std::string& sql, std::initializer_list<double> args,
                   Read read) {
    const StatementUse query = session.cached(sql);
    if (!query) {
        return 1;
    }
    int index = 1;
    for (const double arg : args) {
        sqlite3_bind_double(query.get(), index++, arg);
    }
    if (sqlite3_step(query.get()) != SQLITE_ROW) {
        session.reportEngineError();
        return 1;
    }
    read(query.get());
    return 0;
}

// Runs `body` so that it applies whole or not at all, inside a caller's transaction too.
template <typename Body>
int atomically(Session& session, Body body) {
    if (!session.execute("SAVEPOINT store_operation")) {
        return 1;
    }
    if (body()) {
        return session.execute("RELEASE store_operation") ? 0 : 1;
    }
    sqlite3_exec(session.handle(), "ROLLBACK TO store_operation; RELEASE store_operation", nullptr,
                 nullptr, nullptr);
    return 1;
}

// The chosen columns of Param, each followed by `suffix` and its parameter number.
std::string paramColumnList(int groups, std::string_view suffix = {}) {
    std::string text;
    int index = 1;
    for (const detail::ParamField& field : detail::paramFields()) {
        if ((field.group & groups) == 0) {
            continue;
        }
        if (index > 1) {
            text += ", ";
        }
        text += field.name;
        if (!suffix.empty()) {
            text += std::string(suffix) + std::to_string(index);
        }
        ++index;
    }
    return text;
}

std::string paramPlaceholders(int groups) {
    std::string text;
    int index = 1;
    for (const detail::ParamField& field : detail::paramFields()) {
        if ((field.group & groups) != 0) {
            text += (index > 1 ? ", ?" : "?") + std::to_string(index);
            ++index;
        }
    }
    return text;
}

void bindParam(sqlite3_stmt* statement, const ParamBlock& block, int groups) {
    int index = 1;
    for (const detail::ParamField& field : detail::paramFields()) {
        if ((field.group & groups) == 0) {
            continue;
        }
        std::visit(
            [&](auto member) {
                const auto& value = block.*member;
                if constexpr (std::is_same_v<std::remove_cvref_t<decltype(value)>, OleDate>) {
                    sqlite3_bind_double(statement, index, value.value());
                } else {
                    sqlite3_bind_int(statement, index, value);
                }
            },
            field.member);
        ++index;
    }
}

void readParamRow(sqlite3_stmt* statement, ParamBlock& block, int groups) {
    int index = 0;
    for (const detail::ParamField& field : detail::paramFields()) {
        if ((field.group & groups) == 0) {
            continue;
        }
        std::visit(
            [&](auto member) {
                auto& value = block.*member;
                if constexpr (std::is_same_v<std::remove_cvref_t<decltype(value)>, OleDate>) {
                    value = OleDate(sqlite3_column_double(statement, index));
                } else {
                    value = sqlite3_column_int(statement, index);
                }
            },
            field.member);
        ++index;
    }
}

}  // namespace

CWeatherDb::CWeatherDb() : m_session(std::make_shared<Session>()) {}

CWeatherDb::~CWeatherDb() {
    const std::lock_guard guard(*m_session);
    m_session->detach();
}

void CWeatherDb::setErrorSink(ErrorSink sink) {
    m_session->setSink(std::move(sink));
}

int CWeatherDb::Connect(const std::filesystem::path& path, ConnectMode mode) {
    const std::lock_guard guard(*m_session);
    m_session->detach();
    // The session's lock already serializes every use of the connection and its
    // statements, so the engine's own per-call mutex would only cost time.
    const int flags = SQLITE_OPEN_NOMUTEX |
                      (mode == ConnectMode::readOnly ? SQLITE_OPEN_READONLY
                                                     : SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    sqlite3* opened = nullptr;
    const int result = sqlite3_open_v2(path.c_str(), &opened, flags, nullptr);
    detail::ConnectionHandle connection(opened);
    if (result != SQLITE_OK) {
        m_session->reportEngineError(opened);
        return -1;
    }
    // The engine quietly opens a file it may not write read-only; the program's own
    // database would then refuse every download, so it is refused here instead.
    if (mode == ConnectMode::createIfMissing && sqlite3_db_readonly(opened, "main") == 1) {
        m_session->report("The database file is read-only.");
        return -1;
    }
    sqlite3_busy_timeout(opened, kBusyTimeoutMs);
    if (std::string failure = prepareConnection(opened, mode); !failure.empty()) {
        m_session->report(std::move(failure));
        return -1;
    }
    m_session->attach(std::move(connection));
    return 0;
}

bool CWeatherDb::isConnected() const {
    const std::lock_guard guard(*m_session);
    return m_session->handle() != nullptr;
}

int CWeatherDb::ReadParam(ParamBlock& block, int groups) {
    return ExchangeParam(block, groups, ExchangeDirection::read);
}

int CWeatherDb::WriteParam(const ParamBlock& block) {
    const std::lock_guard guard(*m_session);
    return writeParam(block, kParamAll);
}

int CWeatherDb::ExchangeParam(ParamBlock& block, int groups, ExchangeDirection direction) {
    const std::lock_guard guard(*m_session);
    return direction == ExchangeDirection::read ? readParam(block, groups)
                                                : writeParam(block, groups);
}

int CWeatherDb::readParam(ParamBlock& block, int groups) {
    groups &= kParamAll;
    if (groups == 0) {
        return 0;
    }
    const StatementUse query = m_session->cached("SELECT " + paramColumnList(groups) +
                                                 " FROM Param ORDER BY rowid LIMIT 1");
    if (!query) {
        return 1;
    }
    switch (sqlite3_step(query.get())) {
        case SQLITE_ROW:
            readParamRow(query.get(), block, groups);
            block.m_ParamLoaded = 1;
            return 0;
        case SQLITE_DONE:
            return 0;
        default:
            m_session->reportEngineError();
            return 1;
    }
}

int CWeatherDb::writeParam(const ParamBlock& block, int groups) {
    groups &= kParamAll;
    if (groups == 0) {
        return 0;
    }
    if (m_session->writesRefused()) {
        return 1;
    }
    // Update the first row, or add one to an empty table: Param never grows past one row.
    const std::string update = "UPDATE Param SET " + paramColumnList(groups, " = ?") +
                               " WHERE rowid = (SELECT min(rowid) FROM Param)";
    const std::string insert = "INSERT INTO Param (" + paramColumnList(groups) + ") VALUES (" +
                               paramPlaceholders(groups) + ")";
    return atomically(*m_session, [&] {
        for (const std::string* sql : {&update, &insert}) {
            const StatementUse statement = m_session->cached(*sql);
            if (!statement) {
                return false;
            }
            bindParam(statement.get(), block, groups);
            if (sqlite3_step(statement.get()) != SQLITE_DONE) {
                m_session->reportEngineError();
                return false;
            }
            if (sqlite3_changes(m_session->handle()) > 0) {
                return true;
            }
        }
        return true;
    });
}

int CWeatherDb::InsertRecord(const HistoryRecord& record) {
    static const std::string kInsert = detail::insertRecordStatement();
    const std::lock_guard guard(*m_session);
    if (m_session->writesRefused()) {
        return 1;
    }
    const StatementUse insert = m_session->cached(kInsert);
    if (!insert) {
        return 1;
    }
    detail::bindRecord(insert.get(), record);
    if (sqlite3_step(insert.get()) != SQLITE_DONE) {
        m_session->reportEngineError();
        return 1;
    }
    m_session->rainTotal().recordInserted(record.Time, record.Rain);
    return 0;
}

int CWeatherDb::DeleteAll() {
    const std::lock_guard guard(*m_session);
    if (m_session->writesRefused() || !m_session->requireConnection()) {
        return 1;
    }
    m_session->rainTotal().invalidate();
    return atomically(*m_session, [&] {
        return m_session->execute("DELETE FROM Records") && m_session->execute("DELETE FROM Param");
    });
}

int CWeatherDb::BeginTrans() {
    const std::lock_guard guard(*m_session);
    return m_session->begin();
}

int CWeatherDb::CommitTrans() {
    const std::lock_guard guard(*m_session);
    return m_session->commit();
}

int CWeatherDb::RollbackTrans() {
    const std::lock_guard guard(*m_session);
    return m_session->rollback();
}

int CWeatherDb::openCursor(const std::string& sql, RecordCursor& cursor,
                           std::optional<std::pair<OleDate, OleDate>> range,
                           std::optional<int> limit) {
    // Closed before taking this object's lock: the cursor may hold another object's.
    cursor.close();
    const std::lock_guard guard(*m_session);
    if (range && !boundsValid(*m_session, {range->first, range->second})) {
        return 1;
    }
    detail::StatementHandle statement = m_session->prepare(sql);
    if (statement == nullptr) {
        return 1;
    }
    if (range) {
        sqlite3_bind_double(statement.get(), 1, range->first.value());
        sqlite3_bind_double(statement.get(), 2, range->second.value());
    }
    if (limit) {
        sqlite3_bind_int(statement.get(), 1, *limit);
    }
    return cursor.open(m_session, std::move(statement));
}

int CWeatherDb::OpenRange(OleDate start, OleDate end, RecordColumn presentIn,
                          RecordCursor& cursor) {
    return openCursor(detail::rangeQuery(presentIn), cursor, std::pair{start, end});
}

int CWeatherDb::OpenMaxMin(OleDate start, OleDate end, RecordColumn column, MaxMin& result) {
    const std::lock_guard guard(*m_session);
    if (!boundsValid(*m_session, {start, end})) {
        return 1;
    }
    return querySingleRow(*m_session, detail::maxMinQuery(column), {start.value(), end.value()},
                          [&](sqlite3_stmt* row) {
                              const auto value = [row](int index) -> std::optional<double> {
                                  if (sqlite3_column_type(row, index) == SQLITE_NULL) {
                                      return std::nullopt;
                                  }
                                  return sqlite3_column_double(row, index);
                              };
                              result = MaxMin{value(0), value(1)};
                          });
}

int CWeatherDb::OpenCount(OleDate start, OleDate end, RecordColumn column, std::int64_t& count) {
    const std::lock_guard guard(*m_session);
    if (!boundsValid(*m_session, {start, end})) {
        return 1;
    }
    return querySingleRow(*m_session, detail::countQuery(column), {start.value(), end.value()},
                          [&](sqlite3_stmt* row) { count = sqlite3_column_int64(row, 0); });
}

int CWeatherDb::CountAll(std::int64_t& count) {
    const std::lock_guard guard(*m_session);
    return querySingleRow(*m_session, detail::countAllQuery(), {},
                          [&](sqlite3_stmt* row) { count = sqlite3_column_int64(row, 0); });
}

int CWeatherDb::OpenLatest(int count, RecordCursor& cursor) {
    // The engine reads a negative limit as "no limit".
    return openCursor(detail::latestQuery(), cursor, std::nullopt, std::max(count, 0));
}

int CWeatherDb::OpenLastStored(int count, RecordCursor& cursor) {
    return openCursor(detail::lastStoredQuery(), cursor, std::nullopt, std::max(count, 0));
}

int CWeatherDb::OpenRainSum(OleDate start, OleDate end, double& sum) {
    static const std::string kQuery = detail::rainSumQuery();
    const std::lock_guard guard(*m_session);
    if (!boundsValid(*m_session, {start, end})) {
        return 1;
    }
    return querySingleRow(*m_session, kQuery, {start.value(), end.value()},
                          [&](sqlite3_stmt* row) { sum = sqlite3_column_double(row, 0); });
}

int CWeatherDb::OpenRainSumUpTo(OleDate end, double& sum) {
    static const std::string kUpTo = detail::rainSumUpToQuery();
    static const std::string kBetween = detail::rainSumQuery();
    const std::lock_guard guard(*m_session);
    if (!boundsValid(*m_session, {end})) {
        return 1;
    }
    std::int64_t dataVersion = 0;
    if (querySingleRow(*m_session, "PRAGMA data_version", {}, [&](sqlite3_stmt* row) {
            dataVersion = sqlite3_column_int64(row, 0);
        }) != 0) {
        return 1;
    }
    detail::RainTotalCache& cache = m_session->rainTotal();
    const auto readSum = [](double& out) {
        return [&out](sqlite3_stmt* row) { out = sqlite3_column_double(row, 0); };
    };
    double total = 0;
    int result = 0;
    if (const auto kept = cache.usableFor(dataVersion)) {
        double between = 0;
        if (end.value() >= kept->end) {
            result =
                querySingleRow(*m_session, kBetween, {kept->end, end.value()}, readSum(between));
            total = kept->sum + between;
        } else {
            result =
                querySingleRow(*m_session, kBetween, {end.value(), kept->end}, readSum(between));
            total = kept->sum - between;
        }
    } else {
        result = querySingleRow(*m_session, kUpTo, {end.value()}, readSum(total));
    }
    if (result == 0) {
        cache.keep({end.value(), total}, dataVersion);
        sum = total;
    }
    return result;
}

int CWeatherDb::FillHistoryList(OleDate start, OleDate end, RecordCursor& cursor) {
    return openCursor(detail::historyQuery(), cursor, std::pair{start, end});
}

int CWeatherDb::BeginSearch(OleDate start, OleDate end, RecordSearch& search, std::int64_t& count) {
    static const std::string kQuery = detail::searchCountQuery();
    const std::lock_guard guard(*m_session);
    if (!boundsValid(*m_session, {start, end})) {
        return 1;
    }
    // One statement: the count and the highest row id come from one snapshot.
    return querySingleRow(*m_session, kQuery, {start.value(), end.value()}, [&](sqlite3_stmt* row) {
        count = sqlite3_column_int64(row, 0);
        search = {start, end, sqlite3_column_int64(row, 1)};
    });
}

int CWeatherDb::CountSearch(const RecordSearch& search, OleDate start, OleDate end,
                            std::int64_t& count) {
    static const std::string kQuery = detail::searchSpanCountQuery();
    const std::lock_guard guard(*m_session);
    if (!boundsValid(*m_session, {start, end})) {
        return 1;
    }
    const StatementUse query = m_session->cached(kQuery);
    if (!query) {
        return 1;
    }
    sqlite3_bind_double(query.get(), 1, start.value());
    sqlite3_bind_double(query.get(), 2, end.value());
    sqlite3_bind_int64(query.get(), 3, search.lastRowId);
    if (sqlite3_step(query.get()) != SQLITE_ROW) {
        m_session->reportEngineError();
        return 1;
    }
    count = sqlite3_column_int64(query.get(), 0);
    return 0;
}

int CWeatherDb::OpenSearch(const RecordSearch& search, const RecordKey& after,
                           RecordCursor& cursor) {
    static const std::string kQuery = detail::searchRowsQuery();
    cursor.close();
    const std::lock_guard guard(*m_session);
    if (!boundsValid(*m_session, {search.start, search.end})) {
        return 1;
    }
    detail::StatementHandle statement = m_session->prepare(kQuery);
    if (statement == nullptr) {
        return 1;
    }
    // Never before the search's own start.
    sqlite3_bind_double(statement.get(), 1, std::max(after.time, search.start.value()));
    sqlite3_bind_double(statement.get(), 2, search.end.value());
    sqlite3_bind_int64(statement.get(), 3, search.lastRowId);
    sqlite3_bind_int64(
        statement.get(), 4,
        after.time > search.start.value() ? after.rowId : std::numeric_limits<std::int64_t>::max());
    return cursor.open(m_session, std::move(statement));
}

int CWeatherDb::FindRepeat(const HistoryRecord& record, bool& found) {
    static const std::string kQuery = detail::repeatQuery();
    const std::lock_guard guard(*m_session);
    const StatementUse query = m_session->cached(kQuery);
    if (!query) {
        return 1;
    }
    const double tolerance = RepeatToleranceSeconds(record) / kSecondsPerDay;
    sqlite3_bind_double(query.get(), 1, record.Time - tolerance);
    sqlite3_bind_double(query.get(), 2, record.Time + tolerance);
    int parameter = 3;
    for (const RecordColumn column : kRepeatReadings) {
        std::visit(
            [&](auto member) {
                if constexpr (std::is_same_v<decltype(member), std::int32_t HistoryRecord::*>) {
                    sqlite3_bind_int(query.get(), parameter, record.*member);
                } else {
                    sqlite3_bind_double(query.get(), parameter,
                                        static_cast<double>(record.*member));
                }
            },
            recordFields()[static_cast<std::size_t>(column)].member);
        ++parameter;
    }
    const int status = sqlite3_step(query.get());
    if (status != SQLITE_ROW && status != SQLITE_DONE) {
        m_session->reportEngineError();
        return 1;
    }
    found = status == SQLITE_ROW;
    return 0;
}

int CWeatherDb::OpenAllRecords(RecordCursor& cursor) {
    return openCursor(detail::allRecordsQuery(), cursor);
}

int CWeatherDb::OpenIntervalRain(RecordCursor& cursor) {
    return openCursor(detail::intervalRainQuery(), cursor);
}

}  // namespace nimbra
