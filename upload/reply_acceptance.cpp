#include "upload/reply_acceptance.h"

#include <string_view>

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
            return true;
        case UploadService::Weathercloud:
            break;
    }
    return bodyIsCode200(reply.body);
}

}  // namespace nimbra
