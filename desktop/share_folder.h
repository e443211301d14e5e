#pragma once

#include <filesystem>
#include <optional>

namespace nimbra {

// The folder of the program's shipped data (string tables, the seed Main.ini), found
// beside the running executable as <bin>/../share/nimbraplus, so a build tree, an
// install prefix and a package all work without configuration.
std::optional<std::filesystem::path> findShareFolder();

}  // namespace nimbra
