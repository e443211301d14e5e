#include "tests/upload/test_tls_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>

namespace nimbra::testing {
namespace {

template <typename T, void (*Free)(T*)>
struct Freeing {
    void operator()(T* p) const { Free(p); }
};
using Key = std::unique_ptr<EVP_PKEY, Freeing<EVP_PKEY, EVP_PKEY_free>>;
using Certificate = std::unique_ptr<X509, Freeing<X509, X509_free>>;

void require(bool ok, const char* what) {
    if (!ok) {
        throw std::runtime_error(std::string("test certificates: ") + what);
    }
}

void addExtension(X509* certificate, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx(&context, issuer, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    require(extension != nullptr && X509_add_ext(certificate, extension, -1) == 1, "extension");
    X509_EXTENSION_free(extension);
}

Certificate makeCertificate(const char* commonName, EVP_PKEY* key, X509* issuer,
                            EVP_PKEY* issuerKey, long serial) {
    Certificate certificate(X509_new());
    require(certificate != nullptr, "new certificate");
    X509* c = certificate.get();
    X509_set_version(c, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(c), serial);
    X509_gmtime_adj(X509_getm_notBefore(c), -3600);
    X509_gmtime_adj(X509_getm_notAfter(c), 24 * 3600);
    X509_set_pubkey(c, key);
    X509_NAME* name = X509_get_subject_name(c);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
    X509* signer = issuer != nullptr ? issuer : c;
    X509_set_issuer_name(c, X509_get_subject_name(signer));
    if (issuer == nullptr) {
        addExtension(c, c, NID_basic_constraints, "critical,CA:TRUE");
        addExtension(c, c, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        addExtension(c, signer, NID_basic_constraints, "CA:FALSE");
        addExtension(c, signer, NID_subject_alt_name, "IP:127.0.0.1,DNS:localhost");
        addExtension(c, signer, NID_ext_key_usage, "serverAuth");
    }
    addExtension(c, signer, NID_subject_key_identifier, "hash");
    require(X509_sign(c, issuerKey != nullptr ? issuerKey : key, EVP_sha256()) > 0, "sign");
    return certificate;
}

template <typename Write>
void writePem(const std::filesystem::path& path, Write write) {
    FILE* file = std::fopen(path.c_str(), "w");
    require(file != nullptr, "open a file");
    const bool ok = write(file) == 1;
    require(std::fclose(file) == 0 && ok, "write a file");
}

int listenOn(std::uint16_t& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const int reuse = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(port);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, 8) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        throw std::runtime_error("cannot listen on 127.0.0.1:" + std::to_string(port));
    }
    port = ntohs(address.sin_port);
    return fd;
}

// Agrees on h2 whenever the client offers it, else on http/1.1.
int chooseProtocol(SSL*, const unsigned char** out, unsigned char* outLength,
                   const unsigned char* offered, unsigned int offeredLength, void*) {
    static const unsigned char kPreferred[] = "\x02h2\x08http/1.1";
    unsigned char* chosen = nullptr;
    if (SSL_select_next_proto(&chosen, outLength, kPreferred, sizeof kPreferred - 1, offered,
                              offeredLength) != OPENSSL_NPN_NEGOTIATED) {
        return SSL_TLSEXT_ERR_ALERT_FATAL;
    }
    *out = chosen;
    return SSL_TLSEXT_ERR_OK;
}

}  // namespace

TestCertificates::TestCertificates() {
    std::string folder = (std::filesystem::temp_directory_path() / "nimbra-tls-XXXXXX").string();
    require(::mkdtemp(folder.data()) != nullptr, "temporary folder");
    m_folder = folder;
    m_caFile = m_folder / "ca.pem";
    m_certificateFile = m_folder / "server.pem";
    m_keyFile = m_folder / "server-key.pem";

    const Key caKey(EVP_EC_gen("P-256"));
    const Key serverKey(EVP_EC_gen("P-256"));
    require(caKey && serverKey, "keys");
    const Certificate ca = makeCertificate("NimbraPlus test CA", caKey.get(), nullptr, nullptr, 1);
    const Certificate server =
        makeCertificate("127.0.0.1", serverKey.get(), ca.get(), caKey.get(), 2);
    writePem(m_caFile, [&](FILE* f) { return PEM_write_X509(f, ca.get()); });
    writePem(m_certificateFile, [&](FILE* f) { return PEM_write_X509(f, server.get()); });
    writePem(m_keyFile, [&](FILE* f) {
        return PEM_write_PrivateKey(f, serverKey.get(), nullptr, nullptr, 0, nullptr, nullptr);
    });
}

TestCertificates::~TestCertificates() {
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

TestTlsServer::TestTlsServer(const TestCertificates& certificates, std::string reply,
                             std::uint16_t port)
    : m_reply(std::move(reply)) {
    SSL_CTX* context = SSL_CTX_new(TLS_server_method());
    if (context == nullptr ||
        SSL_CTX_use_certificate_file(context, certificates.certificateFile().c_str(),
                                     SSL_FILETYPE_PEM) != 1 ||
        SSL_CTX_use_PrivateKey_file(context, certificates.keyFile().c_str(), SSL_FILETYPE_PEM) !=
            1) {
        SSL_CTX_free(context);
        throw std::runtime_error("cannot set up the TLS server");
    }
    SSL_CTX_set_alpn_select_cb(context, chooseProtocol, nullptr);
    m_context = context;
    m_port = port;
    m_listener = listenOn(m_port);
    m_thread = std::thread([this] { serve(); });
}

TestTlsServer::~TestTlsServer() {
    m_stopping.store(true);
    m_thread.join();
    ::close(m_listener);
    SSL_CTX_free(static_cast<SSL_CTX*>(m_context));
}

std::vector<TestTlsServer::Request> TestTlsServer::requests() const {
    const std::lock_guard lock(m_mutex);
    return m_requests;
}

void TestTlsServer::serve() {
    while (!m_stopping.load()) {
        pollfd descriptor{m_listener, POLLIN, 0};
        if (::poll(&descriptor, 1, 20) <= 0) {
            continue;
        }
        const int fd = ::accept(m_listener, nullptr, nullptr);
        if (fd >= 0) {
            handle(fd);
            ::close(fd);
        }
    }
}

namespace {

// The Content-Length of a request head, 0 when it has none.
std::size_t contentLength(const std::string& head) {
    std::string lower = head;
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const auto at = lower.find("\r\ncontent-length:");
    return at == std::string::npos ? 0 : std::stoul(lower.substr(at + 17));
}

}  // namespace

void TestTlsServer::handle(int fd) {
    // A client that stalls cannot hold the server past the test.
    const timeval limit{5, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    SSL* ssl = SSL_new(static_cast<SSL_CTX*>(m_context));
    SSL_set_fd(ssl, fd);
    if (SSL_accept(ssl) == 1) {
        const unsigned char* protocol = nullptr;
        unsigned int length = 0;
        SSL_get0_alpn_selected(ssl, &protocol, &length);
        Request request{std::string(reinterpret_cast<const char*>(protocol), length), {}, {}};
        char buffer[4096];
        std::string received;
        const auto read = [&] {
            const int n = SSL_read(ssl, buffer, sizeof buffer);
            if (n > 0) {
                received.append(buffer, static_cast<std::size_t>(n));
            }
            return n > 0;
        };
        while (received.find("\r\n\r\n") == std::string::npos && read()) {
        }
        const std::size_t headEnd = std::min(received.find("\r\n\r\n"), received.size());
        request.head = received.substr(0, std::min(headEnd + 4, received.size()));
        const std::size_t bodyLength = contentLength(request.head);
        while (received.size() < request.head.size() + bodyLength && read()) {
        }
        request.body = received.substr(request.head.size());
        {
            const std::lock_guard lock(m_mutex);
            m_requests.push_back(request);
        }
        SSL_write(ssl, m_reply.data(), static_cast<int>(m_reply.size()));
        SSL_shutdown(ssl);
    }
    SSL_free(ssl);
    ERR_clear_error();
}

}  // namespace nimbra::testing
