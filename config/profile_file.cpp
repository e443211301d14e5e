#include "config/profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <mutex>
#include <optional>
#include <vector>

namespace nimbra {

namespace {

// One process-wide lock: the profile functions serialised every caller, and the
// upload dialogs write while other threads may read.
std::mutex& profileMutex() {
    static std::mutex mutex;
    return mutex;
}

std::string_view trim(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// A descriptor closed on every way out.
struct OpenFile {
    explicit OpenFile(int descriptor) : fd(descriptor) {}
    ~OpenFile() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    const int fd;
};

// The file's lines; none for a missing file, nothing at all for a file that exists but
// cannot be read (a folder, no permission, an I/O error): a write must not replace what
// it could not see.
std::optional<std::vector<std::string>> readLines(const std::filesystem::path& path) {
    const OpenFile file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (file.fd < 0) {
        return errno == ENOENT ? std::optional(std::vector<std::string>()) : std::nullopt;
    }
    std::string content;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(file.fd, buffer, sizeof buffer);
        if (n > 0) {
            content.append(buffer, static_cast<std::size_t>(n));
        } else if (n == 0) {
            break;
        } else if (errno != EINTR) {
            return std::nullopt;
        }
    }
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < content.size();) {
        const auto end = std::min(content.find('\n', start), content.size());
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(std::move(line));
        start = end + 1;
    }
    if (!lines.empty() && lines.front().starts_with("\xEF\xBB\xBF")) {
        lines.front().erase(0, 3);
    }
    return lines;
}

// The section name of a "[name]" header line, if it is one.
std::optional<std::string_view> sectionOf(std::string_view line) {
    line = trim(line);
    if (line.size() < 2 || line.front() != '[') {
        return std::nullopt;
    }
    const auto close = line.find(']');
    if (close == std::string_view::npos) {
        return std::nullopt;
    }
    return trim(line.substr(1, close - 1));
}

bool isKeyLine(std::string_view line, std::string_view key, std::string_view* value) {
    const auto trimmed = trim(line);
    if (trimmed.empty() || trimmed.front() == ';') {
        return false;
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos ||
        !equalsIgnoringCase(trim(line.substr(0, equals)), key)) {
        return false;
    }
    if (value != nullptr) {
        *value = line.substr(equals + 1);
    }
    return true;
}

// Cuts to `count` characters without splitting a UTF-8 sequence.
std::string firstCharacters(std::string_view text, std::size_t count) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if ((byte & 0xC0) != 0x80 && characters++ == count) {
            return std::string(text.substr(0, i));
        }
    }
    return std::string(text);
}

bool replaceFile(const std::filesystem::path& path, const std::vector<std::string>& lines) {
    std::string content;
    for (const auto& line : lines) {
        content += line;
        content += '\n';
    }
    std::string temp = path.string() + ".XXXXXX";
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        return false;
    }
    bool written = true;
    for (std::size_t done = 0; written && done < content.size();) {
        const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
        written = n > 0;
        done += written ? static_cast<std::size_t>(n) : 0;
    }
    // The file holds the upload passwords: readable by its owner only.
    written = written && ::fchmod(fd, 0600) == 0 && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(temp.c_str(), path.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

// Sets `key` in `section` of the file's lines, adding the section and key when missing.
void setKey(std::vector<std::string>& lines, std::string_view section, std::string_view key,
            std::string_view value) {
    std::string safeValue(value);
    std::replace_if(
        safeValue.begin(), safeValue.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    std::string newLine = std::string(key) + "=" + safeValue;

    std::optional<std::size_t> sectionStart;
    std::size_t insertAt = lines.size();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = sectionOf(lines[i])) {
            if (sectionStart) {
                break;  // end of our section: the key was not in it
            }
            if (equalsIgnoringCase(*name, section)) {
                sectionStart = i;
                insertAt = i + 1;
            }
            continue;
        }
        if (!sectionStart) {
            continue;
        }
        if (isKeyLine(lines[i], key, nullptr)) {
            lines[i] = std::move(newLine);
            return;
        }
        if (!trim(lines[i]).empty()) {
            insertAt = i + 1;  // new keys go after the section's last non-blank line
        }
    }
    if (sectionStart) {
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), std::move(newLine));
    } else {
        std::string header(1, '[');
        header.append(section).push_back(']');
        lines.push_back(std::move(header));
        lines.push_back(std::move(newLine));
    }
}

}  // namespace

ProfileFile::ProfileFile(std::filesystem::path path) : m_path(std::move(path)) {}

std::string ProfileFile::readString(std::string_view section, std::string_view key) const {
    std::lock_guard lock(profileMutex());
    bool inSection = false;
    for (const auto& line : readLines(m_path).value_or(std::vector<std::string>())) {
        if (const auto name = sectionOf(line)) {
            inSection = equalsIgnoringCase(*name, section);
            continue;
        }
        std::string_view value;
        if (inSection && isKeyLine(line, key, &value)) {
            return firstCharacters(value, kMaxValueLength);
        }
    }
    return {};
}

bool ProfileFile::writeString(std::string_view section, std::string_view key,
                              std::string_view value) {
    std::lock_guard lock(profileMutex());
    auto lines = readLines(m_path);
    if (!lines) {
        return false;
    }
    setKey(*lines, section, key, value);
    return replaceFile(m_path, *lines);
}

bool ProfileFile::writeStrings(const std::vector<ProfileEntry>& entries) {
    std::lock_guard lock(profileMutex());
    auto lines = readLines(m_path);
    if (!lines) {
        return false;
    }
    for (const ProfileEntry& entry : entries) {
        setKey(*lines, entry.section, entry.key, entry.value);
    }
    return replaceFile(m_path, *lines);
}

bool ProfileFile::makeWritable() const {
    std::error_code error;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, error);
    return !error;
}

}  // namespace nimbra
