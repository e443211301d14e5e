#pragma once

#include <httplib.h>

#include <nlohmann/json.hpp>

#include "tests/support/history_fixture.h"
#include "tests/support/temp_folder.h"
#include "web/web_server.h"

namespace nimbra::testing {

// A web server on a free port of 127.0.0.1 over a real database in a temporary folder,
// and a client for it.
class WebServerTest : public ::testing::Test {
protected:
    void serve(const std::vector<HistoryRecord>& records, const CStationData& live = {}) {
        storeRecords(database(), records, live);
        m_live = live;
        m_server = std::make_unique<WebServer>(
            WebSources{[this] { return m_live; }, database(), textsOf("en")});
        std::string error;
        ASSERT_TRUE(m_server->start("127.0.0.1", 0, error)) << error;
        m_client = std::make_unique<httplib::Client>("127.0.0.1", m_server->port());
    }

    std::filesystem::path database() const { return m_folder.path() / "Nimbra7420.db"; }

    // GET `path`: status and body.
    std::pair<int, std::string> get(const std::string& path) {
        const auto reply = m_client->Get(path);
        EXPECT_TRUE(reply) << path;
        return reply ? std::pair(reply->status, reply->body) : std::pair(0, std::string());
    }
    nlohmann::json getJson(const std::string& path, int expectedStatus = 200) {
        const auto [status, body] = get(path);
        EXPECT_EQ(status, expectedStatus) << path << ": " << body;
        return nlohmann::json::parse(body, nullptr, false);
    }

    TempFolder m_folder;
    CStationData m_live;
    std::unique_ptr<WebServer> m_server;
    std::unique_ptr<httplib::Client> m_client;
};

}  // namespace nimbra::testing
