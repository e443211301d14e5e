#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace nimbra {

namespace emulator {
class ReportServer;
class StationModel;
}  // namespace emulator

// A station emulator run inside the program, for trying it without a station. While it
// lives, the station link finds it instead of a USB station.
class InProcessStation {
public:
    struct Options {
        int records = 500;
        double speed = 1.0;
        std::uint32_t seed = 7420;
        std::optional<std::string> image;
    };

    // Nothing, with `error` set, when the saved image cannot be loaded.
    static std::unique_ptr<InProcessStation> start(const Options& options, std::string& error);
    ~InProcessStation();

private:
    InProcessStation();

    std::unique_ptr<emulator::StationModel> m_model;
    std::unique_ptr<emulator::ReportServer> m_server;
};

}  // namespace nimbra
