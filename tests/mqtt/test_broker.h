#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct mosquitto;
struct mosquitto_message;

namespace nimbra::testing {

// A mosquitto broker of its own on a free port of 127.0.0.1, in a scratch folder, that
// a test can stop and start again on the same port. Nothing is kept across a restart.
class TestBroker {
public:
    struct Options {
        // Only this user with this password may connect; anyone may without it.
        std::optional<std::pair<std::string, std::string>> account;
        // TLS with tests/data/mqtt/<certificate>.pem and .key.
        std::optional<std::string> certificate;
    };

    explicit TestBroker(Options options = {});
    ~TestBroker();
    TestBroker(const TestBroker&) = delete;
    TestBroker& operator=(const TestBroker&) = delete;

    int port() const { return m_port; }
    // False when the broker did not come up within a few seconds.
    bool start();
    void stop();

private:
    std::filesystem::path m_folder;
    int m_port = 0;
    pid_t m_pid = -1;
};

// A subscriber to every topic of a broker that keeps what arrives, retained or not.
class TestSubscriber {
public:
    struct Message {
        std::string topic;
        std::string payload;
        bool retained = false;
    };

    explicit TestSubscriber(
        int port, std::optional<std::pair<std::string, std::string>> account = std::nullopt);
    ~TestSubscriber();
    TestSubscriber(const TestSubscriber&) = delete;
    TestSubscriber& operator=(const TestSubscriber&) = delete;

    // Waits up to a few seconds until `topic` has carried `count` messages.
    bool waitFor(const std::string& topic, std::size_t count = 1);
    std::vector<std::string> payloads(const std::string& topic) const;
    // The last message of every topic.
    std::map<std::string, std::string> latest() const;

private:
    static void onMessage(mosquitto*, void* self, const mosquitto_message* message);

    mosquitto* m_client = nullptr;
    mutable std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::vector<Message> m_messages;
};

}  // namespace nimbra::testing
