#include "config/string_table.h"

#include <algorithm>
#include <charconv>
#include <fstream>

namespace nimbra {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kMenuPrefix = "menu.";
// A table is a few kilobytes; anything far larger is the wrong file.
constexpr std::uintmax_t kMaxFileSize = 1 << 20;

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

// Rejects overlong forms, surrogates and code points above U+10FFFF, so that
// every text reaches the display layer as well-formed UTF-8.
bool isValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        char32_t codePoint = 0;
        char32_t smallest = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            codePoint = lead & 0x1F;
            smallest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            codePoint = lead & 0x0F;
            smallest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            codePoint = lead & 0x07;
            smallest = 0x10000;
        } else {
            return false;
        }
        if (text.size() - i < static_cast<std::size_t>(length)) {
            return false;
        }
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) {
                return false;
            }
            codePoint = (codePoint << 6) | (next & 0x3F);
        }
        if (codePoint < smallest || codePoint > 0x10FFFF ||
            (codePoint >= 0xD800 && codePoint <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

std::optional<int> parseStringId(std::string_view key) {
    int id = 0;
    const auto [end, error] = std::from_chars(key.data(), key.data() + key.size(), id);
    if (key.empty() || error != std::errc{} || end != key.data() + key.size()) {
        return std::nullopt;
    }
    return id;
}

bool isMenuKey(std::string_view key) {
    return std::find(kMenuKeys.begin(), kMenuKeys.end(), key) != kMenuKeys.end();
}

const std::string& emptyText() {
    static const std::string empty;
    return empty;
}

}  // namespace

std::optional<StringTable> StringTable::load(const std::filesystem::path& file,
                                             std::string& error) {
    std::error_code notAFile;
    std::ifstream in;
    if (std::filesystem::is_regular_file(file, notAFile)) {
        in.open(file, std::ios::binary);
    }
    if (!in.is_open()) {
        error = "cannot open " + file.string();
        return std::nullopt;
    }
    std::error_code sizeUnknown;
    const auto size = std::filesystem::file_size(file, sizeUnknown);
    if (sizeUnknown || size > kMaxFileSize) {
        error = file.string() + " is not a string table (size " +
                (sizeUnknown ? "unknown" : std::to_string(size) + " bytes") + ")";
        return std::nullopt;
    }
    std::string content(size, '\0');
    if (!in.read(content.data(), static_cast<std::streamsize>(size))) {
        error = "cannot read " + file.string();
        return std::nullopt;
    }
    auto table = parse(content, error);
    if (!table) {
        error = file.string() + ": " + error;
    }
    return table;
}

std::optional<StringTable> StringTable::parse(std::string_view content, std::string& error) {
    if (content.starts_with(kByteOrderMark)) {
        content.remove_prefix(kByteOrderMark.size());
    }
    StringTable table;
    for (int lineNumber = 1; !content.empty(); ++lineNumber) {
        const auto lineEnd = content.find('\n');
        std::string_view line = content.substr(0, lineEnd);
        content.remove_prefix(lineEnd == std::string_view::npos ? content.size() : lineEnd + 1);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        if (trimmed(line).empty() || trimmed(line).starts_with('#')) {
            continue;
        }
        if (auto fault = table.addLine(line)) {
            error = "line " + std::to_string(lineNumber) + ": " + *fault;
            return std::nullopt;
        }
    }
    return table;
}

std::optional<std::string> StringTable::addLine(std::string_view line) {
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) {
        return "no \"=\" between id and text";
    }
    const std::string key(trimmed(line.substr(0, equals)));
    const auto text = line.substr(equals + 1);
    if (!isValidUtf8(text)) {
        return "text is not valid UTF-8";
    }
    if (key.starts_with(kMenuPrefix)) {
        if (!isMenuKey(key)) {
            return "unknown menu key \"" + key + "\"";
        }
        if (!m_menuTexts.emplace(key, text).second) {
            return "menu key \"" + key + "\" given twice";
        }
        return std::nullopt;
    }
    const auto id = parseStringId(key);
    if (!id) {
        return "\"" + key + "\" is neither a number nor a menu key";
    }
    if (*id < kFirstStringId || *id > kLastStringId) {
        return "id " + key + " is outside " + std::to_string(kFirstStringId) + "-" +
               std::to_string(kLastStringId);
    }
    if (!m_texts.emplace(*id, text).second) {
        return "id " + key + " given twice";
    }
    return std::nullopt;
}

const std::string& StringTable::text(int id) const {
    const auto found = m_texts.find(id);
    return found == m_texts.end() ? emptyText() : found->second;
}

const std::string& StringTable::menuText(std::string_view key) const {
    const auto found = m_menuTexts.find(key);
    return found == m_menuTexts.end() ? emptyText() : found->second;
}

std::string fillTextArguments(std::string_view pattern,
                              std::initializer_list<std::string_view> arguments) {
    std::string filled;
    auto next = arguments.begin();
    for (auto marker = pattern.find("%s"); marker != std::string_view::npos;
         marker = pattern.find("%s")) {
        filled += pattern.substr(0, marker);
        if (next != arguments.end()) {
            filled += *next++;
        }
        pattern.remove_prefix(marker + 2);
    }
    filled += pattern;
    return filled;
}

}  // namespace nimbra
