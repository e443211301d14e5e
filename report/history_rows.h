#pragma once

#include <cstdint>
#include <functional>

#include "report/history_pager.h"
#include "report/history_table.h"
#include "store/record_cursor.h"

namespace nimbra {

// The rows an export writes, in order, already as the list shows them.
class HistoryRowSource {
public:
    virtual ~HistoryRowSource() = default;
    // How many rows next() will give (for progress).
    virtual std::int64_t size() const = 0;
    // The next row's cells; false after the last row or when reading failed.
    virtual bool next(HistoryCells& cells) = 0;
    // Whether the rows ended because the store could not be read.
    virtual bool failed() const = 0;
};

// Rows of an open record cursor, numbered from 1, at most `limit` of them.
class CursorRows : public HistoryRowSource {
public:
    CursorRows(RecordCursor& cursor, const HistoryTable& table, std::int64_t limit);

    std::int64_t size() const override { return m_limit; }
    bool next(HistoryCells& cells) override;
    bool failed() const override { return m_failed; }

private:
    RecordCursor& m_cursor;
    const HistoryTable& m_table;
    std::int64_t m_limit;
    std::int64_t m_read = 0;
    HistoryRecord m_record;
    bool m_failed = false;
};

// The rows of a search exactly as its list shows them, read through a pager of its own so
// that the list keeps its pages.
class PagerRows : public HistoryRowSource {
public:
    PagerRows(HistoryPager& pager, const HistoryTable& table) : m_pager(pager), m_table(table) {}

    std::int64_t size() const override { return m_pager.size(); }
    bool next(HistoryCells& cells) override;
    bool failed() const override { return m_failed; }

private:
    HistoryPager& m_pager;
    const HistoryTable& m_table;
    std::int64_t m_row = 0;
    bool m_failed = false;
};

// Told how many of `total` rows are written; returns false to cancel the export.
using ExportProgress = std::function<bool(std::int64_t done, std::int64_t total)>;

}  // namespace nimbra
