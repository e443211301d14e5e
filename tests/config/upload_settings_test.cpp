#include "config/upload_settings.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tests/support/temp_folder.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;

class UploadSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::ofstream(m_path) << "[Upload]\nServer=wu.example\nStationID=WU1\nAutosend=1\n"
                                 "[Custom]\nServer=my.example\nServerPort=8080\nServerType=1\n"
                                 "UploadType=0\nReadOnly=x\nStationID=C1\nPassword=a=b c\n"
                                 "Autosend=1\n"
                                 "[WeatherObservationsWebsite]\nServer=elsewhere\nNum=42\n"
                                 "StationID=W1\nPassword=k\nAutosend=1\n"
                                 "[weathercloud]\nStationID=WC\nPassword=key\nAutosend=0\n";
    }

    void setType(const std::string& type) { ProfileFile(m_path).writeString("Up", "Type", type); }

    testing::TempFolder m_folder{"upload-settings"};
    const fs::path m_path = m_folder.path() / "Main.ini";
};

TEST_F(UploadSettingsTest, TypeOneExactlySelectsTheWeatherUndergroundSection) {
    UploadConfigStore store;
    setType("1");
    LoadUploadConfiguration(ProfileFile(m_path), store);
    // Weather Underground mode: the update host over TLS, whatever an older file says.
    EXPECT_EQ(store.get(UploadService::WeatherUnderground).m_Server,
              "weatherstation.wunderground.com");
    EXPECT_EQ(store.get(UploadService::WeatherUnderground).m_ServerPort, "443");
    EXPECT_EQ(store.get(UploadService::WeatherUnderground).m_StationID, "WU1");
    EXPECT_EQ(store.get(UploadService::WeatherUnderground).m_Password, "");

    setType("1 ");  // compared exactly: custom-server mode
    LoadUploadConfiguration(ProfileFile(m_path), store);
    const UploadServiceConfig custom = store.get(UploadService::WeatherUnderground);
    EXPECT_EQ(custom.m_Server, "my.example");
    EXPECT_EQ(custom.m_ServerPort, "8080");
    EXPECT_EQ(custom.m_ServerType, "1");
    EXPECT_EQ(custom.m_ReadOnly, "x");
    EXPECT_EQ(custom.m_Password, "a=b c");
}

TEST_F(UploadSettingsTest, WowAndWeathercloudAlwaysUseTheirFixedHosts) {
    UploadConfigStore store;
    LoadUploadConfiguration(ProfileFile(m_path), store);
    const UploadServiceConfig wow = store.get(UploadService::Wow);
    EXPECT_EQ(wow.m_Server, "wow.metoffice.gov.uk");  // the file's Server is for the dialog
    EXPECT_EQ(wow.m_ServerPort, "443");
    EXPECT_EQ(wow.m_ReadOnly, "42");
    EXPECT_EQ(wow.m_StationID, "W1");
    EXPECT_EQ(wow.m_Autosend, "1");
    const UploadServiceConfig cloud = store.get(UploadService::Weathercloud);
    EXPECT_EQ(cloud.m_Server, "api.weathercloud.net");
    EXPECT_EQ(cloud.m_ServerPort, "80");
    EXPECT_EQ(cloud.m_Password, "key");
    EXPECT_EQ(cloud.m_Autosend, "0");
    EXPECT_EQ(cloud.m_Web, "");
}

}  // namespace
}  // namespace nimbra
