#include "upload/upload_target.h"

namespace nimbra {

std::string_view firstCharacters(std::string_view text, std::size_t limit) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool continuation = (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
        if (!continuation && characters++ == limit) {
            return text.substr(0, i);
        }
    }
    return text;
}

bool fitsTargetText(std::string_view text) {
    return firstCharacters(text, kTargetTextLimit).size() == text.size();
}

std::optional<UploadTarget> makeUploadTarget(const UploadServiceConfig& config) {
    if (!fitsTargetText(config.m_Server)) {
        return std::nullopt;
    }
    UploadTarget target;
    target.serverType = parseConfigInt(config.m_ServerType);
    target.uploadType = parseConfigInt(config.m_UploadType);
    const int port = parseConfigInt(config.m_ServerPort);
    target.port = port > 0 && port <= 0xFFFF ? static_cast<std::uint16_t>(port) : 0;
    target.server = config.m_Server;
    target.stationId = firstCharacters(config.m_StationID, kTargetTextLimit);
    target.password = firstCharacters(config.m_Password, kTargetTextLimit);
    return target;
}

}  // namespace nimbra
