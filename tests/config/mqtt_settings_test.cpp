#include "config/mqtt_settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace nimbra {
namespace {

namespace fs = std::filesystem;

TEST(MqttSettings, ReadFromMainIniWithDefaultsForWhatIsMissingOrUnusable) {
    const fs::path path =
        fs::temp_directory_path() / ("mqtt-settings-" + std::to_string(::getpid()) + ".ini");
    struct Case {
        const char* section;
        MqttSettings expected;
    };
    const Case cases[] = {
        {"", MqttSettings{}},
        {"[MQTT]\nEnable=1\nServer=broker.lan\nPort=8883\nUser=u\nPassword=p=q\nTopic=home/ws\n"
         "Discovery=1\n",
         {true, "broker.lan", 8883, true, "u", "p=q", "home/ws", true}},
        {"[mqtt]\nEnable=yes\nPort=1883x\nTopic=\nDiscovery=2\n", MqttSettings{}},
        {"[MQTT]\nPort=70000\n", MqttSettings{}},
    };
    for (const Case& c : cases) {
        std::ofstream(path) << c.section;
        EXPECT_EQ(loadMqttSettings(ProfileFile(path)), c.expected) << c.section;
    }
    // What the dialog saves is what the next start reads, in a file only its owner reads.
    ProfileFile file(path);
    ASSERT_TRUE(saveMqttSettings(file, cases[1].expected));
    EXPECT_EQ(loadMqttSettings(file), cases[1].expected);
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    fs::remove(path);
}

}  // namespace
}  // namespace nimbra
