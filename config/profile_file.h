#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace nimbra {

// An INI file read and written one key at a time, with the semantics of the classic
// profile functions: section and key names match case-insensitively, a value is
// everything after the first "=" of its line, verbatim, and a write replaces only the
// line of its key, leaving every other line, comment and order untouched. The file is
// never reinterpreted as a whole, so hand edits survive.
class ProfileFile {
public:
    // Reads are cut to this many characters, as the fixed read buffer always did.
    static constexpr std::size_t kMaxValueLength = 259;

    explicit ProfileFile(std::filesystem::path path);

    const std::filesystem::path& path() const { return m_path; }

    // The value of `key` in `section`; empty when the file, section or key is missing.
    std::string readString(std::string_view section, std::string_view key) const;

    // Sets `key` in `section`, adding the section and key when missing. The file is
    // replaced atomically so that a crash or power cut leaves the old or the new file,
    // never a torn one, and gets mode 0600, as it holds passwords. Line breaks in the
    // value become spaces (they would split the line). Returns false when the file
    // cannot be written, or exists but cannot be read: its other lines would be lost.
    bool writeString(std::string_view section, std::string_view key, std::string_view value);

    // Gives the owner write permission on an existing read-only file.
    bool makeWritable() const;

private:
    std::filesystem::path m_path;
};

}  // namespace nimbra
