#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace nimbra {

// One key of a ProfileFile with the value it is to get.
struct ProfileEntry {
    const char* section;
    const char* key;
    std::string value;

    friend bool operator==(const ProfileEntry&, const ProfileEntry&) = default;
};

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

    // Sets every key of `entries`, in their order, with one replacement of the file: all
    // of them are written or, when that fails, none.
    bool writeStrings(const std::vector<ProfileEntry>& entries);

    // Gives the owner write permission on an existing read-only file.
    bool makeWritable() const;

private:
    std::filesystem::path m_path;
};

}  // namespace nimbra
