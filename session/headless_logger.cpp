#include "session/headless_logger.h"

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <optional>

#include "config/mqtt_settings.h"
#include "config/station_settings.h"
#include "config/upload_settings.h"
#include "session/headless_events.h"
#include "session/station_session.h"
#include "station_link/exported_link.h"
#include "station_link/unique_fd.h"
#include "store/error_sink.h"
#include "upload/upload_worker.h"
#include "web/web_settings.h"

namespace nimbra {

namespace {

using Clock = std::chrono::steady_clock;

// Without a station or a complete download by then, --once gives up.
constexpr auto kOnceStationWait = std::chrono::seconds(20);
constexpr auto kOnceDownloadWait = std::chrono::minutes(10);
// The upload loops make their first upload about 7 s after they start.
constexpr auto kOnceUploadWait = std::chrono::seconds(40);
// The main thread is woken by whatever ends a run; this only bounds its checks of the
// time limits above.
constexpr auto kCheckInterval = std::chrono::milliseconds(200);

// The main thread's wait: for SIGINT or SIGTERM, or for another thread's news that may
// end the run. SIGINT and SIGTERM are taken synchronously by the main thread; every other
// thread, started after this, inherits the blocked mask and never sees them.
class MainWait {
public:
    MainWait() {
        sigemptyset(&m_signals);
        sigaddset(&m_signals, SIGINT);
        sigaddset(&m_signals, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &m_signals, nullptr);
        m_signalReady = link::UniqueFd(::signalfd(-1, &m_signals, SFD_CLOEXEC | SFD_NONBLOCK));
        m_woken = link::UniqueFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    }

    // From any thread: the main thread looks again at once.
    void wake() {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_woken.get(), &one, sizeof one);
    }

    // True when a stop signal came; returns early on a wake.
    bool wait(std::chrono::milliseconds timeout) {
        std::array<pollfd, 2> ready{{{m_signalReady.get(), POLLIN, 0}, {m_woken.get(), POLLIN, 0}}};
        ::poll(ready.data(), ready.size(), static_cast<int>(timeout.count()));
        std::uint64_t count = 0;
        [[maybe_unused]] const ssize_t drained = ::read(m_woken.get(), &count, sizeof count);
        // Taken here rather than from the signalfd, so that a stop is seen even if that
        // could not be made.
        const timespec now{};
        return sigtimedwait(&m_signals, nullptr, &now) > 0;
    }

private:
    sigset_t m_signals{};
    link::UniqueFd m_signalReady;
    link::UniqueFd m_woken;
};

// Watches the events that decide when --once is done, and passes them on to be printed.
class OnceWatcher : public ViewEvents {
public:
    OnceWatcher(ViewEvents& printer, MainWait& main) : m_printer(printer), m_main(main) {}

    // A service that is off makes no upload to wait for; its loop would say so only
    // after its first wait of several seconds.
    void expectUploadsOf(const UploadConfigStore& configs) {
        std::lock_guard lock(m_mutex);
        for (int i = 0; i < kUploadServiceCount; ++i) {
            const auto service = static_cast<UploadService>(i);
            if (!uploadSwitchedOn(service, configs.get(service))) {
                m_uploadOutcome[static_cast<std::size_t>(i)] = true;
            }
        }
    }

    void send(ViewEvent event) override {
        const int value = static_cast<int>(event);
        if (event == ViewEvent::StationConnected) {
            m_seenStation = true;
        }
        if (value >= static_cast<int>(ViewEvent::WundergroundSuccess) &&
            value <= static_cast<int>(ViewEvent::OpenWeatherMapOff)) {
            // Three outcomes per service: success, failure, off.
            const int service = (value - static_cast<int>(ViewEvent::WundergroundSuccess)) / 3;
            std::lock_guard lock(m_mutex);
            m_uploadOutcome[static_cast<std::size_t>(service)] = true;
        }
        m_printer.send(event);
        m_main.wake();
    }
    void progress(const DownloadProgress& progress) override { m_printer.progress(progress); }
    void stationUnreachable(const std::string& reason) override {
        m_printer.stationUnreachable(reason);
    }
    void uploadFailed(ViewEvent failure, const UploadFailure& why) override {
        m_printer.uploadFailed(failure, why);
    }
    void stationFault(StationFault fault, int value) override {
        m_stationFault = true;
        m_printer.stationFault(fault, value);
        m_main.wake();
    }

    bool seenStation() const { return m_seenStation; }
    bool seenStationFault() const { return m_stationFault; }
    bool allUploadsReported() const {
        std::lock_guard lock(m_mutex);
        return std::all_of(m_uploadOutcome.begin(), m_uploadOutcome.end(),
                           [](bool reported) { return reported; });
    }

private:
    ViewEvents& m_printer;
    MainWait& m_main;
    std::atomic<bool> m_seenStation{false};
    std::atomic<bool> m_stationFault{false};
    mutable std::mutex m_mutex;
    std::array<bool, kUploadServiceCount> m_uploadOutcome{};
};

// Database failures are printed as they always were; --once also takes one as the end of
// its run, as a pass whose records could not be stored never completes.
class StoreFailureWatch {
public:
    explicit StoreFailureWatch(MainWait& main) {
        setDefaultErrorSink([this, &main](const std::string& message) {
            std::fprintf(stderr, "database: %s\n", message.c_str());
            m_failed = true;
            main.wake();
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
    MainWait mainWait;
    HeadlessEvents printer(strings, stdout, isatty(STDOUT_FILENO) != 0);
    OnceWatcher events(printer, mainWait);
    const StoreFailureWatch storeFailures(mainWait);
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
    events.expectUploadsOf(session.uploadConfigs());
    session.mqtt().setListener([&printer, &mqttSettled, &mainWait](MqttEvent event,
                                                                   const std::string& detail) {
        printer.mqtt(event, detail);
        mqttSettled = mqttSettled || (event != MqttEvent::connected && event != MqttEvent::lost);
        mainWait.wake();
    });
    session.mqtt().configure(loadMqttSettings(config));
    session.monitor().setStationModel(loadStationModel(config));
    std::atomic<bool> passCompleted{false};
    session.onPassCompleted([&passCompleted, &mainWait] {
        passCompleted = true;
        mainWait.wake();
    });
    session.start();
    session.startWeb(readWebSettings(config, options),
                     [&strings](int id) { return strings.text(id); });

    StationMonitor& monitor = session.monitor();
    const auto started = Clock::now();
    std::optional<Clock::time_point> passTime;
    int exitCode = 0;
    for (;;) {
        if (mainWait.wait(kCheckInterval)) {
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
            // The station's pointer or count cannot be right, or its kind cannot be told:
            // no pass will complete.
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

    // Without a window there is nothing to close between two polls: stopping ends the
    // monitor at once, cancels a download between two blocks, and wakes the upload loops
    // and MQTT from their waits.
    session.stop();
    return exitCode;
}

}  // namespace nimbra
