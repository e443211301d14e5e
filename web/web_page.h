#pragma once

#include <string>

#include "report/history_table.h"

namespace nimbra {

// The one page of the web server: the live readings, refreshed every few seconds, and
// the history charts (drawn by the dygraphs script the server hands out beside it), all
// texts in the program's language.
std::string webPage(const TextLookup& text);

}  // namespace nimbra
