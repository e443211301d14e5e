#pragma once

#include "config/profile_file.h"
#include "upload/upload_config_store.h"

namespace nimbra {

// Fills the three services' upload settings from Main.ini as the program starts:
// service 0 from [Upload] when [Up] Type is exactly "1" (always to the update host on
// port 443), else from [Custom]; WOW and Weathercloud from their sections, always with
// their fixed upload host and port, unless NIMBRA_WOW_SERVER or
// NIMBRA_WEATHERCLOUD_SERVER ("host[:port]") names another for this run.
// The other services and [Location] likewise.
void LoadUploadConfiguration(const ProfileFile& config, UploadConfigStore& store);

// [CWOP] Enable, Station, Passcode (default -1), Server (default cwop.aprs.net), Port
// (default 14580), Interval; NIMBRA_CWOP_SERVER overrides the server for this run.
UploadServiceConfig loadCwopSettings(const ProfileFile& config);
// [Windy] Enable, StationID, Password; always to its API host over TLS, unless
// NIMBRA_WINDY_SERVER names another (still over TLS).
UploadServiceConfig loadWindySettings(const ProfileFile& config);
// [OpenWeatherMap] Enable, ApiKey (as the password), StationId; NIMBRA_OPENWEATHERMAP_SERVER
// as for Windy.
UploadServiceConfig loadOpenWeatherMapSettings(const ProfileFile& config);

}  // namespace nimbra
