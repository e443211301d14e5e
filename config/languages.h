#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string_view>

namespace nimbra {

// One user-interface language. `storedName` is what Main.ini keeps and what the
// Language dialog lists; `localeId` is the Windows-style locale number the
// configuration has always used; `fileCode` names the string table file.
struct UiLanguage {
    int listPosition;
    std::string_view storedName;
    int localeId;
    std::string_view fileCode;
};

// In the order of the Language dialog's list.
inline constexpr std::array<UiLanguage, 10> kLanguages{{
    {0, "Chinese", 2052, "zh_CN"},
    {1, "Czech", 1029, "cs"},
    {2, "Danish", 1030, "da"},
    {3, "Deutsch", 1031, "de"},
    {4, "English", 1033, "en"},
    {5, "French", 1036, "fr"},
    {6, "Hungarian", 1038, "hu"},
    {7, "Polish", 1045, "pl"},
    {8, "Svenska", 1053, "sv"},
    {9, "Spanish", 14346, "es"},
}};

inline constexpr const UiLanguage& kEnglish = kLanguages[4];

// Exact, case-sensitive: a stored "english" is no language, as it always was.
std::optional<UiLanguage> findLanguageByStoredName(std::string_view storedName);

// The language of a POSIX locale name such as "de_DE.UTF-8" or "zh_CN", for
// when no language has been stored; "C", "POSIX" and other languages give none.
// Only simplified Chinese (mainland China, or no region) counts as Chinese.
std::optional<UiLanguage> findLanguageByPosixLocale(std::string_view locale);

// The language a name that matches none falls back to: the system's, as the POSIX
// variables give it (LC_ALL, else LC_MESSAGES, else LANG; the first one set counts),
// else English. `environment` answers a variable's value or null.
UiLanguage systemLanguage(const std::function<const char*(const char*)>& environment);

// `folder`/<fileCode>.txt
std::filesystem::path stringTablePath(const std::filesystem::path& folder,
                                      const UiLanguage& language);

}  // namespace nimbra
