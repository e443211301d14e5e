#include "config/languages.h"

#include <algorithm>

namespace nimbra {

std::optional<UiLanguage> findLanguageByStoredName(std::string_view storedName) {
    const auto found = std::find_if(kLanguages.begin(), kLanguages.end(), [&](const UiLanguage& l) {
        return l.storedName == storedName;
    });
    return found == kLanguages.end() ? std::nullopt : std::optional<UiLanguage>(*found);
}

std::optional<UiLanguage> findLanguageByPosixLocale(std::string_view locale) {
    // language[_REGION][.codeset][@modifier]
    locale = locale.substr(0, locale.find_first_of(".@"));
    const auto underscore = locale.find('_');
    const auto code = locale.substr(0, underscore);
    const auto region =
        underscore == std::string_view::npos ? std::string_view{} : locale.substr(underscore + 1);
    if (code == "zh") {
        const bool simplified = region.empty() || region == "CN" || region == "SG";
        return simplified ? findLanguageByStoredName("Chinese") : std::nullopt;
    }
    const auto found = std::find_if(kLanguages.begin(), kLanguages.end(),
                                    [&](const UiLanguage& l) { return l.fileCode == code; });
    return found == kLanguages.end() ? std::nullopt : std::optional<UiLanguage>(*found);
}

UiLanguage systemLanguage(const std::function<const char*(const char*)>& environment) {
    for (const char* variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = environment(variable);
        if (value != nullptr && *value != '\0') {
            return findLanguageByPosixLocale(value).value_or(kEnglish);
        }
    }
    return kEnglish;
}

std::filesystem::path stringTablePath(const std::filesystem::path& folder,
                                      const UiLanguage& language) {
    return folder / (std::string(language.fileCode) + ".txt");
}

}  // namespace nimbra
