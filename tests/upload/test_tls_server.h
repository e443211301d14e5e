#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace nimbra::testing {

// A certificate authority made for one test, and a server certificate it signed for
// 127.0.0.1 and localhost. Files in a fresh temporary folder, removed at the end.
class TestCertificates {
public:
    TestCertificates();
    ~TestCertificates();
    TestCertificates(const TestCertificates&) = delete;
    TestCertificates& operator=(const TestCertificates&) = delete;

    const std::filesystem::path& caFile() const { return m_caFile; }
    const std::filesystem::path& certificateFile() const { return m_certificateFile; }
    const std::filesystem::path& keyFile() const { return m_keyFile; }

private:
    std::filesystem::path m_folder;
    std::filesystem::path m_caFile;
    std::filesystem::path m_certificateFile;
    std::filesystem::path m_keyFile;
};

// An HTTPS server on 127.0.0.1 that offers h2 before http/1.1 in ALPN, as the services'
// front ends do, records each request head and body with the protocol agreed, and answers every
// request with the same bytes.
class TestTlsServer {
public:
    struct Request {
        std::string alpn;  // the protocol agreed; empty when the client offered none
        std::string head;
        std::string body;  // as long as the head's Content-Length says
    };

    // `port` 0 takes a free one.
    TestTlsServer(const TestCertificates& certificates, std::string reply, std::uint16_t port = 0);
    ~TestTlsServer();
    TestTlsServer(const TestTlsServer&) = delete;
    TestTlsServer& operator=(const TestTlsServer&) = delete;

    std::uint16_t port() const { return m_port; }
    std::vector<Request> requests() const;

private:
    void serve();
    void handle(int fd);

    std::string m_reply;
    void* m_context = nullptr;  // SSL_CTX
    int m_listener = -1;
    std::uint16_t m_port = 0;
    std::atomic<bool> m_stopping{false};
    mutable std::mutex m_mutex;
    std::vector<Request> m_requests;
    std::thread m_thread;
};

}  // namespace nimbra::testing
