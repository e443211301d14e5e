#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "core/station_data.h"
#include "report/history_table.h"
#include "web/web_settings.h"

namespace httplib {
class Server;
}

namespace nimbra {

// The charting script the page loads, as Debian installs it.
inline const std::filesystem::path kChartScriptFolder = "/usr/share/javascript/dygraphs";

// What the web server reads from: the live record (a copy per request), the history
// database (a read-only connection per request) and the texts of the user's language.
struct WebSources {
    std::function<CStationData()> snapshot;
    std::filesystem::path database;
    TextLookup text;
    std::filesystem::path chartScripts = kChartScriptFolder;
};

// A read-only HTTP server on a few threads of its own: "/" the page, "/api/current",
// "/api/history" and "/api/history.csv", "/js/..." the charting script. It serves only
// what these name; nothing of Main.ini. Requests are bounded in size and each connection
// in time, so a slow or hostile client cannot hold the server.
class WebServer {
public:
    explicit WebServer(WebSources sources);
    ~WebServer();
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    // Binds `address`:`port` (0: any free port) and starts serving; false with the
    // reason in `error` when the address cannot be bound.
    bool start(const std::string& address, int port, std::string& error);
    // Stops serving and waits for the requests in progress.
    void stop();
    // The port bound by start().
    int port() const { return m_port; }

private:
    void route();

    WebSources m_sources;
    std::string m_page;
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
};

// Starts the server when the settings ask for it, printing why it could not start to
// standard error; null when it is off or could not start.
std::unique_ptr<WebServer> startWebServer(const WebSettings& settings, WebSources sources);

}  // namespace nimbra
