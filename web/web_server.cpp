#include "web/web_server.h"

#include <httplib.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "store/weather_db.h"
#include "web/current_json.h"
#include "web/history_request.h"
#include "web/history_response.h"
#include "web/json_text.h"
#include "web/web_page.h"

namespace nimbra {

namespace {

constexpr const char* kJson = "application/json; charset=utf-8";
constexpr std::size_t kCsvPiece = 64 * 1024;
// A few workers are plenty for a page polled every few seconds; each request is its own
// connection, so an idle client holds no worker beyond the read timeout.
constexpr std::size_t kWorkers = 4;
constexpr int kReadTimeoutSeconds = 5;
constexpr int kWriteTimeoutSeconds = 10;
constexpr std::size_t kMaxBody = 1024;

// The files of the charting script the page may load, and their types.
const std::pair<const char*, const char*> kScriptFiles[] = {
    {"dygraph.min.js", "application/javascript; charset=utf-8"},
    {"dygraph.min.css", "text/css; charset=utf-8"},
};

void refuse(httplib::Response& response, int status, std::string_view parameter,
            std::string_view message) {
    response.status = status;
    response.set_content(jsonError(parameter, message), kJson);
}

std::optional<std::string> readFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

}  // namespace

WebServer::WebServer(WebSources sources)
    : m_sources(std::move(sources)),
      m_page(webPage(m_sources.text)),
      m_server(std::make_unique<httplib::Server>()) {
    m_server->new_task_queue = [] { return new httplib::ThreadPool(kWorkers); };
    m_server->set_keep_alive_max_count(1);
    m_server->set_read_timeout(kReadTimeoutSeconds, 0);
    m_server->set_write_timeout(kWriteTimeoutSeconds, 0);
    m_server->set_payload_max_length(kMaxBody);
    route();
}

WebServer::~WebServer() {
    stop();
}

void WebServer::route() {
    httplib::Server& s = *m_server;
    s.Get("/", [this](const httplib::Request&, httplib::Response& response) {
        response.set_content(m_page, "text/html; charset=utf-8");
    });

    s.Get("/api/current", [this](const httplib::Request&, httplib::Response& response) {
        response.set_header("Cache-Control", "no-store");
        response.set_content(currentJson(m_sources.snapshot()), kJson);
    });

    s.Get("/api/history", [this](const httplib::Request& request, httplib::Response& response) {
        const auto parsed = parseHistoryRequest(request.params);
        if (const auto* error = std::get_if<RequestError>(&parsed)) {
            refuse(response, 400, error->parameter, error->message);
            return;
        }
        CWeatherDb db;
        std::optional<std::string> json;
        if (db.Connect(m_sources.database, ConnectMode::readOnly) == 0) {
            json = historyJson(db, std::get<HistoryRequest>(parsed), m_sources.snapshot());
        }
        if (!json) {
            refuse(response, 500, "", "the history cannot be read");
            return;
        }
        response.set_content(std::move(*json), kJson);
    });

    s.Get("/api/history.csv", [this](const httplib::Request& request, httplib::Response& response) {
        // Only the range counts for the CSV: it has the history list's columns.
        QueryParameters range;
        for (const char* name : {"from", "to"}) {
            if (const auto found = request.params.find(name); found != request.params.end()) {
                range.insert(*found);
            }
        }
        const auto parsed = parseHistoryRequest(range);
        if (const auto* error = std::get_if<RequestError>(&parsed)) {
            refuse(response, 400, error->parameter, error->message);
            return;
        }
        auto stream =
            std::make_shared<HistoryCsvStream>(m_sources.database, std::get<HistoryRequest>(parsed),
                                               m_sources.snapshot(), m_sources.text);
        if (!stream->ok()) {
            refuse(response, 500, "", "the history cannot be read");
            return;
        }
        response.set_header("Content-Disposition", "attachment; filename=\"history.csv\"");
        response.set_chunked_content_provider("text/csv; charset=utf-8",
                                              [stream](std::size_t, httplib::DataSink& sink) {
                                                  const std::string piece = stream->next(kCsvPiece);
                                                  if (piece.empty()) {
                                                      sink.done();
                                                      return !stream->failed();
                                                  }
                                                  return sink.write(piece.data(), piece.size());
                                              });
    });

    for (const auto& [name, type] : kScriptFiles) {
        const std::string file = name;
        const std::string contentType = type;
        s.Get("/js/" + file,
              [this, file, contentType](const httplib::Request&, httplib::Response& response) {
                  const auto content = readFile(m_sources.chartScripts / file);
                  if (!content) {
                      refuse(response, 404, "", "not found");
                      return;
                  }
                  response.set_header("Cache-Control", "max-age=86400");
                  response.set_content(*content, contentType.c_str());
              });
    }

    s.set_error_handler([](const httplib::Request&, httplib::Response& response) {
        if (response.body.empty()) {
            response.set_content(
                jsonError("", response.status == 404 ? "not found" : "request refused"), kJson);
        }
    });
}

bool WebServer::start(const std::string& address, int port, std::string& error) {
    m_port = port == 0 ? m_server->bind_to_any_port(address)
                       : (m_server->bind_to_port(address, port) ? port : -1);
    if (m_port <= 0) {
        error = "cannot listen on " + address + ":" + std::to_string(port);
        m_port = 0;
        return false;
    }
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    return true;
}

void WebServer::stop() {
    if (m_thread.joinable()) {
        m_server->stop();
        m_thread.join();
    }
}

std::unique_ptr<WebServer> startWebServer(const WebSettings& settings, WebSources sources) {
    if (!settings.enabled) {
        return nullptr;
    }
    auto server = std::make_unique<WebServer>(std::move(sources));
    std::string error;
    if (!server->start(settings.listen, settings.port, error)) {
        std::fprintf(stderr, "nimbraplus: web server: %s\n", error.c_str());
        return nullptr;
    }
    std::printf("NimbraPlus: web page on http://%s:%d/\n", settings.listen.c_str(), server->port());
    std::fflush(stdout);
    return server;
}

}  // namespace nimbra
