#include "store/session.h"

#include <sqlite3.h>

namespace nimbra::detail {

StatementUse::~StatementUse() {
    if (m_statement != nullptr) {
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
    }
}

void Session::lock() {
    m_mutex.lock();
    ++m_lockDepth;
}

void Session::unlock() {
    std::vector<std::string> messages;
    ErrorSink sink;
    if (--m_lockDepth == 0 && !m_pending.empty()) {
        messages.swap(m_pending);
        sink = m_sink;
    }
    m_mutex.unlock();
    for (const std::string& message : messages) {
        if (sink) {
            sink(message);
        } else {
            reportToDefaultErrorSink(message);
        }
    }
}

void Session::setSink(ErrorSink sink) {
    const std::lock_guard guard(*this);
    m_sink = std::move(sink);
}

void Session::attach(ConnectionHandle connection) {
    if (m_inTransaction) {
        sqlite3_exec(handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        endTransaction();
    }
    m_statements.clear();
    m_connection = std::move(connection);
    m_rainTotal.invalidate();
}

void Session::detach() {
    attach(nullptr);
}

bool Session::requireConnection() {
    if (m_connection == nullptr) {
        report("The database is not connected.");
        return false;
    }
    return true;
}

StatementUse Session::cached(const std::string& sql) {
    if (!requireConnection()) {
        return StatementUse(nullptr);
    }
    auto found = m_statements.find(sql);
    if (found == m_statements.end()) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v3(handle(), sql.c_str(), static_cast<int>(sql.size()) + 1,
                               SQLITE_PREPARE_PERSISTENT, &statement, nullptr) != SQLITE_OK) {
            reportEngineError();
            return StatementUse(nullptr);
        }
        found = m_statements.emplace(sql, StatementHandle(statement)).first;
    }
    return StatementUse(found->second.get());
}

StatementHandle Session::prepare(const std::string& sql) {
    if (!requireConnection()) {
        return nullptr;
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(handle(), sql.c_str(), static_cast<int>(sql.size()) + 1, &statement,
                           nullptr) != SQLITE_OK) {
        reportEngineError();
        return nullptr;
    }
    return StatementHandle(statement);
}

bool Session::execute(const char* sql) {
    if (!requireConnection()) {
        return false;
    }
    if (sqlite3_exec(handle(), sql, nullptr, nullptr, nullptr) != SQLITE_OK) {
        reportEngineError();
        return false;
    }
    return true;
}

void Session::report(std::string message) {
    if (m_inTransaction) {
        if (m_transactionFailed) {
            return;
        }
        m_transactionFailed = true;
    }
    m_pending.push_back(std::move(message));
}

void Session::reportEngineError(sqlite3* connection) {
    report(connection != nullptr ? sqlite3_errmsg(connection) : sqlite3_errstr(SQLITE_NOMEM));
}

int Session::begin() {
    if (!requireConnection()) {
        return 1;
    }
    if (m_inTransaction) {
        report("A transaction is already open on this connection.");
        return 1;
    }
    // IMMEDIATE takes the write lock now, waiting for another writer within the busy
    // timeout, instead of failing later when the first insert needs it.
    if (!execute("BEGIN IMMEDIATE")) {
        return 1;
    }
    m_inTransaction = true;
    m_transactionFailed = false;
    lock();  // held until commit() or rollback()
    return 0;
}

int Session::commit() {
    if (!m_inTransaction) {
        report("No transaction is open.");
        return 1;
    }
    const bool committed = !m_transactionFailed && execute("COMMIT");
    if (!committed) {
        if (sqlite3_get_autocommit(handle()) == 0) {
            sqlite3_exec(handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        }
        m_rainTotal.invalidate();
    }
    endTransaction();
    return committed ? 0 : 1;
}

int Session::rollback() {
    if (!m_inTransaction) {
        report("No transaction is open.");
        return 1;
    }
    // The engine may have rolled back on its own already (after a full disk, for one).
    if (sqlite3_get_autocommit(handle()) == 0) {
        sqlite3_exec(handle(), "ROLLBACK", nullptr, nullptr, nullptr);
    }
    m_rainTotal.invalidate();
    endTransaction();
    return 0;
}

void Session::endTransaction() {
    m_inTransaction = false;
    m_transactionFailed = false;
    unlock();
}

}  // namespace nimbra::detail
