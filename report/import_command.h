#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace nimbra {

// `nimbraplus --import FILE`: imports `file` into the database at `database` as the
// import dialog does and prints to `out` how many records were read, stored and skipped.
// Returns 0 on success; otherwise non-zero with `error` saying what went wrong.
int runImportCommand(const std::filesystem::path& database, const std::string& file, std::FILE* out,
                     std::string& error);

}  // namespace nimbra
