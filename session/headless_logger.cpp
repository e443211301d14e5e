#include "session/headless_logger.h"

#include <signal.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <optional>

#include "config/mqtt_settings.h"
#include "config/upload_settings.h"
#include "session/headless_events.h"
#include "session/station_session.h"
#include "station_link/exported_link.h"
#include "store/error_sink.h"
#include "web/web_settings.h"

namespace nimbra {

namespace {

using Clock = std::chrono::steady_clock;

// Without a station or a complete download by then, --once gives up.
constexpr auto kOnceStationWait = std::chrono::seconds(20);
constexpr auto kOnceDownloadWait = std::chrono::minutes(10);
// The WOW and Weathercloud loops make their first upload about 7 s after they start.
constexpr auto kOnceUploadWait = std::chrono::seconds(40);
constexpr auto kCloseAcknowledgeWait = std::chrono::seconds(5);

// Watches the events that decide when --once is done, and passes them on to be printed.
class OnceWatcher : public ViewEvents {
public:
    explicit OnceWatcher(ViewEvents& printer) : m_printer(printer) {}

    void send(ViewEvent event) override {
        const int value = static_cast<int>(event);
        if (event == ViewEvent::StationConnected) {
            m_seenStation = true;
        }
        if (value >= static_cast<int>(ViewEvent::WundergroundSuccess)) {
            // Three outcomes per service: success, failure, off.
            const int service = (value - static_cast<int>(ViewEvent::WundergroundSuccess)) / 3;
            std::lock_guard lock(m_mutex);
            m_uploadOutcome[static_cast<std::size_t>(service)] = true;
        }
        m_printer.send(event);
    }
    void progress(const DownloadProgress& progress) override { m_printer.progress(progress); }
    void stationUnreachable(const std::string& reason) override {
        m_printer.stationUnreachable(reason);
    }
    void stationFault(StationFault fault, int value) override {
        m_stationFault = true;
        m_printer.stationFault(fault, value);
    }

    bool seenStation() const { return m_seenStation; }
    bool seenStationFault() const { return m_stationFault; }
    bool allUploadsReported() const {
        std::lock_guard lock(m_mutex);
        return m_uploadOutcome[0] && m_uploadOutcome[1] && m_uploadOutcome[2];
    }

private:
    ViewEvents& m_printer;
    std::atomic<bool> m_seenStation{false};
    std::atomic<bool> m_stationFault{false};
    mutable std::mutex m_mutex;
    std::array<bool, 3> m_uploadOutcome{};
};

// SIGINT and SIGTERM are taken synchronously by the main thread; every other thread,
// started after this, inherits the blocked mask and never sees them.
sigset_t blockStopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    return signals;
}

bool waitForStopSignal(const sigset_t& signals, std::chrono::milliseconds timeout) {
    timespec wait{};
    wait.tv_sec = static_cast<time_t>(timeout.count() / 1000);
    wait.tv_nsec = static_cast<long>(timeout.count() % 1000) * 1000000L;
    return sigtimedwait(&signals, nullptr, &wait) > 0;
}

// Database failures are printed as they always were; --once also takes one as the end of
// its run, as a pass whose records could not be stored never completes.
class StoreFailureWatch {
public:
    StoreFailureWatch() {
        setDefaultErrorSink([this](const std::string& message) {
            std::fprintf(stderr, "database: %s\n", message.c_str());
            m_failed = true;
        });
    }
    ~StoreFailureWatch() { setDefaultErrorSink({}); }
    StoreFailureWatch(const StoreFailureWatch&) = delete;
    StoreFailureWatch& operator=(const StoreFailureWatch&) = delete;

    bool failed() const { return m_failed; }

private:
    std::atomic<bool> m_failed{false};
};

}  // namespace

int runHeadlessLogger(const CommandLine& options, const std::filesystem::path& dataFolder,
                      const ProfileFile& config, const StringTable& strings) {
    const sigset_t stopSignals = blockStopSignals();
    HeadlessEvents printer(strings, stdout, isatty(STDOUT_FILENO) != 0);
    OnceWatcher events(printer);
    const StoreFailureWatch storeFailures;
    // --once waits for MQTT's word on the pass as it waits for the uploads'.
    std::atomic<bool> mqttSettled{false};

    link::ExportedLink stationLink;
    StationSession session(stationLink, dataFolder, events, {});
    if (!session.ok()) {
        std::fprintf(stderr, "nimbraplus: Cannot open the database! %s\n",
                     session.databasePath().c_str());
        return 1;
    }
    if (options.emulator) {
        std::printf("NimbraPlus: using the built-in station emulator, not a real station\n");
    }
    LoadUploadConfiguration(config, session.uploadConfigs());
    session.mqtt().setListener([&printer, &mqttSettled](MqttEvent event,
                                                        const std::string& detail) {
        printer.mqtt(event, detail);
        mqttSettled = mqttSettled || (event != MqttEvent::connected && event != MqttEvent::lost);
    });
    session.mqtt().configure(loadMqttSettings(config));
    std::atomic<bool> passCompleted{false};
    session.onPassCompleted([&passCompleted] { passCompleted = true; });
    session.start();
    session.startWeb(readWebSettings(config, options),
                     [&strings](int id) { return strings.text(id); });

    StationMonitor& monitor = session.monitor();
    const auto started = Clock::now();
    std::optional<Clock::time_point> passTime;
    int exitCode = 0;
    for (;;) {
        if (waitForStopSignal(stopSignals, std::chrono::milliseconds(200))) {
            break;
        }
        if (monitor.m_RepairPending != 0) {
            // The station stopped answering: a USB reset (fixora) or a restart is needed.
            std::fprintf(stderr, "nimbraplus: the station cannot be read\n");
            exitCode = kExitStationUnreadable;
            break;
        }
        if (!options.once) {
            continue;
        }
        if (storeFailures.failed()) {
            std::fprintf(stderr, "nimbraplus: the records could not be stored in %s\n",
                         session.databasePath().c_str());
            exitCode = 1;
            break;
        }
        if (events.seenStationFault() && !passTime) {
            // The station's pointer or count cannot be right: no pass will complete.
            exitCode = 1;
            break;
        }
        if (passCompleted && !passTime) {
            passTime = Clock::now();
        }
        if (passTime && ((events.allUploadsReported() && mqttSettled) ||
                         Clock::now() - *passTime > kOnceUploadWait)) {
            break;
        }
        if (!passTime && !events.seenStation() && Clock::now() - started > kOnceStationWait) {
            std::fprintf(stderr, "nimbraplus: no station found\n");
            exitCode = 1;
            break;
        }
        if (!passTime && Clock::now() - started > kOnceDownloadWait) {
            std::fprintf(stderr, "nimbraplus: the download did not complete\n");
            exitCode = 1;
            break;
        }
    }

    // The close hand-shake: the monitor acknowledges within about a second.
    monitor.m_RepairRequest = 1;
    const auto closing = Clock::now();
    while (monitor.m_RepairPending == 0 && Clock::now() - closing < kCloseAcknowledgeWait) {
        waitForStopSignal(stopSignals, std::chrono::milliseconds(50));
    }
    session.stop();
    return exitCode;
}

}  // namespace nimbra
