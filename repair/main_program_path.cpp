#include "repair/main_program_path.h"

namespace nimbra::repair {

std::filesystem::path mainProgramBesideSelf(std::error_code& error) {
    // The link names the real file even when the tool was started through a symlink.
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return {};
    }
    return self.parent_path() / kMainProgramName;
}

}  // namespace nimbra::repair
