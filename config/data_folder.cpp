#include "config/data_folder.h"

#include <cstdlib>

#include "config/profile_file.h"

namespace nimbra {

namespace fs = std::filesystem;

fs::path defaultDataFolder() {
    const char* dataHome = std::getenv("XDG_DATA_HOME");
    if (dataHome != nullptr && *dataHome == '/') {
        return fs::path(dataHome) / "Nimbra7420";
    }
    const char* home = std::getenv("HOME");
    return fs::path(home != nullptr && *home != '\0' ? home : "/tmp") / ".local/share/Nimbra7420";
}

void prepareDataFolder(const fs::path& dataFolder, const std::optional<fs::path>& shareFolder) {
    std::error_code error;
    fs::create_directories(dataFolder, error);
    const fs::path config = dataFolder / kConfigFileName;
    if (shareFolder && !fs::exists(config, error)) {
        fs::copy_file(*shareFolder / kConfigFileName, config, fs::copy_options::skip_existing,
                      error);
    }
    if (fs::is_regular_file(config, error)) {
        ProfileFile(config).makeWritable();
        // The seed comes world-readable from the share folder; passwords will go in here.
        fs::permissions(config, fs::perms::group_all | fs::perms::others_all,
                        fs::perm_options::remove, error);
    }
}

}  // namespace nimbra
