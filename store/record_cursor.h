#pragma once

#include <memory>
#include <vector>

#include "core/history_record.h"
#include "store/record_columns.h"
#include "store/sqlite_handles.h"

namespace nimbra {

namespace detail {
class Session;
}

enum class ExchangeDirection { read, write };

// Rows of the Records table, streamed one at a time from a query that CWeatherDb opened.
// Opening positions the cursor on the first row; atEnd() tells when there is none left.
// The cursor belongs to its caller and may outlive a reconnect of the database object
// (it keeps reading what it was opened on). Each step takes the object's lock, so the
// document's object may be shared between threads; a cursor itself is used by one thread.
class RecordCursor {
public:
    RecordCursor();
    ~RecordCursor();
    RecordCursor(RecordCursor&& other) noexcept;
    RecordCursor& operator=(RecordCursor&& other) noexcept;

    bool isOpen() const { return m_statement != nullptr; }
    // No current row: past the last one, after an error, or closed.
    bool atEnd() const { return m_atEnd; }
    // 0 on reaching the next row or the end; 1 after a reported error, which ends the walk.
    int moveNext();
    // Reading copies the current row into `record` (Rcount is never read: the buffer keeps
    // what it held). Writing stores every column of `record` into the current row; the
    // cursor keeps showing the values it read. 0 on success, 1 after a reported error.
    int ExchangeRecord(HistoryRecord& record, ExchangeDirection direction);
    // The row id of the current row; 0 without one.
    std::int64_t rowId() const;
    void close();

private:
    friend class CWeatherDb;
    // Takes the statement and steps to the first row; 1 after a reported error.
    int open(std::shared_ptr<detail::Session> session, detail::StatementHandle statement);
    int step();
    void readCurrent(HistoryRecord& record) const;
    int writeCurrent(const HistoryRecord& record);
    // Whether writing `record` over row `rowId` leaves its Time and Rain as they are.
    bool keepsTimeAndRain(std::int64_t rowId, const HistoryRecord& record);

    std::shared_ptr<detail::Session> m_session;
    detail::StatementHandle m_statement;
    sqlite3* m_connection = nullptr;           // the connection the statement runs on
    std::vector<const RecordField*> m_fields;  // per result column; null where not a field
    int m_rowIdColumn = -1;
    bool m_atEnd = true;
};

}  // namespace nimbra
