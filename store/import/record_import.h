#pragma once

#include <filesystem>
#include <optional>

#include "store/import/import_result.h"
#include "store/import/text_time.h"

namespace nimbra {

enum class ImportSource { database, accessDatabase, textExport };

// The kind of source a file name stands for: ".db" another database of this program,
// ".mdb" an Access database, ".dat" a comma-separated text export; the case of the
// extension does not matter. Empty for any other name.
std::optional<ImportSource> importSourceOf(const std::filesystem::path& file);

struct ImportOptions {
    ImportProgress progress;
    // The date order of the times in a text export; the user's locale's when empty.
    std::optional<DateOrder> dateOrder;
    // Records stored per transaction.
    std::size_t batchSize = 10000;
};

// Copies the history records of `source` into the database at `database`.
//
// The source is read whole first, so a source that fails or is not what its name says
// leaves the database untouched. The records are then stored in transactions of
// `batchSize`: after a Cancel or an error, whole batches stay stored and the batch under
// way is stored up to the Cancel or dropped on the error. A record the database already
// holds by the rule of store/repeat_rule.h (stored before, or earlier in the same source)
// is skipped, so importing a source again, or a copy of the store whose times are some
// seconds off, adds nothing. A record whose time cannot be read is stored all the same,
// unless not one time of the source can be read: then nothing is.
ImportResult importRecords(const std::filesystem::path& database,
                           const std::filesystem::path& source, const ImportOptions& options = {});

}  // namespace nimbra
