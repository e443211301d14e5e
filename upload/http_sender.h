#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <string_view>

#include "core/upload_failure.h"

namespace nimbra {

// Time limits of one request. The defaults are the ones uploads use.
struct SendOptions {
    std::chrono::milliseconds connectTimeout{10'000};  // name lookup, TCP and TLS set-up
    std::chrono::milliseconds replyTimeout{10'000};    // then the request out, the reply in
    std::uint16_t tlsPort = 443;  // the port spoken to over TLS; tests use a free one
};

// What a server answered, as far as an upload looks at it.
struct HttpReply {
    long status = 0;                     // the code of the status line
    std::string body;                    // its first kReplyBodyLimit bytes
    std::chrono::seconds retryAfter{0};  // from Retry-After; 0 when there is none
};

inline constexpr std::size_t kReplyBodyLimit = 1023;

// A body sent with POST in place of the GET.
struct HttpPost {
    std::string_view contentType;  // "application/json"
    std::string_view body;
};

// Sends "GET `target`" (or, with `post`, "POST `target`" and the body) to host:port, over
// TLS with a verified certificate when the port is the TLS port, in plain HTTP otherwise.
// The head holds only the request line, Host and Accept (and the body's Content-Type
// and Content-Length). SSL_CERT_FILE, when set, names the CA bundle the certificate is checked
// with. Gives nothing when no complete reply head came: an invalid host, a failed lookup,
// connection or certificate check, a server that is late or closes early; `whyNot`, when
// given, then says which. A stop request ends it promptly.
std::optional<HttpReply> SendHttpRequest(std::string_view host, std::uint16_t port,
                                         std::string_view target, const SendOptions& options = {},
                                         std::stop_token stop = {}, UploadFailure* whyNot = nullptr,
                                         std::optional<HttpPost> post = std::nullopt);

}  // namespace nimbra
