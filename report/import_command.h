#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

#include "report/import_texts.h"

namespace nimbra {

// `nimbraplus --import FILE`: imports `file` into the database at `database` as the
// import dialog does, printing to `out` each stage as it starts and then how many records
// were read, stored and skipped, in the user's language. Returns 0 on success; otherwise
// non-zero with `error` saying what went wrong.
int runImportCommand(const std::filesystem::path& database, const std::string& file, std::FILE* out,
                     const TextLookup& strings, std::string& error);

}  // namespace nimbra
