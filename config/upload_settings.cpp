#include "config/upload_settings.h"

#include <cstdlib>

#include "config/location_settings.h"

namespace nimbra {

namespace {

// NIMBRA_<SERVICE>_SERVER ("host" or "host:port") points a service elsewhere, for
// trying uploads against a server of one's own. It lives in the live settings only.
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

    store.set(UploadService::Cwop, loadCwopSettings(config));
    store.set(UploadService::Windy, loadWindySettings(config));
    store.set(UploadService::OpenWeatherMap, loadOpenWeatherMapSettings(config));
    store.setLocation(loadStationLocation(config));
}

UploadServiceConfig loadCwopSettings(const ProfileFile& config) {
    const auto read = [&](const char* key) { return config.readString("CWOP", key); };
    UploadServiceConfig cwop;
    cwop.m_Autosend = read("Enable");
    cwop.m_StationID = read("Station");
    cwop.m_Password = read("Passcode");
    if (cwop.m_Password.empty()) {
        cwop.m_Password = kCwopUnlicensedPasscode;
    }
    cwop.m_Server = read("Server");
    if (cwop.m_Server.empty()) {
        cwop.m_Server = kCwopServer;
    }
    cwop.m_ServerPort = read("Port");
    if (cwop.m_ServerPort.empty()) {
        cwop.m_ServerPort = kCwopPort;
    }
    cwop.m_Interval = read("Interval");
    applyServerOverride("NIMBRA_CWOP_SERVER", cwop);
    return cwop;
}

UploadServiceConfig loadWindySettings(const ProfileFile& config) {
    UploadServiceConfig windy;
    windy.m_Server = kWindyUploadHost;
    windy.m_ServerPort = kTlsPort;
    windy.m_Autosend = config.readString("Windy", "Enable");
    windy.m_StationID = config.readString("Windy", "StationID");
    windy.m_Password = config.readString("Windy", "Password");
    applyServerOverride("NIMBRA_WINDY_SERVER", windy);
    return windy;
}

UploadServiceConfig loadOpenWeatherMapSettings(const ProfileFile& config) {
    UploadServiceConfig owm;
    owm.m_Server = kOpenWeatherMapHost;
    owm.m_ServerPort = kTlsPort;
    owm.m_Autosend = config.readString("OpenWeatherMap", "Enable");
    owm.m_Password = config.readString("OpenWeatherMap", "ApiKey");
    owm.m_StationID = config.readString("OpenWeatherMap", "StationId");
    applyServerOverride("NIMBRA_OPENWEATHERMAP_SERVER", owm);
    return owm;
}

}  // namespace nimbra
