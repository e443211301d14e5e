#include "web/history_request.h"

#include <algorithm>
#include <optional>

#include "core/number_text.h"

namespace nimbra {

namespace {

std::optional<std::string> first(const QueryParameters& parameters, const std::string& name) {
    const auto found = parameters.find(name);
    return found == parameters.end() ? std::nullopt : std::optional(found->second);
}

}  // namespace

OleDate parseRequestTime(std::string text) {
    const auto separator = text.find_first_of("T ");
    if (separator != std::string::npos) {
        text[separator] = ' ';
        if (std::count(text.begin(), text.end(), ':') == 1) {
            text += ":00";
        }
    }
    // Only digits and the separators: the date parser would take signs and spaces.
    const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= '0' && c <= '9') || c == '-' || c == ':' || c == ' ';
    });
    if (!plain || text.empty() || text.front() == '-' ||
        std::count(text.begin(), text.end(), ' ') > 1) {
        return OleDate(0.0, OleDate::invalid);
    }
    return OleDate::fromText(text);
}

std::variant<HistoryRequest, RequestError> parseHistoryRequest(const QueryParameters& parameters) {
    HistoryRequest request;
    for (const char* name : {"from", "to"}) {
        const auto text = first(parameters, name);
        if (!text) {
            return RequestError{name, std::string(name) + " is missing"};
        }
        const OleDate time = parseRequestTime(*text);
        if (!time.isValid()) {
            return RequestError{
                name, std::string(name) + " is not a time (YYYY-MM-DDThh:mm:ss): " + *text};
        }
        (std::string_view(name) == "from" ? request.from : request.to) = time;
    }
    if (request.from.value() > request.to.value()) {
        return RequestError{"from", "from is after to"};
    }

    if (const auto fields = first(parameters, "fields")) {
        std::string_view rest = *fields;
        while (true) {
            const auto comma = rest.find(',');
            const std::string_view name = rest.substr(0, comma);
            const Quantity* quantity = findQuantity(name);
            if (quantity == nullptr) {
                return RequestError{"fields", "unknown field: " + std::string(name)};
            }
            if (std::find(request.fields.begin(), request.fields.end(), quantity) ==
                request.fields.end()) {
                request.fields.push_back(quantity);
            }
            if (comma == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(comma + 1);
        }
    } else {
        for (const Quantity& quantity : quantities()) {
            request.fields.push_back(&quantity);
        }
    }

    if (const auto points = first(parameters, "points")) {
        const auto number = parseNumber<int>(*points);
        if (!number || *number < kMinHistoryPoints || *number > kMaxHistoryPoints) {
            return RequestError{"points", "points must be a whole number from " +
                                              std::to_string(kMinHistoryPoints) + " to " +
                                              std::to_string(kMaxHistoryPoints)};
        }
        request.points = *number;
    }
    return request;
}

}  // namespace nimbra
