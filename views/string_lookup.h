#pragma once

#include <QString>
#include <functional>

namespace nimbra {

// Answers a string-table id with its text in the program's language.
using StringLookup = std::function<QString(int id)>;

}  // namespace nimbra
