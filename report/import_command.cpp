#include "report/import_command.h"

#include <optional>

#include "config/string_ids.h"
#include "store/import/record_import.h"

namespace nimbra {

int runImportCommand(const std::filesystem::path& database, const std::string& file, std::FILE* out,
                     const TextLookup& strings, std::string& error) {
    // The import reports a stage only every few thousand records, so the first one is
    // told before it starts.
    std::optional<ImportStage> shown = ImportStage::reading;
    std::fprintf(out, "%s\n", importStageText(ImportStage::reading, file, strings).c_str());
    std::fflush(out);
    ImportOptions options;
    options.progress = [&](ImportStage stage, std::uint64_t, std::uint64_t) {
        if (shown != stage) {
            shown = stage;
            std::fprintf(out, "%s\n", importStageText(stage, file, strings).c_str());
            std::fflush(out);
        }
        return true;
    };
    const ImportResult result = importRecords(database, file, options);
    if (result.status == ImportStatus::targetUnavailable) {
        error = strings(kTextCannotOpenDatabase) + " " + database.string() +
                (result.error.empty() ? "" : ": " + result.error);
        return 1;
    }
    if (result.status == ImportStatus::notImportable ||
        result.status == ImportStatus::sourceUnreadable) {
        error = result.error;
        return 1;
    }
    std::fprintf(out, "%s:\n%s\n", file.c_str(), importCountsText(result, strings).c_str());
    if (result.status == ImportStatus::storeFailed) {
        error = strings(kTextImportStoreFailed) +
                (result.error.empty() ? std::string() : ": " + result.error) + ". " +
                strings(kTextImportStoredStay);
        return 1;
    }
    return 0;
}

}  // namespace nimbra
