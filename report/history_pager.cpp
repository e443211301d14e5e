#include "report/history_pager.h"

#include <algorithm>
#include <cmath>

namespace nimbra {

namespace {

constexpr std::size_t kCachedPages = 64;
// Rows a forward step may walk before a reopen at a counted time is cheaper.
constexpr std::int64_t kStepLimit = 2048;
constexpr int kMaxCounts = 48;

}  // namespace

HistoryPager::HistoryPager(CWeatherDb& db, const RecordSearch& search, std::int64_t count)
    : m_db(db), m_search(search), m_count(count) {
    m_anchors.push_back({search.start.value(), 0});
    m_anchors.push_back({search.end.value(), count});
}

const HistoryRecord* HistoryPager::record(std::int64_t row) {
    if (row < 0 || row >= m_count) {
        return nullptr;
    }
    const Page* found = page(row / kPageRows);
    const auto offset = static_cast<std::size_t>(row % kPageRows);
    return found != nullptr && offset < found->size() ? &(*found)[offset] : nullptr;
}

const HistoryPager::Page* HistoryPager::page(std::int64_t index) {
    if (const auto found = m_pages.find(index); found != m_pages.end()) {
        m_recent.remove(index);
        m_recent.push_front(index);
        return &found->second;
    }
    Page fresh;
    if (!readPage(index, fresh)) {
        return nullptr;
    }
    if (m_pages.size() >= kCachedPages) {
        m_pages.erase(m_recent.back());
        m_recent.pop_back();
    }
    m_recent.push_front(index);
    return &m_pages.emplace(index, std::move(fresh)).first->second;
}

bool HistoryPager::readPage(std::int64_t index, Page& page) {
    const std::int64_t first = index * kPageRows;
    const std::optional<Position> from = seek(first);
    RecordCursor cursor;
    if (!from || m_db.OpenSearch(m_search, from->after, cursor) != 0) {
        return false;
    }
    std::int64_t row = from->row;
    for (; row < first && !cursor.atEnd(); ++row) {
        if (cursor.moveNext() != 0) {
            return false;
        }
    }
    const std::int64_t last = std::min(first + kPageRows, m_count);
    page.reserve(static_cast<std::size_t>(last - first));
    HistoryRecord record;
    RecordKey key;
    for (; row < last && !cursor.atEnd(); ++row) {
        if (cursor.ExchangeRecord(record, ExchangeDirection::read) != 0) {
            return false;
        }
        page.push_back(record);
        key = {record.Time, cursor.rowId()};
        if (cursor.moveNext() != 0) {
            return false;
        }
    }
    if (!page.empty()) {
        m_next = Position{key, row};
    }
    return !page.empty();
}

std::optional<HistoryPager::Position> HistoryPager::seek(std::int64_t row) {
    if (m_next && m_next->row <= row && row - m_next->row <= kStepLimit) {
        return m_next;
    }
    // The nearest known counts on either side of the row.
    Anchor low = m_anchors.front();
    Anchor high = m_anchors.back();
    for (const Anchor& a : m_anchors) {
        if (a.rows <= row && (a.rows > low.rows || (a.rows == low.rows && a.time > low.time))) {
            low = a;
        }
        if (a.rows > row && a.rows < high.rows) {
            high = a;
        }
    }
    // Aim a little before the row so the count lands below it and a short step remains.
    const double aim = static_cast<double>(std::max<std::int64_t>(row - kStepLimit / 2, 0));
    for (int i = 0; i < kMaxCounts && row - low.rows > kStepLimit && high.rows > low.rows; ++i) {
        const double share =
            (aim - static_cast<double>(low.rows)) / static_cast<double>(high.rows - low.rows);
        // Interpolate while it converges; halve the interval when the rows bunch up.
        const double fraction = i < 4 ? std::clamp(share, 0.0, 1.0) : 0.5;
        const double time = low.time + (high.time - low.time) * fraction;
        if (!(time > low.time && time < high.time)) {
            break;  // no time lies between the two: the rows share one time
        }
        std::int64_t counted = 0;
        const bool fromLow = fraction <= 0.5;
        const int failed =
            fromLow ? m_db.CountSearch(m_search, OleDate(low.time), OleDate(time), counted)
                    : m_db.CountSearch(m_search, OleDate(time), OleDate(high.time), counted);
        ++m_countsRun;
        if (failed != 0) {
            return std::nullopt;
        }
        const Anchor found{time, fromLow ? low.rows + counted : high.rows - counted};
        m_anchors.push_back(found);
        if (found.rows <= row) {
            low = found;
        } else {
            high = found;
        }
    }
    return Position{RecordKey{low.time}, low.rows};
}

}  // namespace nimbra
