#pragma once

#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "core/history_record.h"
#include "core/ole_date.h"
#include "core/station_data.h"
#include "store/error_sink.h"
#include "store/param_columns.h"
#include "store/record_columns.h"
#include "store/record_cursor.h"

namespace nimbra {

namespace detail {
class Session;
}

enum class ConnectMode {
    createIfMissing,  // the program's own database: created with its tables when missing,
                      // refused when the file may not be written
    readOnly,         // a database to copy from: opened as it is, never written
};

// Result of OpenMaxMin: empty when no row in the range has a value.
struct MaxMin {
    std::optional<double> Max1;
    std::optional<double> Min1;
};

// The rows of a search as they stood when it was made: those of (start, end] that were
// stored by then. A row stored later has a higher row id than every row there was, so it
// stays out however long the search is read. Rows come in time order and, within one
// time, in the order they were stored.
struct RecordSearch {
    OleDate start;
    OleDate end;
    std::int64_t lastRowId = 0;
};

// A row's place in the order of a search, to go on after it. Row id the highest there is:
// after every row of that time.
struct RecordKey {
    double time = 0.0;
    std::int64_t rowId = std::numeric_limits<std::int64_t>::max();
};

// The record store: the Records table of history rows and the one-row Param table.
//
// Every operation returns 0 on success, or reports the engine's message through the error
// sink and returns 1 (Connect: -1). Ranges are half-open: a row belongs when its Time is
// later than the start and not later than the end. Time bounds are OLE dates.
//
// Each operation takes the object's lock, so the acquisition thread and the user-interface
// thread may share one object. A transaction holds the lock from BeginTrans to its end:
// another thread's operations wait for it instead of landing inside it. Dialogs that read
// while a download writes use objects (connections) of their own.
class CWeatherDb {
public:
    CWeatherDb();
    ~CWeatherDb();
    CWeatherDb(const CWeatherDb&) = delete;
    CWeatherDb& operator=(const CWeatherDb&) = delete;

    // Messages of this object's failures; without one they go to the default sink.
    void setErrorSink(ErrorSink sink);

    // Opens the database at `path`, replacing any connection held (an open transaction on
    // it is rolled back). A failure leaves the object unconnected.
    int Connect(const std::filesystem::path& path, ConnectMode mode = ConnectMode::createIfMissing);
    bool isConnected() const;

    // Reads the chosen ParamGroup columns of the Param row into `block` and sets
    // m_ParamLoaded; with no row, `block` is left as it was. NULL reads as 0.
    int ReadParam(ParamBlock& block, int groups);
    // Writes both groups into the Param row, adding it when the table is empty.
    int WriteParam(const ParamBlock& block);
    // ReadParam or a write of the chosen groups only.
    int ExchangeParam(ParamBlock& block, int groups, ExchangeDirection direction);

    int InsertRecord(const HistoryRecord& record);
    // Empties Records and Param together.
    int DeleteAll();

    // Batches: nothing of a transaction is applied unless CommitTrans succeeds. After any
    // failed operation inside it, further writes are refused and CommitTrans rolls back
    // and returns 1. The transaction belongs to the thread that began it; prefer
    // Transaction below, which cannot leave one open.
    int BeginTrans();
    int CommitTrans();
    int RollbackTrans();

    // Rows with a value in `presentIn`, in time order.
    int OpenRange(OleDate start, OleDate end, RecordColumn presentIn, RecordCursor& cursor);
    int OpenMaxMin(OleDate start, OleDate end, RecordColumn column, MaxMin& result);
    int OpenCount(OleDate start, OleDate end, RecordColumn column, std::int64_t& count);
    int CountAll(std::int64_t& count);
    // The `count` newest rows, oldest first; every row when the table holds fewer.
    int OpenLatest(int count, RecordCursor& cursor);
    // The `count` rows stored last, in the order they were stored, which is not the time
    // order when rows were stored amid older ones; every row when the table holds fewer.
    int OpenLastStored(int count, RecordCursor& cursor);
    // Rain over (start, end] and up to `end`; 0 over no rows. Absent values are skipped.
    // Both run on the index. The total up to `end` is carried forward from the previous
    // one when `end` moves on, so asking for it record after record stays cheap.
    int OpenRainSum(OleDate start, OleDate end, double& sum);
    int OpenRainSumUpTo(OleDate end, double& sum);
    // Every row in the range, in time order: the rows of the history list.
    int FillHistoryList(OleDate start, OleDate end, RecordCursor& cursor);
    // Starts a search of (start, end] and counts its rows.
    int BeginSearch(OleDate start, OleDate end, RecordSearch& search, std::int64_t& count);
    // The rows of `search` in (start, end].
    int CountSearch(const RecordSearch& search, OleDate start, OleDate end, std::int64_t& count);
    // The rows of `search` after `after`. The cursor holds the read open until it is
    // closed: close it as soon as its rows are read.
    int OpenSearch(const RecordSearch& search, const RecordKey& after, RecordCursor& cursor);
    // Whether a stored record counts as `record` by the rule of repeat_rule.h. One indexed
    // range query; it sees the rows of the caller's own open transaction.
    int FindRepeat(const HistoryRecord& record, bool& found);
    // Every row in storage order: the source of an import.
    int OpenAllRecords(RecordCursor& cursor);
    // Interval and Rain of every row, read-only.
    int OpenIntervalRain(RecordCursor& cursor);

private:
    int openCursor(const std::string& sql, RecordCursor& cursor,
                   std::optional<std::pair<OleDate, OleDate>> range = std::nullopt,
                   std::optional<int> limit = std::nullopt);
    int readParam(ParamBlock& block, int groups);
    int writeParam(const ParamBlock& block, int groups);

    std::shared_ptr<detail::Session> m_session;
};

// A transaction that rolls back unless committed.
class Transaction {
public:
    explicit Transaction(CWeatherDb& db) : m_db(db), m_open(db.BeginTrans() == 0) {}
    ~Transaction() {
        if (m_open) {
            m_db.RollbackTrans();
        }
    }
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

    // False when BeginTrans failed (and reported why).
    bool isOpen() const { return m_open; }
    int commit() {
        if (!m_open) {
            return 1;
        }
        m_open = false;
        return m_db.CommitTrans();
    }

private:
    CWeatherDb& m_db;
    bool m_open;
};

}  // namespace nimbra
