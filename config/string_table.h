#pragma once

#include <array>
#include <filesystem>
#include <initializer_list>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace nimbra {

inline constexpr int kFirstStringId = 3001;
inline constexpr int kLastStringId = 3399;  // 3106-3399: later features, in ranges of their own

// Keys of the main window's menu captions, pop-ups before their items.
inline constexpr std::array<std::string_view, 19> kMenuKeys{{
    "menu.system",          "menu.system.setting",
    "menu.system.alarm",    "menu.system.maxmin",
    "menu.system.language", "menu.record",
    "menu.record.history",  "menu.record.graph",
    "menu.upload",          "menu.upload.wunderground",
    "menu.upload.wow",      "menu.upload.weathercloud",
    "menu.upload.mqtt",     "menu.upload.cwop",
    "menu.upload.windy",    "menu.upload.openweathermap",
    "menu.upload.location", "menu.help",
    "menu.help.about",
}};

// The user-interface texts of one language, read from a UTF-8 file of lines
//   3001=Pressure
//   menu.system=System
// where the text is everything after the first "=", trailing spaces included.
// Blank lines and lines starting with "#" are ignored; CR LF line ends and a
// leading byte order mark are accepted.
class StringTable {
public:
    // The table in `file`, or nothing with `error` describing the first fault
    // (unreadable file, or the line number and what is wrong with that line).
    static std::optional<StringTable> load(const std::filesystem::path& file, std::string& error);
    static std::optional<StringTable> parse(std::string_view content, std::string& error);

    // Empty when this language has no text for `id`: a gap never falls back to
    // another language.
    const std::string& text(int id) const;
    const std::string& menuText(std::string_view key) const;

    // Every id this language has, with its text.
    const std::map<int, std::string>& texts() const { return m_texts; }

private:
    // The fault of one non-blank, non-comment line, or nothing once it is stored.
    std::optional<std::string> addLine(std::string_view line);

    std::map<int, std::string> m_texts;
    std::map<std::string, std::string, std::less<>> m_menuTexts;
};

// `pattern` with each "%s" replaced by the next of `arguments`, in order. A
// marker without an argument becomes empty and surplus arguments are dropped,
// so a translated pattern can never read past what the caller passed.
std::string fillTextArguments(std::string_view pattern,
                              std::initializer_list<std::string_view> arguments);

}  // namespace nimbra
