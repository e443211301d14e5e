#pragma once

#include <QString>

#include "config/string_table.h"
#include "views/string_lookup.h"

namespace nimbra::testing {

// The shipped English texts, as the program looks them up.
inline StringLookup englishStrings() {
    static const StringTable table = [] {
        std::string error;
        auto loaded = StringTable::load(NIMBRA_STRINGS_DIR "/en.txt", error);
        return loaded ? *loaded : StringTable{};
    }();
    return [](int id) { return QString::fromStdString(table.text(id)); };
}

}  // namespace nimbra::testing
