#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "upload/software_identity.h"
#include "upload/station_location.h"
#include "upload/upload_reading.h"
#include "upload/utc_time.h"

namespace nimbra {

// A station name APRS-IS takes: 1 to 9 letters, digits or "-", in capitals ("CW1234",
// "EW0042", an amateur's "K1ABC-13"); nothing for anything else, so that no line break or
// blank can reach the server inside a name.
std::optional<std::string> aprsStationName(std::string_view station);

// A passcode as APRS-IS reads it: "-1" or up to five digits; nothing for anything else.
std::optional<std::string> aprsPasscode(std::string_view passcode);

// "user CW1234 pass -1 vers NimbraPlus 2.4.0", without the line end.
std::string aprsLoginLine(std::string_view station, std::string_view passcode,
                          const SoftwareIdentity& identity);

// Latitude as ddmm.hhN, longitude as dddmm.hhW: degrees, minutes with two decimals.
std::string aprsLatitude(double degrees);
std::string aprsLongitude(double degrees);

// The weather report of one packet, without the line end:
// CW1234>APRS,TCPIP*:@051807z4903.50N/07201.75W_158/008g022t022r000p000P100h87b10132
// and the software's name. Wind direction, speed, gust and temperature are always there
// (dots for an absent reading), the rain, humidity and pressure fields only when present.
// Rain is r the current clock hour, p the last 24 hours, P since local midnight.
std::string aprsWeatherPacket(std::string_view station, const StationLocation& location,
                              const UploadReading& reading, const UtcTime& now,
                              const SoftwareIdentity& identity);

}  // namespace nimbra
