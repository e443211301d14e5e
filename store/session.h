#pragma once

#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "store/error_sink.h"
#include "store/rain_total_cache.h"
#include "store/sqlite_handles.h"

namespace nimbra::detail {

// A cached statement in use: reset when the use ends, so that it never holds a read
// snapshot open between operations.
class StatementUse {
public:
    explicit StatementUse(sqlite3_stmt* statement) : m_statement(statement) {}
    ~StatementUse();
    StatementUse(const StatementUse&) = delete;
    StatementUse& operator=(const StatementUse&) = delete;

    explicit operator bool() const { return m_statement != nullptr; }
    sqlite3_stmt* get() const { return m_statement; }

private:
    sqlite3_stmt* m_statement;
};

// What one database object shares with the cursors it opened: the connection, its cached
// statements and the open transaction. One recursive mutex guards all of it. A transaction
// keeps the mutex from begin to end, so another thread's operation can never land inside
// it. Failure messages are queued while the mutex is held and handed to the sink once the
// thread lets go of it, so a sink that waits for another thread cannot deadlock.
class Session {
public:
    Session() = default;
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Lockable, for std::lock_guard: one operation.
    void lock();
    void unlock();

    void setSink(ErrorSink sink);

    sqlite3* handle() const { return m_connection.get(); }
    // Replaces the connection; an open transaction on the old one is rolled back.
    void attach(ConnectionHandle connection);
    void detach();

    // Reports "not connected" and returns false when there is no connection.
    bool requireConnection();

    // A statement prepared on first use and kept; empty after a reported error.
    StatementUse cached(const std::string& sql);
    // A statement of its own, for a cursor; empty after a reported error.
    StatementHandle prepare(const std::string& sql);
    // Runs statements that return no rows; false after a reported error.
    bool execute(const char* sql);

    void report(std::string message);
    // Reports the engine's message for the last failure on `connection`.
    void reportEngineError(sqlite3* connection);
    void reportEngineError() { reportEngineError(handle()); }

    // The running rain total of this connection; dropped when the connection is replaced or
    // a transaction is rolled back.
    RainTotalCache& rainTotal() { return m_rainTotal; }

    bool inTransaction() const { return m_inTransaction; }
    // In a transaction that already failed every write is refused without a new message:
    // the batch is lost as a whole, and the user hears about it once.
    bool writesRefused() const { return m_inTransaction && m_transactionFailed; }
    int begin();
    int commit();
    int rollback();

private:
    void endTransaction();

    std::recursive_mutex m_mutex;
    int m_lockDepth = 0;
    std::vector<std::string> m_pending;
    ErrorSink m_sink;
    ConnectionHandle m_connection;
    std::unordered_map<std::string, StatementHandle> m_statements;
    bool m_inTransaction = false;
    bool m_transactionFailed = false;
    RainTotalCache m_rainTotal;
};

}  // namespace nimbra::detail
