#include "desktop/share_folder.h"

namespace nimbra {

std::optional<std::filesystem::path> findShareFolder() {
    std::error_code error;
    const auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return std::nullopt;
    }
    auto share = executable.parent_path().parent_path() / "share" / "nimbraplus";
    if (!std::filesystem::is_directory(share, error)) {
        return std::nullopt;
    }
    return share;
}

}  // namespace nimbra
