#pragma once

#include <filesystem>
#include <optional>

namespace nimbra {

inline constexpr const char* kConfigFileName = "Main.ini";
inline constexpr const char* kDatabaseFileName = "Nimbra7420.db";
// The emulated station's memory, kept between runs of --emulator (and its clock beside it).
inline constexpr const char* kEmulatedStationFileName = "EmulatedStation.bin";

// The per-user folder that holds the database and Main.ini:
// $XDG_DATA_HOME/Nimbra7420, by default ~/.local/share/Nimbra7420, unless overridden.
std::filesystem::path defaultDataFolder();

// Creates the data folder when missing and seeds Main.ini from the installed share
// folder when the data folder has none: an existing copy, edited or not, is never
// replaced. A read-only Main.ini is made writable. Failures are not fatal: the program
// then runs on whatever files exist (a missing Main.ini reads as all keys empty).
void prepareDataFolder(const std::filesystem::path& dataFolder,
                       const std::optional<std::filesystem::path>& shareFolder);

}  // namespace nimbra
