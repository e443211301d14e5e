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

    // Nothing, with `error` set, when the saved image cannot be loaded. `keptAt` is where
    // the station is kept between runs: restored from there when it is there (`records`
    // then does not apply) and saved there when it ends. A kept station that cannot be
    // read is replaced by a new one, and warning() says why.
    static std::unique_ptr<InProcessStation> start(
        const Options& options, std::string& error,
        const std::optional<std::string>& keptAt = std::nullopt);
    const std::string& warning() const { return m_warning; }
    // Saves the station where it is kept, and keeps it no longer: for handing it to an
    // instance started after this one, which must find it saved.
    void keepNow();
    // Saves the station where it is kept, unless keepNow() did.
    ~InProcessStation();

private:
    InProcessStation();
    std::optional<std::string> m_keptAt;
    std::string m_warning;

    std::unique_ptr<emulator::StationModel> m_model;
    std::unique_ptr<emulator::ReportServer> m_server;
};

}  // namespace nimbra
