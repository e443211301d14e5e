#include "upload/reply_acceptance.h"

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <utility>

namespace nimbra {
namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Weathercloud answers with a bare code ("200", "400", "429", ...), perhaps with blanks.
bool bodyIsCode200(std::string_view body) {
    while (!body.empty() && (body.front() == ' ' || body.front() == '\t' || body.front() == '\r' ||
                             body.front() == '\n')) {
        body.remove_prefix(1);
    }
    return body.starts_with("200") && (body.size() == 3 || !isDigit(body[3]));
}

}  // namespace

bool replyAccepted(UploadService service, const HttpReply& reply) {
    if (reply.status < 200 || reply.status > 299) {
        return false;
    }
    switch (service) {
        case UploadService::WeatherUnderground:
            return reply.body.find("success") != std::string::npos;
        case UploadService::Wow:
        case UploadService::Windy:
            return true;
        case UploadService::OpenWeatherMap:
            // A measurement is taken with 204 and nothing else.
            return reply.status == 204;
        case UploadService::Cwop:
            return false;  // not HTTP
        case UploadService::Weathercloud:
            break;
    }
    return bodyIsCode200(reply.body);
}

UploadFailure refusalOf(const HttpReply& reply) {
    const auto body = nlohmann::json::parse(reply.body, nullptr, false);
    std::string message;
    if (body.is_object() && body.contains("message") && body["message"].is_string()) {
        message = body["message"].get<std::string>();
    } else {
        message = reply.body.substr(0, reply.body.find_first_of("\r\n"));
    }
    constexpr std::size_t kShown = 160;
    if (message.size() > kShown) {
        message = message.substr(0, kShown) + "...";
    }
    // Only printable text reaches the log and the tooltip.
    for (char& c : message) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            c = ' ';
        }
    }
    const bool success = reply.status >= 200 && reply.status < 300;
    return UploadFailure(
        success ? UploadFailure::Kind::notAccepted : UploadFailure::Kind::httpStatus, {},
        reply.status, std::move(message));
}

}  // namespace nimbra
