#pragma once

#include <cstdint>
#include <unordered_set>

#include "store/weather_db.h"

namespace nimbra {

// The times, to the second, of the records stored over a span: how an import recognises
// a record it has already stored. Loaded once with one indexed range query, so each
// record costs a hash lookup, not a query.
class StoredTimes {
public:
    // Loads the times of the stored records from `first` to `last`; false after a failure
    // the database object has reported.
    bool load(CWeatherDb& db, double first, double last);

    bool contains(double time) const { return m_seconds.contains(secondOf(time)); }
    void add(double time) { m_seconds.insert(secondOf(time)); }

    // The whole second an OLE date falls in, rounded to the nearest.
    static std::int64_t secondOf(double time);

private:
    std::unordered_set<std::int64_t> m_seconds;
};

}  // namespace nimbra
