#include "upload/request_text.h"

#include <algorithm>
#include <utility>

namespace nimbra {
namespace {

bool isUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

bool isHostCharacter(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c >= 0x80;
}

}  // namespace

std::string percentEncode(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(text.size());
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (isUnreserved(c)) {
            encoded += ch;
        } else {
            encoded += '%';
            encoded += kHex[c >> 4];
            encoded += kHex[c & 0x0F];
        }
    }
    return encoded;
}

void appendTextField(std::string& out, std::string_view name, std::string_view value) {
    out += name;
    out += '=';
    out += percentEncode(value);
    out += '&';
}

void appendNumber(std::string& out, int value, int width) {
    const std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width) {
        out.append(static_cast<std::size_t>(width) - digits.size(), '0');
    }
    out += digits;
}

std::string softwareTypeValue(const SoftwareIdentity& identity) {
    std::string value;
    for (const char c : identity.name) {
        if (c == ' ') {
            value += "%20";
        } else {
            value += c;
        }
    }
    value += "%20V";
    for (std::size_t i = 0; i < identity.version.size(); ++i) {
        if (i > 0) {
            value += '.';
        }
        appendNumber(value, identity.version[i]);
    }
    return value;
}

bool isSendableHostName(std::string_view host) {
    if (host.empty() || host.size() > kHostLimit) {
        return false;
    }
    return std::all_of(host.begin(), host.end(),
                       [](char c) { return isHostCharacter(static_cast<unsigned char>(c)); });
}

std::optional<HttpRequest> finishRequest(std::string target, std::string_view host) {
    if (!isSendableHostName(host) || target.size() > kRequestLimit) {
        return std::nullopt;
    }
    return HttpRequest{std::string(host), std::move(target)};
}

}  // namespace nimbra
