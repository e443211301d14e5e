#pragma once

#include "config/profile_file.h"
#include "upload/upload_config_store.h"

namespace nimbra {

// Fills the three services' upload settings from Main.ini as the program starts:
// service 0 from [Upload] when [Up] Type is exactly "1" (always to the update host on
// port 443), else from [Custom]; WOW and Weathercloud from their sections, always with
// their fixed upload host and port, unless NIMBRA_WOW_SERVER or
// NIMBRA_WEATHERCLOUD_SERVER ("host[:port]") names another for this run.
void LoadUploadConfiguration(const ProfileFile& config, UploadConfigStore& store);

}  // namespace nimbra
