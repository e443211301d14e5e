#pragma once

#include <filesystem>
#include <functional>
#include <memory>

#include "acquisition/live_station.h"
#include "acquisition/station_monitor.h"
#include "mqtt/mqtt_publisher.h"
#include "station_link/station_connection.h"
#include "store/weather_db.h"
#include "upload/upload_config_store.h"
#include "upload/upload_threads.h"
#include "web/web_server.h"

namespace nimbra {

// Everything that runs behind the window or the logger: the live record, the
// database, the station monitor with its downloads, and the uploads. Shared by the
// desktop program and the headless logger, which differ only in their view events.
class StationSession {
public:
    // Connects the database in `dataFolder`; check ok() before start(). The link is the
    // way to the station for the monitor, the downloads and the station writes.
    StationSession(link::StationConnection& link, const std::filesystem::path& dataFolder,
                   ViewEvents& events, std::function<void()> invalidate);
    ~StationSession();
    StationSession(const StationSession&) = delete;
    StationSession& operator=(const StationSession&) = delete;

    bool ok() const { return m_db.isConnected(); }
    // Called after every completed acquisition pass, from the thread that ran it.
    void onPassCompleted(std::function<void()> callback) { m_passCompleted = std::move(callback); }
    void start();
    // Serves the web page when the settings ask for it (see WebServer), in `text`'s language.
    void startWeb(const WebSettings& settings, TextLookup text);
    // Stops the web server, the monitor, any download, the uploads and MQTT, and waits for them.
    void stop();

    link::StationConnection& link() { return m_link; }
    LiveStation& live() { return m_live; }
    CWeatherDb& db() { return m_db; }
    UploadConfigStore& uploadConfigs() { return m_uploadConfigs; }
    // What an upload outside the loops needs (a settings dialog's Test), reporting to
    // `events`; it shares the loops' settings and Retry-After pauses.
    UploadContext uploadContext(ViewEvents& events);
    // One upload with settings a dialog is testing, reported to nobody.
    UploadAttempt testUpload(UploadService service, const UploadServiceConfig& settings,
                             std::stop_token stop);
    StationMonitor& monitor() { return *m_monitor; }
    // Publishes every completed pass's current reading once configured.
    MqttPublisher& mqtt() { return m_mqtt; }
    const std::filesystem::path& databasePath() const { return m_databasePath; }

private:
    link::StationConnection& m_link;
    std::filesystem::path m_databasePath;
    LiveStation m_live;
    CWeatherDb m_db;
    UploadConfigStore m_uploadConfigs;
    std::shared_ptr<UploadHoldOff> m_holdOff = std::make_shared<UploadHoldOff>();
    MqttPublisher m_mqtt;
    std::function<void()> m_passCompleted;
    std::unique_ptr<StationMonitor> m_monitor;
    std::unique_ptr<UploadThreads> m_uploads;
    std::unique_ptr<WebServer> m_web;
};

}  // namespace nimbra
