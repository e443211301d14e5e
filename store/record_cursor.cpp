#include "store/record_cursor.h"

#include <sqlite3.h>

#include <mutex>
#include <utility>

#include "store/record_binding.h"
#include "store/record_queries.h"
#include "store/session.h"

namespace nimbra {

RecordCursor::RecordCursor() = default;

RecordCursor::~RecordCursor() {
    close();
}

RecordCursor::RecordCursor(RecordCursor&& other) noexcept {
    *this = std::move(other);
}

RecordCursor& RecordCursor::operator=(RecordCursor&& other) noexcept {
    if (this != &other) {
        close();
        m_session = std::move(other.m_session);
        m_statement = std::move(other.m_statement);
        m_connection = std::exchange(other.m_connection, nullptr);
        m_fields = std::move(other.m_fields);
        m_rowIdColumn = std::exchange(other.m_rowIdColumn, -1);
        m_atEnd = std::exchange(other.m_atEnd, true);
    }
    return *this;
}

void RecordCursor::close() {
    if (m_statement != nullptr) {
        const std::lock_guard guard(*m_session);
        m_statement.reset();
    }
    m_session.reset();
    m_connection = nullptr;
    m_fields.clear();
    m_rowIdColumn = -1;
    m_atEnd = true;
}

int RecordCursor::open(std::shared_ptr<detail::Session> session,
                       detail::StatementHandle statement) {
    m_session = std::move(session);
    m_statement = std::move(statement);
    m_connection = sqlite3_db_handle(m_statement.get());
    const int columns = sqlite3_column_count(m_statement.get());
    m_fields.assign(static_cast<std::size_t>(columns), nullptr);
    for (int i = 0; i < columns; ++i) {
        const std::string_view name = sqlite3_column_name(m_statement.get(), i);
        if (name == detail::kRowIdAlias) {
            m_rowIdColumn = i;
        } else if (const auto column = recordColumnFromName(name)) {
            m_fields[static_cast<std::size_t>(i)] =
                &recordFields()[static_cast<std::size_t>(*column)];
        }
    }
    return step();
}

int RecordCursor::step() {
    switch (sqlite3_step(m_statement.get())) {
        case SQLITE_ROW:
            m_atEnd = false;
            return 0;
        case SQLITE_DONE:
            m_atEnd = true;
            return 0;
        default:
            m_atEnd = true;
            m_session->reportEngineError(m_connection);
            return 1;
    }
}

int RecordCursor::moveNext() {
    if (m_atEnd) {
        return 0;
    }
    const std::lock_guard guard(*m_session);
    return step();
}

int RecordCursor::ExchangeRecord(HistoryRecord& record, ExchangeDirection direction) {
    if (m_atEnd) {
        if (m_session != nullptr) {
            const std::lock_guard guard(*m_session);
            m_session->report("There is no current record.");
        } else {
            reportToDefaultErrorSink("There is no current record.");
        }
        return 1;
    }
    const std::lock_guard guard(*m_session);
    if (direction == ExchangeDirection::write) {
        return writeCurrent(record);
    }
    readCurrent(record);
    return 0;
}

void RecordCursor::readCurrent(HistoryRecord& record) const {
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        const RecordField* field = m_fields[i];
        // Rcount is written, never read back: the caller's buffer keeps its own.
        if (field != nullptr && field->column != RecordColumn::Rcount) {
            detail::readField(m_statement.get(), static_cast<int>(i), *field, record);
        }
    }
}

std::int64_t RecordCursor::rowId() const {
    if (m_atEnd || m_rowIdColumn < 0) {
        return 0;
    }
    const std::lock_guard guard(*m_session);
    return sqlite3_column_int64(m_statement.get(), m_rowIdColumn);
}

int RecordCursor::writeCurrent(const HistoryRecord& record) {
    if (m_session->writesRefused()) {
        return 1;
    }
    if (m_rowIdColumn < 0) {
        m_session->report("This query is read-only.");
        return 1;
    }
    if (m_connection != m_session->handle()) {
        m_session->report("The database this query was opened on is no longer connected.");
        return 1;
    }
    const std::int64_t rowId = sqlite3_column_int64(m_statement.get(), m_rowIdColumn);
    if (!keepsTimeAndRain(rowId, record)) {
        m_session->rainTotal().invalidate();
    }
    static const std::string kUpdate = detail::updateRecordStatement();
    const detail::StatementUse update = m_session->cached(kUpdate);
    if (!update) {
        return 1;
    }
    detail::bindRecord(update.get(), record);
    sqlite3_bind_int64(update.get(), static_cast<int>(kRecordColumnCount) + 1, rowId);
    if (sqlite3_step(update.get()) != SQLITE_DONE) {
        m_session->reportEngineError();
        return 1;
    }
    return 0;
}

bool RecordCursor::keepsTimeAndRain(std::int64_t rowId, const HistoryRecord& record) {
    // Asked of the table, not of this cursor's row, which may show values from before
    // another write.
    const detail::StatementUse stored =
        m_session->cached("SELECT Time, Rain FROM Records WHERE rowid = ?1");
    if (!stored) {
        return false;
    }
    sqlite3_bind_int64(stored.get(), 1, rowId);
    return sqlite3_step(stored.get()) == SQLITE_ROW &&
           sqlite3_column_type(stored.get(), 0) != SQLITE_NULL &&
           sqlite3_column_type(stored.get(), 1) != SQLITE_NULL &&
           sqlite3_column_double(stored.get(), 0) == record.Time &&
           sqlite3_column_double(stored.get(), 1) == static_cast<double>(record.Rain);
}

}  // namespace nimbra
