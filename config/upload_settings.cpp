#include "config/upload_settings.h"

#include <cstdlib>

namespace nimbra {

namespace {

// NIMBRA_WOW_SERVER and NIMBRA_WEATHERCLOUD_SERVER ("host" or "host:port") point a
// service elsewhere, for trying uploads against a server of one's own.
void applyServerOverride(const char* variable, UploadServiceConfig& config) {
    const char* value = std::getenv(variable);
    if (value == nullptr || *value == '\0') {
        return;
    }
    const std::string server(value);
    const auto colon = server.rfind(':');
    if (colon == std::string::npos) {
        config.m_Server = server;
        return;
    }
    config.m_Server = server.substr(0, colon);
    config.m_ServerPort = server.substr(colon + 1);
}

}  // namespace

void LoadUploadConfiguration(const ProfileFile& config, UploadConfigStore& store) {
    const std::string section = config.readString("Up", "Type") == "1" ? "Upload" : "Custom";
    const auto read = [&](const std::string& s, const char* key) {
        return config.readString(s, key);
    };
    UploadServiceConfig service0;
    service0.m_Web = read(section, "Web");
    service0.m_Server = read(section, "Server");
    service0.m_ServerType = read(section, "ServerType");
    service0.m_ServerPort = read(section, "ServerPort");
    service0.m_UploadType = read(section, "UploadType");
    service0.m_ReadOnly = read(section, "ReadOnly");
    service0.m_StationID = read(section, "StationID");
    service0.m_Password = read(section, "Password");
    service0.m_Autosend = read(section, "Autosend");
    if (section == "Upload") {
        // Weather Underground mode always uploads to the update host over TLS, also with
        // a file saved when the mode still stored port 80.
        service0.m_Server = kWundergroundUpdateHost;
        service0.m_ServerPort = kWundergroundUpdatePort;
    }
    store.set(UploadService::WeatherUnderground, service0);

    UploadServiceConfig wow;
    wow.m_Server = kWowUploadHost;
    wow.m_ServerPort = kWowUploadPort;
    wow.m_ReadOnly = read("WeatherObservationsWebsite", "Num");
    wow.m_StationID = read("WeatherObservationsWebsite", "StationID");
    wow.m_Password = read("WeatherObservationsWebsite", "Password");
    wow.m_Autosend = read("WeatherObservationsWebsite", "Autosend");
    applyServerOverride("NIMBRA_WOW_SERVER", wow);
    store.set(UploadService::Wow, wow);

    UploadServiceConfig weathercloud;
    weathercloud.m_Server = kWeathercloudUploadHost;
    weathercloud.m_ServerPort = kWeathercloudUploadPort;
    weathercloud.m_StationID = read("weathercloud", "StationID");
    weathercloud.m_Password = read("weathercloud", "Password");
    weathercloud.m_Autosend = read("weathercloud", "Autosend");
    applyServerOverride("NIMBRA_WEATHERCLOUD_SERVER", weathercloud);
    store.set(UploadService::Weathercloud, weathercloud);
}

}  // namespace nimbra
