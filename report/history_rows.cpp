#include "report/history_rows.h"

namespace nimbra {

CursorRows::CursorRows(RecordCursor& cursor, const HistoryTable& table, std::int64_t limit)
    : m_cursor(cursor), m_table(table), m_limit(limit) {}

bool CursorRows::next(HistoryCells& cells) {
    if (m_failed || m_read >= m_limit || m_cursor.atEnd()) {
        return false;
    }
    if (m_cursor.ExchangeRecord(m_record, ExchangeDirection::read) != 0) {
        m_failed = true;
        return false;
    }
    ++m_read;
    m_table.cells(m_record, m_read, cells);
    if (m_cursor.moveNext() != 0) {
        m_failed = true;  // this row is good; the walk ends after it
        m_limit = m_read;
    }
    return true;
}

bool PagerRows::next(HistoryCells& cells) {
    if (m_failed || m_row >= m_pager.size()) {
        return false;
    }
    const HistoryRecord* record = m_pager.record(m_row);
    if (record == nullptr) {
        m_failed = true;  // the row is no longer stored, or the store cannot be read
        return false;
    }
    ++m_row;
    m_table.cells(*record, m_row, cells);
    return true;
}

}  // namespace nimbra
