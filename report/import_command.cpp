#include "store/import/import_command.h"

#include <cinttypes>

#include "store/import/record_import.h"

namespace nimbra {

int runImportCommand(const std::filesystem::path& database, const std::string& file, std::FILE* out,
                     std::string& error) {
    const ImportResult result = importRecords(database, file);
    if (result.status == ImportStatus::targetUnavailable) {
        error = "Cannot open the database! " + database.string() +
                (result.error.empty() ? "" : ": " + result.error);
        return 1;
    }
    if (result.status == ImportStatus::notImportable ||
        result.status == ImportStatus::sourceUnreadable) {
        error = result.error;
        return 1;
    }
    std::fprintf(out,
                 "%s: %" PRIu64 " records read, %" PRIu64 " stored, %" PRIu64
                 " skipped as already stored, %" PRIu64 " with a time that cannot be read, %" PRIu64
                 " lines skipped as unreadable\n",
                 file.c_str(), result.read, result.stored, result.duplicates,
                 result.unreadableTimes, result.unreadable);
    if (result.status == ImportStatus::storeFailed) {
        error = "storing the records failed" +
                (result.error.empty() ? std::string() : ": " + result.error) +
                "; the records counted as stored stay in the database";
        return 1;
    }
    return 0;
}

}  // namespace nimbra
