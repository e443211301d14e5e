#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "upload/software_identity.h"

namespace nimbra {

// One upload request: the host it goes to and the target of its GET request line, the
// path with the query ("/v01/set?wid=...").
struct HttpRequest {
    std::string host;
    std::string target;
};

// Longest request target and host name the services are sent, in bytes.
inline constexpr std::size_t kRequestLimit = 1027;
inline constexpr std::size_t kHostLimit = 99;

// Query-string form of a settings text: letters, digits and "-._~" as they are, every
// other byte as %XX, so that an "&", "=", "%", space or line break in a password reaches
// the service as part of the password.
std::string percentEncode(std::string_view text);

// "name=value&" with the value percent-encoded.
void appendTextField(std::string& out, std::string_view name, std::string_view value);

// Appends a non-negative number, zero-padded to `width` digits.
void appendNumber(std::string& out, int value, int width = 0);

// The value of the softwaretype field: the name with spaces as %20, then %20V and the
// version, e.g. NimbraPlus%20V2.4.0.
std::string softwareTypeValue(const SoftwareIdentity& identity);

// A host name that can be looked up and written into the request head: at most
// kHostLimit bytes of letters, digits, "-", "." and "_" (and UTF-8 for international
// names); no blank, control character or URL syntax.
bool isSendableHostName(std::string_view host);

// The request to `host` with `target`. Gives nothing when the host cannot be sent or the
// target is longer than kRequestLimit: such a request is never sent.
std::optional<HttpRequest> finishRequest(std::string target, std::string_view host);

}  // namespace nimbra
