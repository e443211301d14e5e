#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "upload/upload_service_config.h"

namespace nimbra {

// Longest server, station id and password an upload sends, in characters.
inline constexpr std::size_t kTargetTextLimit = 49;

// Where and as whom one upload goes, parsed from the service's settings.
struct UploadTarget {
    int serverType = 0;
    int uploadType = 0;
    std::uint16_t port = 0;  // 0 when the setting is no valid port
    std::string server;
    std::string stationId;
    std::string password;
};

// Station id and password are cut to kTargetTextLimit characters, as the services take
// them. A server name is never cut, which could name someone else's host: a longer one
// gives nothing.
std::optional<UploadTarget> makeUploadTarget(const UploadServiceConfig& config);

// Whether a settings text fits the kTargetTextLimit characters an upload sends.
bool fitsTargetText(std::string_view text);

// The first `limit` characters of UTF-8 text; never splits a character.
std::string_view firstCharacters(std::string_view text, std::size_t limit);

}  // namespace nimbra
