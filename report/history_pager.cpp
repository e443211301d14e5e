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

HistoryPager::HistoryPager(CWeatherDb& db, OleDate start, OleDate end, std::int64_t count)
    : m_db(db), m_start(start), m_end(end), m_count(count) {
    m_anchors.push_back({start.value(), 0});
    m_anchors.push_back({end.value(), count});
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
    if (!seek(first)) {
        return false;
    }
    const std::int64_t last = std::min(first + kPageRows, m_count);
    page.reserve(static_cast<std::size_t>(last - first));
    HistoryRecord record;
    while (m_cursorRow < last && !m_cursor.atEnd()) {
        if (m_cursor.ExchangeRecord(record, ExchangeDirection::read) != 0) {
            m_cursorRow = -1;
            return false;
        }
        page.push_back(record);
        ++m_cursorRow;
        if (m_cursor.moveNext() != 0) {
            m_cursorRow = -1;
            break;
        }
    }
    return !page.empty();
}

bool HistoryPager::seek(std::int64_t row) {
    if (m_cursorRow >= 0 && m_cursorRow <= row && row - m_cursorRow <= kStepLimit) {
        return stepTo(row);
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
            fromLow
                ? m_db.OpenCount(OleDate(low.time), OleDate(time), RecordColumn::Time, counted)
                : m_db.OpenCount(OleDate(time), OleDate(high.time), RecordColumn::Time, counted);
        ++m_countsRun;
        if (failed != 0) {
            return false;
        }
        const Anchor found{time, fromLow ? low.rows + counted : high.rows - counted};
        m_anchors.push_back(found);
        if (found.rows <= row) {
            low = found;
        } else {
            high = found;
        }
    }
    return reopenAt(low) && stepTo(row);
}

bool HistoryPager::reopenAt(const Anchor& anchor) {
    m_cursorRow = -1;
    if (m_db.FillHistoryList(OleDate(anchor.time), m_end, m_cursor) != 0) {
        return false;
    }
    m_cursorRow = anchor.rows;
    return true;
}

bool HistoryPager::stepTo(std::int64_t row) {
    while (m_cursorRow < row) {
        if (m_cursor.atEnd() || m_cursor.moveNext() != 0) {
            m_cursorRow = -1;
            return false;
        }
        ++m_cursorRow;
    }
    return !m_cursor.atEnd();
}

}  // namespace nimbra
