#include "soak/store_snapshot.h"

#include <sqlite3.h>

#include <algorithm>
#include <memory>

namespace nimbra::soak {

namespace {

struct ConnectionCloser {
    void operator()(sqlite3* connection) const { sqlite3_close_v2(connection); }
};
struct StatementFinalizer {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using Connection = std::unique_ptr<sqlite3, ConnectionCloser>;
using Statement = std::unique_ptr<sqlite3_stmt, StatementFinalizer>;

constexpr char kRowsQuery[] =
    "SELECT Time, Interval, InTemp, InHumi, OutTemp, OutHumi, AbsPressure, Wind, Gust, "
    "WindDirection, Rcount FROM Records ORDER BY rowid";

Statement prepare(sqlite3* connection, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(connection, sql, -1, &statement, nullptr);
    return Statement(statement);
}

StoredRow rowAt(sqlite3_stmt* statement) {
    const auto real = [statement](int column) {
        return static_cast<float>(sqlite3_column_double(statement, column));
    };
    const auto integer = [statement](int column) { return sqlite3_column_int(statement, column); };
    return {sqlite3_column_double(statement, 0),
            {integer(1), real(2), integer(3), real(4), integer(5), real(6), real(7), real(8),
             integer(9), integer(10)}};
}

bool failed(StoreSnapshot& snapshot, sqlite3* connection) {
    snapshot.sound = false;
    snapshot.problem = connection != nullptr ? sqlite3_errmsg(connection) : "cannot open";
    return false;
}

bool checkIntegrity(sqlite3* connection, StoreSnapshot& snapshot) {
    const Statement check = prepare(connection, "PRAGMA integrity_check");
    if (!check || sqlite3_step(check.get()) != SQLITE_ROW) {
        return failed(snapshot, connection);
    }
    const auto* verdict = reinterpret_cast<const char*>(sqlite3_column_text(check.get(), 0));
    if (verdict == nullptr || std::string(verdict) != "ok") {
        snapshot.sound = false;
        snapshot.problem = verdict != nullptr ? verdict : "no verdict";
        return false;
    }
    return true;
}

bool readRows(sqlite3* connection, StoreSnapshot& snapshot) {
    const Statement rows = prepare(connection, kRowsQuery);
    if (!rows) {
        return failed(snapshot, connection);
    }
    int step = SQLITE_ROW;
    while ((step = sqlite3_step(rows.get())) == SQLITE_ROW) {
        snapshot.rows.push_back(rowAt(rows.get()));
    }
    return step == SQLITE_DONE || failed(snapshot, connection);
}

bool readLastPoint(sqlite3* connection, StoreSnapshot& snapshot) {
    const Statement param = prepare(connection, "SELECT LastPoint FROM Param");
    if (!param) {
        return failed(snapshot, connection);
    }
    const int step = sqlite3_step(param.get());
    if (step == SQLITE_ROW) {
        snapshot.lastPoint = sqlite3_column_int(param.get(), 0);
    }
    return step == SQLITE_ROW || step == SQLITE_DONE || failed(snapshot, connection);
}

bool countWithoutRainTotals(sqlite3* connection, StoreSnapshot& snapshot) {
    // The all-time total includes the record's own rain; 65535 marks rain not measured.
    const Statement count = prepare(connection,
                                    "SELECT count(*) FROM Records "
                                    "WHERE Rain > 0 AND Rain < 65535 AND Rain5 = 0");
    if (!count || sqlite3_step(count.get()) != SQLITE_ROW) {
        return failed(snapshot, connection);
    }
    snapshot.withoutRainTotals = sqlite3_column_int64(count.get(), 0);
    return true;
}

bool hasTables(sqlite3* connection) {
    const Statement tables = prepare(
        connection, "SELECT count(*) FROM sqlite_master WHERE name IN ('Records', 'Param')");
    return tables && sqlite3_step(tables.get()) == SQLITE_ROW &&
           sqlite3_column_int(tables.get(), 0) == 2;
}

std::vector<StoredRow> sorted(std::vector<StoredRow> rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
}

}  // namespace

StoreSnapshot readStore(const std::filesystem::path& database) {
    StoreSnapshot snapshot;
    std::error_code error;
    snapshot.exists = std::filesystem::exists(database, error);
    if (!snapshot.exists) {
        return snapshot;
    }
    sqlite3* opened = nullptr;
    const int status = sqlite3_open_v2(database.c_str(), &opened, SQLITE_OPEN_READONLY, nullptr);
    const Connection connection(opened);
    if (status != SQLITE_OK) {
        failed(snapshot, connection.get());
        return snapshot;
    }
    if (!checkIntegrity(connection.get(), snapshot)) {
        return snapshot;
    }
    // Killed while it created the schema: an empty store, as the next start finds it.
    if (!hasTables(connection.get())) {
        return snapshot;
    }
    if (readRows(connection.get(), snapshot) && readLastPoint(connection.get(), snapshot)) {
        countWithoutRainTotals(connection.get(), snapshot);
    }
    return snapshot;
}

std::int64_t countLost(const std::vector<StoredRow>& before, const std::vector<StoredRow>& after) {
    const auto had = sorted(before);
    const auto has = sorted(after);
    std::vector<StoredRow> lost;
    std::set_difference(had.begin(), had.end(), has.begin(), has.end(), std::back_inserter(lost));
    return static_cast<std::int64_t>(lost.size());
}

std::int64_t countDoubled(const std::vector<StoredRow>& rows) {
    const auto ordered = sorted(rows);
    std::int64_t doubled = 0;
    for (std::size_t i = 1; i < ordered.size(); ++i) {
        doubled += ordered[i] == ordered[i - 1] ? 1 : 0;
    }
    return doubled;
}

}  // namespace nimbra::soak
