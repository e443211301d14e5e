#include "session/in_process_station.h"

#include <signal.h>

#include <cstdlib>

#include "emulator/report_server.h"
#include "emulator/station_model.h"

namespace nimbra {

namespace {

// Threads started in its scope take no signals sent to the process: those are for the
// program's own threads (the logger takes SIGINT and SIGTERM on its main thread, which
// may be blocking them while it waits).
class SignalsBlocked {
public:
    SignalsBlocked() {
        sigset_t all;
        sigfillset(&all);
        pthread_sigmask(SIG_SETMASK, &all, &m_previous);
    }
    ~SignalsBlocked() { pthread_sigmask(SIG_SETMASK, &m_previous, nullptr); }
    SignalsBlocked(const SignalsBlocked&) = delete;
    SignalsBlocked& operator=(const SignalsBlocked&) = delete;

private:
    sigset_t m_previous{};
};

}  // namespace

InProcessStation::InProcessStation() = default;

InProcessStation::~InProcessStation() {
    m_server.reset();
    unsetenv("NIMBRA_STATION_SOCKET");
}

std::unique_ptr<InProcessStation> InProcessStation::start(const Options& options,
                                                          std::string& error) {
    emulator::StationModelOptions model;
    model.seed = options.seed;
    model.records = options.records;
    model.intervalMinutes = 5;
    model.speed = options.speed;
    std::unique_ptr<InProcessStation> station(new InProcessStation);
    station->m_model = std::make_unique<emulator::StationModel>(model);
    if (options.image) {
        const auto status = station->m_model->loadImage(*options.image);
        if (!status) {
            error = status.error;
            return nullptr;
        }
    }
    {
        const SignalsBlocked serverThread;
        station->m_server = emulator::ReportServer::inTemporaryFolder(*station->m_model);
    }
    // The link looks for the station at this socket instead of on USB.
    setenv("NIMBRA_STATION_SOCKET", station->m_server->socketPath().c_str(), 1);
    return station;
}

}  // namespace nimbra
