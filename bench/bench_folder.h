// The folder a benchmark keeps its data in: the one named as its first argument (kept, so
// a later run reuses the data it holds), else a fresh one under $TMPDIR, removed at the end.
#pragma once

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

namespace nimbra::bench {

class BenchFolder {
public:
    BenchFolder(int argc, char** argv, const std::string& program) {
        if (argc > 1) {
            m_path = argv[1];
            std::filesystem::create_directories(m_path);
            return;
        }
        std::string pattern =
            (std::filesystem::temp_directory_path() / (program + "_XXXXXX")).string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror(program.c_str());
            return;
        }
        m_path = pattern;
        m_owned = true;
    }
    ~BenchFolder() {
        if (m_owned) {
            std::error_code ignored;
            std::filesystem::remove_all(m_path, ignored);
        }
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    bool ok() const { return !m_path.empty(); }
    const std::filesystem::path& path() const { return m_path; }

private:
    std::filesystem::path m_path;
    bool m_owned = false;
};

}  // namespace nimbra::bench
