#pragma once

#include <cstdio>
#include <filesystem>
#include <string>

namespace nimbra {

// A file being written by an export. The data goes to a temporary file beside `path`,
// which keep() renames over it after a complete write; a failed or cancelled export
// removes the temporary file, so it neither leaves a torn file that looks finished nor
// touches a file of that name that was there before.
class OutputFile {
public:
    // Creates the temporary file; on failure `error` says why and isOpen() is false.
    OutputFile(std::filesystem::path path, std::string& error);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    bool isOpen() const { return m_file != nullptr; }
    // False after a failed write; `error` is set on the first failure.
    bool write(const void* data, std::size_t size);
    // Brings the data to the disk and puts the file in place of `path`; false (with
    // `error`) when that failed, in which case `path` is as it was.
    bool keep();

    const std::string& error() const { return m_error; }

private:
    void fail(const char* what);
    void discard();

    std::filesystem::path m_path;
    std::filesystem::path m_temporary;
    std::FILE* m_file = nullptr;
    std::string m_error;
};

}  // namespace nimbra
