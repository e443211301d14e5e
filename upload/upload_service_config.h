#pragma once

#include <string>
#include <string_view>

namespace nimbra {

// The settings texts of one upload service, UTF-8: the nine of the first services, in the
// order of their keys in Main.ini, and CWOP's interval. The later services keep their
// own keys (Enable as Autosend, Passcode and ApiKey as Password). The numeric ones stay
// texts so that whatever the user typed is stored and shown back unchanged; the worker
// parses them at each upload.
struct UploadServiceConfig {
    std::string m_Web;         // website shown by the settings dialog; not used to upload
    std::string m_Server;      // host name
    std::string m_ServerType;  // service 0: script extension, 1 jsp, 2 php, otherwise asp
    std::string m_ServerPort;  // TCP port
    std::string m_UploadType;  // service 0: 0 metric field set, otherwise imperial field set
    std::string m_ReadOnly;    // kept for the settings file; no meaning here
    std::string m_StationID;
    std::string m_Password;
    std::string m_Autosend;  // "1": uploads to this service are on
    std::string m_Interval;  // CWOP: minutes between packets

    friend bool operator==(const UploadServiceConfig&, const UploadServiceConfig&) = default;
};

// The services' public endpoints. Weather Underground and WOW take their account
// passwords over TLS only (port 443); Weathercloud's documented endpoint is plain HTTP.
inline constexpr std::string_view kWundergroundUpdateHost = "weatherstation.wunderground.com";
inline constexpr std::string_view kWundergroundUpdatePort = "443";
inline constexpr std::string_view kWundergroundWebsite = "https://www.wunderground.com/";
inline constexpr std::string_view kWowUploadHost = "wow.metoffice.gov.uk";
inline constexpr std::string_view kWowUploadPort = "443";
inline constexpr std::string_view kWeathercloudUploadHost = "api.weathercloud.net";
inline constexpr std::string_view kWeathercloudUploadPort = "80";
// APRS-IS has no TLS; the rotating pool takes over when the first server cannot be reached.
inline constexpr std::string_view kCwopServer = "cwop.aprs.net";
inline constexpr std::string_view kCwopFallbackServer = "rotate.aprs.net";
inline constexpr std::string_view kCwopPort = "14580";
inline constexpr std::string_view kCwopUnlicensedPasscode = "-1";
inline constexpr std::string_view kWindyUploadHost = "stations.windy.com";
inline constexpr std::string_view kOpenWeatherMapHost = "api.openweathermap.org";
inline constexpr std::string_view kTlsPort = "443";

// A numeric setting as a decimal integer: leading blanks and a sign are skipped, digits
// are read up to the first other character, text without leading digits gives 0.
// Values beyond the range of int saturate.
int parseConfigInt(std::string_view text);

}  // namespace nimbra
