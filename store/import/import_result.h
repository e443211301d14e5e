#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/ole_date.h"

namespace nimbra {

// The two passes of an import: the source is read whole into a private file first, so a
// source that turns out unreadable changes nothing; then its records are stored.
enum class ImportStage { reading, storing };

// Called now and then during an import with how far the stage has come (`total` may be 0
// when unknown). Returning false cancels: what was stored before stays.
using ImportProgress =
    std::function<bool(ImportStage stage, std::uint64_t done, std::uint64_t total)>;

enum class ImportStatus {
    done,
    cancelled,
    notImportable,      // the file's kind is none this program reads
    sourceUnreadable,   // the source cannot be opened, is not what its name says, or
                        // holds records of which not one time could be read
    targetUnavailable,  // the program's own database cannot be opened
    storeFailed,        // storing stopped at an error; earlier batches stay stored
};

struct ImportResult {
    ImportStatus status = ImportStatus::done;
    std::uint64_t read = 0;        // records read from the source
    std::uint64_t stored = 0;      // records added to the database
    std::uint64_t duplicates = 0;  // records already in the database, skipped
    std::uint64_t unreadable = 0;  // lines or rows that are no record, skipped
    // Records read whose time could not be read: stored (on the zero date, or the day
    // before it for a date out of range) and never taken for records already stored.
    std::uint64_t unreadableTimes = 0;
    // Earliest and latest time among the source's records now in the database, stored by
    // this import or found there already; empty when there are none.
    std::optional<OleDate> first;
    std::optional<OleDate> last;
    std::string error;  // why the import failed, for the user

    bool succeeded() const {
        return status == ImportStatus::done || status == ImportStatus::cancelled;
    }
};

}  // namespace nimbra
