#pragma once

#include <QImage>
#include <filesystem>
#include <optional>

#include "core/ole_date.h"
#include "core/station_data.h"
#include "views/string_lookup.h"

namespace nimbra {

// The graph window after a search of `selection` (the list's index) over [from, to]: the
// picture `--show graph --screenshot FILE` saves. A bound left out keeps the window's
// opening value (an hour ago, now). Messages the search would show go to standard error.
QImage graphScreenshot(const CStationData& data, const std::filesystem::path& databasePath,
                       const StringLookup& strings, std::optional<OleDate> from,
                       std::optional<OleDate> to, int selection);

}  // namespace nimbra
