#include "web/web_settings.h"

#include "core/number_text.h"

namespace nimbra {

WebSettings readWebSettings(const ProfileFile& config, const CommandLine& options) {
    WebSettings settings;
    settings.enabled = config.readString("Web", "Enable") == "1";
    const auto port = parseNumber<int>(config.readString("Web", "Port"));
    if (port && *port > 0 && *port < 65536) {
        settings.port = *port;
    }
    if (const std::string listen = config.readString("Web", "Listen"); !listen.empty()) {
        settings.listen = listen;
    }
    if (options.webPort) {
        settings.enabled = true;
        settings.port = *options.webPort;
    }
    return settings;
}

}  // namespace nimbra
