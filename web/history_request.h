#pragma once

#include <map>
#include <string>
#include <variant>
#include <vector>

#include "core/ole_date.h"
#include "web/quantities.h"

namespace nimbra {

inline constexpr int kDefaultHistoryPoints = 2000;
inline constexpr int kMinHistoryPoints = 2;
inline constexpr int kMaxHistoryPoints = 10000;

// A range of history as /api/history and /api/history.csv take it.
struct HistoryRequest {
    OleDate from;
    OleDate to;
    std::vector<const Quantity*> fields;  // every quantity unless `fields` names some
    int points = kDefaultHistoryPoints;
};

// Why a request was refused, naming the parameter at fault.
struct RequestError {
    std::string parameter;
    std::string message;
};

using QueryParameters = std::multimap<std::string, std::string>;

// from and to are local times "YYYY-MM-DD", "YYYY-MM-DDThh:mm" or "YYYY-MM-DDThh:mm:ss"
// (a space may stand for the T); fields a comma-separated list of quantity names; points
// a whole number from 2 to 10000.
std::variant<HistoryRequest, RequestError> parseHistoryRequest(const QueryParameters& parameters);

// A local time in one of the forms above; invalid otherwise.
OleDate parseRequestTime(std::string text);

}  // namespace nimbra
