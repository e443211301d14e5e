#pragma once

#include <string>
#include <string_view>

namespace nimbra {

// Pieces of the JSON the web server writes: strings escaped, readings in their shortest
// exact form, OLE dates in ISO 8601 local time. Absent readings and dates are null.
void appendJsonString(std::string& out, std::string_view text);
void appendJsonNumber(std::string& out, double value);
void appendJsonDate(std::string& out, double oleDate);

// {"error": message, "parameter": name}: the body of a refused request.
std::string jsonError(std::string_view parameter, std::string_view message);

}  // namespace nimbra
