#pragma once

#include <cstdint>
#include <stop_token>
#include <string>
#include <string_view>

#include "core/upload_failure.h"
#include "upload/http_sender.h"

namespace nimbra {

// How one APRS-IS session went. There is no acknowledgement of a packet: sent means
// the server greeted us, answered the login and took the packet's bytes.
struct AprsResult {
    enum class Status { sent, unreachable, refused };
    Status status = Status::unreachable;
    UploadFailure why;  // why it was not sent; the caller names the server
};

// One session with an APRS-IS server over plain TCP: read its greeting ("# ..."), send
// the login line, read its answer, send the packet, close. Lines go out with CR LF. A
// login answered "unverified" counts as refused unless `unverifiedAllowed` (passcode -1,
// which may only send weather reports, is unverified by design). The time limits are
// those of an HTTP upload; a stop request ends it promptly.
AprsResult sendAprsPacket(std::string_view host, std::uint16_t port, std::string_view loginLine,
                          bool unverifiedAllowed, std::string_view packet,
                          const SendOptions& options = {}, std::stop_token stop = {});

}  // namespace nimbra
