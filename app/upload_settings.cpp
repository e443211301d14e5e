#include "app/upload_settings.h"

namespace nimbra {

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
    store.set(UploadService::WeatherUnderground, service0);

    UploadServiceConfig wow;
    wow.m_Server = kWowUploadHost;
    wow.m_ServerPort = kFixedUploadPort;
    wow.m_ReadOnly = read("WeatherObservationsWebsite", "Num");
    wow.m_StationID = read("WeatherObservationsWebsite", "StationID");
    wow.m_Password = read("WeatherObservationsWebsite", "Password");
    wow.m_Autosend = read("WeatherObservationsWebsite", "Autosend");
    store.set(UploadService::Wow, wow);

    UploadServiceConfig weathercloud;
    weathercloud.m_Server = kWeathercloudUploadHost;
    weathercloud.m_ServerPort = kFixedUploadPort;
    weathercloud.m_StationID = read("weathercloud", "StationID");
    weathercloud.m_Password = read("weathercloud", "Password");
    weathercloud.m_Autosend = read("weathercloud", "Autosend");
    store.set(UploadService::Weathercloud, weathercloud);
}

}  // namespace nimbra
