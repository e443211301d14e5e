#pragma once

#include <cstdint>
#include <list>
#include <unordered_map>
#include <vector>

#include "store/weather_db.h"

namespace nimbra {

// The records of one search, read from the store in pages as they are asked for, so a
// search over years opens at once and only what is shown is ever read.
//
// Reading on from the row the cursor stands on is a plain step. A jump far ahead or back
// reopens the cursor at a time found by counting rows on the Time index: each count
// pins how many rows lie up to some time, and interpolation between known counts finds,
// in a few counts, a time just before the wanted row.
class HistoryPager {
public:
    static constexpr std::int64_t kPageRows = 256;

    // `count` rows lie in (start, end]; `db` must outlive the pager.
    HistoryPager(CWeatherDb& db, OleDate start, OleDate end, std::int64_t count);

    std::int64_t size() const { return m_count; }
    OleDate start() const { return m_start; }
    OleDate end() const { return m_end; }

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
    using Page = std::vector<HistoryRecord>;

    const Page* page(std::int64_t index);
    bool readPage(std::int64_t index, Page& page);
    bool seek(std::int64_t row);
    bool reopenAt(const Anchor& anchor);
    bool stepTo(std::int64_t row);

    CWeatherDb& m_db;
    OleDate m_start;
    OleDate m_end;
    std::int64_t m_count;
    RecordCursor m_cursor;
    std::int64_t m_cursorRow = -1;  // row the cursor stands on; -1: not open
    std::vector<Anchor> m_anchors;
    std::unordered_map<std::int64_t, Page> m_pages;
    std::list<std::int64_t> m_recent;  // page indices, most recently used first
    int m_countsRun = 0;
};

}  // namespace nimbra
