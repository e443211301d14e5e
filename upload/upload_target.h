#pragma once

#include <cstddef>
#include <cstdint>
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

UploadTarget makeUploadTarget(const UploadServiceConfig& config);

// The first `limit` characters of UTF-8 text; never splits a character.
std::string_view firstCharacters(std::string_view text, std::size_t limit);

}  // namespace nimbra
