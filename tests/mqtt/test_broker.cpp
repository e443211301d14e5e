#include "tests/mqtt/test_broker.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <mosquitto.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <thread>

namespace nimbra::testing {

namespace {

int freePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

bool accepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool connected =
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

}  // namespace

TestBroker::TestBroker(Options options) : m_port(freePort()) {
    char pattern[] = "/tmp/nimbra-broker-XXXXXX";
    m_folder = ::mkdtemp(pattern);
    std::ofstream config(m_folder / "mosquitto.conf");
    // Run as root, the broker would otherwise change to a user that cannot read the folder.
    config << "user " << ::getpwuid(::getuid())->pw_name << "\n";
    config << "listener " << m_port << " 127.0.0.1\n";
    config << "log_dest file " << (m_folder / "broker.log").string() << "\n";
    if (options.account) {
        const auto passwords = m_folder / "passwords";
        const std::string command = std::string(NIMBRA_MOSQUITTO_PASSWD) + " -c -b '" +
                                    passwords.string() + "' '" + options.account->first + "' '" +
                                    options.account->second + "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) {
            throw std::runtime_error("mosquitto_passwd failed");
        }
        config << "allow_anonymous false\npassword_file " << passwords.string() << "\n";
    } else {
        config << "allow_anonymous true\n";
    }
    if (options.certificate) {
        const std::filesystem::path data = NIMBRA_MQTT_DATA_DIR;
        config << "certfile " << (data / (*options.certificate + ".pem")).string() << "\n";
        config << "keyfile " << (data / (*options.certificate + ".key")).string() << "\n";
    }
}

TestBroker::~TestBroker() {
    stop();
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

bool TestBroker::start() {
    const std::string configPath = (m_folder / "mosquitto.conf").string();
    m_pid = ::fork();
    if (m_pid == 0) {
        // Its complaints (such as being run as root) would clutter the test's output.
        const int quiet = ::open("/dev/null", O_WRONLY);
        ::dup2(quiet, STDERR_FILENO);
        ::execl(NIMBRA_MOSQUITTO, "mosquitto", "-c", configPath.c_str(), nullptr);
        ::_exit(127);
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (accepts(m_port)) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

void TestBroker::stop() {
    if (m_pid <= 0) {
        return;
    }
    ::kill(m_pid, SIGKILL);  // as a broker that crashes or loses power: no goodbyes
    ::waitpid(m_pid, nullptr, 0);
    m_pid = -1;
}

TestSubscriber::TestSubscriber(int port,
                               std::optional<std::pair<std::string, std::string>> account) {
    mosquitto_lib_init();
    m_client = mosquitto_new(nullptr, true, this);
    if (account) {
        mosquitto_username_pw_set(m_client, account->first.c_str(), account->second.c_str());
    }
    mosquitto_message_callback_set(m_client, &TestSubscriber::onMessage);
    mosquitto_connect_callback_set(m_client, [](mosquitto* client, void*, int rc) {
        if (rc == 0) {
            mosquitto_subscribe(client, nullptr, "#", 1);
        }
    });
    mosquitto_connect(m_client, "127.0.0.1", port, 30);
    mosquitto_loop_start(m_client);
}

TestSubscriber::~TestSubscriber() {
    mosquitto_disconnect(m_client);
    mosquitto_loop_stop(m_client, true);
    mosquitto_destroy(m_client);
}

void TestSubscriber::onMessage(mosquitto*, void* self, const mosquitto_message* message) {
    auto* subscriber = static_cast<TestSubscriber*>(self);
    const std::lock_guard lock(subscriber->m_mutex);
    subscriber->m_messages.push_back({message->topic,
                                      std::string(static_cast<const char*>(message->payload),
                                                  static_cast<std::size_t>(message->payloadlen)),
                                      message->retain});
    subscriber->m_arrived.notify_all();
}

bool TestSubscriber::waitFor(const std::string& topic, std::size_t count) {
    std::unique_lock lock(m_mutex);
    return m_arrived.wait_for(lock, std::chrono::seconds(10), [&] {
        std::size_t seen = 0;
        for (const Message& message : m_messages) {
            seen += message.topic == topic ? 1 : 0;
        }
        return seen >= count;
    });
}

std::vector<std::string> TestSubscriber::payloads(const std::string& topic) const {
    const std::lock_guard lock(m_mutex);
    std::vector<std::string> found;
    for (const Message& message : m_messages) {
        if (message.topic == topic) {
            found.push_back(message.payload);
        }
    }
    return found;
}

std::map<std::string, std::string> TestSubscriber::latest() const {
    const std::lock_guard lock(m_mutex);
    std::map<std::string, std::string> found;
    for (const Message& message : m_messages) {
        found[message.topic] = message.payload;
    }
    return found;
}

}  // namespace nimbra::testing
