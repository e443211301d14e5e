#include "session/station_session.h"

#include "config/data_folder.h"
#include "core/ole_date.h"
#include "mqtt/mqtt_payloads.h"

namespace nimbra {

StationSession::StationSession(link::StationConnection& link,
                               const std::filesystem::path& dataFolder, ViewEvents& events,
                               std::function<void()> invalidate)
    : m_link(link),
      m_databasePath(dataFolder / kDatabaseFileName),
      m_mqtt(stationNodeId(dataFolder)) {
    if (m_db.Connect(m_databasePath) == 0) {
        // The units and download position of the last session, before the first paint.
        m_live.update([this](CStationData& data) { m_db.ReadParam(data, kParamAll); });
    }
    StationMonitor::Hooks hooks;
    hooks.invalidate = std::move(invalidate);
    hooks.uploadCurrent = [this] {
        m_uploads->uploadToWeatherUnderground();
        m_mqtt.publish(m_live.snapshot().m_Current);
        if (m_passCompleted) {
            m_passCompleted();
        }
    };
    hooks.startUploadLoops = [this] { m_uploads->startLoops(); };
    m_monitor = std::make_unique<StationMonitor>(m_link, m_live, m_db, events, std::move(hooks));
    m_uploads = std::make_unique<UploadThreads>(uploadContext(events), m_monitor->m_Connected);
}

UploadContext StationSession::uploadContext(ViewEvents& events) {
    UploadContext context(
        m_uploadConfigs, [this] { return m_live.snapshot().m_Current; }, events);
    context.rainLast24Hours = [this]() -> std::optional<double> {
        const OleDate now = OleDate::currentTime();
        double sum = 0.0;
        if (m_db.OpenRainSum(now.addSeconds(-24.0 * 3600.0), now, sum) != 0) {
            return std::nullopt;
        }
        return sum;
    };
    context.holdOff = m_holdOff;
    return context;
}

UploadAttempt StationSession::testUpload(UploadService service, const UploadServiceConfig& settings,
                                         std::stop_token stop) {
    // The outcome goes back to the dialog; the status bar keeps telling the loops' news.
    struct Unreported : ViewEvents {
        void send(ViewEvent) override {}
        void progress(const DownloadProgress&) override {}
    };
    static Unreported unreported;
    return attemptUpload(uploadContext(unreported), service, settings, stop);
}

StationSession::~StationSession() {
    stop();
}

void StationSession::start() {
    m_monitor->start();
}

void StationSession::startWeb(const WebSettings& settings, TextLookup text) {
    m_web = startWebServer(settings, WebSources{[this] { return m_live.snapshot(); },
                                                m_databasePath, std::move(text)});
}

void StationSession::stop() {
    m_web.reset();
    m_monitor->stop();
    m_uploads->stopAll();
    m_mqtt.stop();
}

}  // namespace nimbra
