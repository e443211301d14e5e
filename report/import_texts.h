#pragma once

#include <functional>
#include <string>

#include "store/import/import_result.h"

namespace nimbra {

// Answers a string id with its text in the user's language.
using TextLookup = std::function<std::string(int)>;

// What an import is doing, e.g. "Reading /home/me/old.dat ...".
std::string importStageText(ImportStage stage, const std::string& source,
                            const TextLookup& strings);

// What an import read, stored and skipped, one line per count.
std::string importCountsText(const ImportResult& result, const TextLookup& strings);

}  // namespace nimbra
