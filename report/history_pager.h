#pragma once

#include <cstdint>
#include <list>
#include <optional>
#include <unordered_map>
#include <vector>

#include "store/weather_db.h"

namespace nimbra {

// The records of one search, read from the store in pages as they are asked for, so a
// search over years opens at once and only what is shown is ever read. The rows are
// those of the search when it was made (RecordSearch): records stored since then stay
// out, so the list and its export show the same rows however long the list is open.
//
// No read stays open between pages: an open read would keep the database from ever
// folding its write-ahead log back while a download or an import writes. Each page opens
// a cursor, reads and closes it. Reading on from the last row read starts after that
// row's key; a jump far ahead or back opens at a time found by counting rows on the Time
// index: each count pins how many rows lie up to some time, and interpolation between
// known counts finds, in a few counts, a time just before the wanted row.
class HistoryPager {
public:
    static constexpr std::int64_t kPageRows = 256;

    // `search` has `count` rows; `db` must outlive the pager.
    HistoryPager(CWeatherDb& db, const RecordSearch& search, std::int64_t count);

    std::int64_t size() const { return m_count; }
    const RecordSearch& search() const { return m_search; }

    // The record of row `row` (from 0), or null when it cannot be read.
    const HistoryRecord* record(std::int64_t row);

    // Counts run so far; for tests of how far a jump reaches.
    int countsRun() const { return m_countsRun; }

private:
    // Rows up to and including `time` (all later than the start).
    struct Anchor {
        double time;
        std::int64_t rows;
    };
    // Where a read may start: `row` is the first row after `after`.
    struct Position {
        RecordKey after;
        std::int64_t row;
    };
    using Page = std::vector<HistoryRecord>;

    const Page* page(std::int64_t index);
    bool readPage(std::int64_t index, Page& page);
    std::optional<Position> seek(std::int64_t row);

    CWeatherDb& m_db;
    RecordSearch m_search;
    std::int64_t m_count;
    std::optional<Position> m_next;  // just after the last row read
    std::vector<Anchor> m_anchors;
    std::unordered_map<std::int64_t, Page> m_pages;
    std::list<std::int64_t> m_recent;  // page indices, most recently used first
    int m_countsRun = 0;
};

}  // namespace nimbra
