#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace nimbra {

// A file being written by an export: created (or emptied) on open, closed by its owner's
// end, and removed again unless the writer called keep() after a complete write, so a
// failed or cancelled export never leaves a torn file that looks finished.
class OutputFile {
public:
    // Creates `path`; on failure `error` says why and isOpen() is false.
    OutputFile(std::filesystem::path path, std::string& error);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool isOpen() const { return m_file != nullptr; }
    // False after a failed write; `error` is set on the first failure.
    bool write(const void* data, std::size_t size);
    // Flushes and closes the file and keeps it; false (with `error`) when the data did not
    // reach the disk, in which case the file is removed.
    bool keep();

    const std::string& error() const { return m_error; }

private:
    void fail(const char* what);

    std::filesystem::path m_path;
    std::FILE* m_file = nullptr;
    std::string m_error;
};

}  // namespace nimbra
