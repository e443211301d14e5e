#include "tests/support/temp_folder.h"

#include <cstdlib>
#include <stdexcept>

namespace nimbra::testing {

TempFolder::TempFolder(const std::string& prefix, Access access) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    m_path = pattern;
    if (access == Access::everyone) {
        std::filesystem::permissions(
            m_path,
            std::filesystem::perms::group_read | std::filesystem::perms::group_exec |
                std::filesystem::perms::others_read | std::filesystem::perms::others_exec,
            std::filesystem::perm_options::add);
    }
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

}  // namespace nimbra::testing
