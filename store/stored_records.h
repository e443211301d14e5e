#pragma once

#include <vector>

#include "core/history_record.h"
#include "store/repeat_rule.h"
#include "store/weather_db.h"

namespace nimbra {

// The records already in the database around a batch about to be stored, held in memory
// so that each record of the batch is told stored or new (by the rule of repeat_rule.h)
// without a query of its own.
class StoredRecords {
public:
    // Reads the stored records from a little before `first` to a little after `last`.
    // False after a reported database failure.
    bool load(CWeatherDb& db, const OleDate& first, const OleDate& last);

    // `readAgain` as for RepeatToleranceSeconds.
    bool contains(const HistoryRecord& record, bool readAgain = false) const;

private:
    std::vector<HistoryRecord> m_records;  // in time order
};

}  // namespace nimbra
