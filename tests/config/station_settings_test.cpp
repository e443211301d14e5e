#include "config/station_settings.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace nimbra {
namespace {

TEST(StationSettings, ModelFixesTheConsoleKindOrLeavesItToDetection) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("station-settings-" + std::to_string(::getpid()) + ".ini");
    struct Case {
        const char* text;
        std::optional<StationKind> model;
    };
    const Case cases[] = {
        {"", std::nullopt},
        {"[Station]\nModel=auto\n", std::nullopt},
        {"[station]\nmodel=16\n", StationKind::records16},
        {"[Station]\nModel=20\n", StationKind::records20},
        {"[Station]\nModel=18\n", std::nullopt},
    };
    for (const Case& c : cases) {
        std::ofstream(path) << c.text;
        EXPECT_EQ(loadStationModel(ProfileFile(path)), c.model) << c.text;
    }
    std::filesystem::remove(path);
}

}  // namespace
}  // namespace nimbra
