#pragma once

#include <filesystem>
#include <string>

namespace nimbra::testing {

// A fresh folder under $TMPDIR, removed with everything in it.
class TempFolder {
public:
    // `everyone` lets a test look into it as an unprivileged user.
    enum class Access { owner, everyone };

    explicit TempFolder(const std::string& prefix = "nimbra-test", Access access = Access::owner);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

}  // namespace nimbra::testing
