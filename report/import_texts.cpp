#include "report/import_texts.h"

#include "config/string_ids.h"
#include "config/string_table.h"

namespace nimbra {

std::string importStageText(ImportStage stage, const std::string& source,
                            const TextLookup& strings) {
    return stage == ImportStage::reading ? fillTextArguments(strings(kTextImportReading), {source})
                                         : strings(kTextImportStoring);
}

std::string importCountsText(const ImportResult& result, const TextLookup& strings) {
    const auto line = [&strings](int id, std::initializer_list<std::string_view> counts) {
        return fillTextArguments(strings(id), counts);
    };
    return line(kTextImportReadStored,
                {std::to_string(result.read), std::to_string(result.stored)}) +
           "\n" + line(kTextImportDuplicates, {std::to_string(result.duplicates)}) + "\n" +
           line(kTextImportBadTimes, {std::to_string(result.unreadableTimes)}) + "\n" +
           line(kTextImportUnreadable, {std::to_string(result.unreadable)});
}

}  // namespace nimbra
