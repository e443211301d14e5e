#pragma once

#include <chrono>
#include <cstdint>
#include <stop_token>
#include <string_view>

namespace nimbra {

// Time limits of one request. The defaults are the ones uploads use.
struct SendOptions {
    std::chrono::milliseconds connectTimeout{10'000};  // name lookup, TCP and TLS set-up
    std::chrono::milliseconds sendTimeout{10'000};     // the whole request written
    std::chrono::milliseconds replyPollInterval{100};
    int replyPolls = 100;  // about ten seconds for the first part of the reply
};

// Sends one request exactly as given to host:port (TLS when the port is 443) and tells
// whether the first chunk of the reply, at most 1023 bytes, contains `token`. Everything
// that goes wrong is a plain false: an invalid host, a failed lookup or connection, a
// reply that is late, empty or without the token. A stop request ends it promptly.
bool SendHttpRequest(std::string_view host, std::string_view request, std::uint16_t port,
                     std::string_view token, const SendOptions& options = {},
                     std::stop_token stop = {});

}  // namespace nimbra
