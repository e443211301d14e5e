#include "upload/http_sender.h"

#include <curl/curl.h>
#include <poll.h>

#include <memory>
#include <string>

#include "upload/request_text.h"
#include "upload/stoppable_sleep.h"

namespace nimbra {
namespace {

// The reply is examined in one chunk of this many bytes at most.
constexpr std::size_t kReplyChunk = 1023;

bool curlReady() {
    // A function-local static is initialised exactly once even when threads race here.
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

struct CurlCleanup {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
using CurlHandle = std::unique_ptr<CURL, CurlCleanup>;

int abortWhenStopped(void* stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<const std::stop_token*>(stop)->stop_requested() ? 1 : 0;
}

bool connectTo(CURL* curl, std::string_view host, std::uint16_t port, const SendOptions& options,
               const std::stop_token& stop) {
    const std::string url = std::string(port == 443 ? "https://" : "http://") + std::string(host) +
                            ':' + std::to_string(port) + '/';
    const long connectMs = static_cast<long>(options.connectTimeout.count());
    // The request goes out as written, never through a proxy taken from the environment.
    return curl_easy_setopt(curl, CURLOPT_URL, url.c_str()) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_CONNECT_ONLY, 1L) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_PROXY, "") == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, connectMs) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, abortWhenStopped) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &stop) == CURLE_OK &&
           curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L) == CURLE_OK &&
           curl_easy_perform(curl) == CURLE_OK;
}

// Waits up to `timeoutMs` for the connection to take more data.
bool waitWritable(CURL* curl, int timeoutMs) {
    curl_socket_t socket = CURL_SOCKET_BAD;
    if (curl_easy_getinfo(curl, CURLINFO_ACTIVESOCKET, &socket) != CURLE_OK ||
        socket == CURL_SOCKET_BAD) {
        return false;
    }
    pollfd descriptor{socket, POLLOUT, 0};
    return ::poll(&descriptor, 1, timeoutMs) > 0;
}

bool sendAll(CURL* curl, std::string_view request, const SendOptions& options,
             const std::stop_token& stop) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + options.sendTimeout;
    std::size_t sent = 0;
    while (sent < request.size()) {
        std::size_t n = 0;
        const CURLcode result =
            curl_easy_send(curl, request.data() + sent, request.size() - sent, &n);
        if (result != CURLE_OK && result != CURLE_AGAIN) {
            return false;
        }
        sent += n;
        if (n == 0) {
            // The socket buffer is full: wait for room, within the send time.
            if (stop.stop_requested() || Clock::now() >= deadline) {
                return false;
            }
            waitWritable(curl, 100);
        }
    }
    return true;
}

// The first chunk of the reply, or nothing when none came in time.
std::string firstReplyChunk(CURL* curl, const SendOptions& options, const std::stop_token& stop) {
    char buffer[kReplyChunk];
    for (int attempt = 0; attempt < options.replyPolls; ++attempt) {
        // Waiting before each read lets a reply sent in several pieces gather, so the
        // chunk holds what the server wrote at once.
        if (!sleepUnlessStopped(stop, options.replyPollInterval)) {
            return {};
        }
        std::size_t n = 0;
        const CURLcode result = curl_easy_recv(curl, buffer, sizeof buffer, &n);
        if (result == CURLE_AGAIN) {
            continue;
        }
        // n == 0 with CURLE_OK: the server closed the connection without a word.
        return result == CURLE_OK ? std::string(buffer, n) : std::string();
    }
    return {};
}

}  // namespace

bool SendHttpRequest(std::string_view host, std::string_view request, std::uint16_t port,
                     std::string_view token, const SendOptions& options, std::stop_token stop) {
    if (!isSendableHostName(host) || port == 0 || request.empty() || !curlReady()) {
        return false;
    }
    const CurlHandle curl(curl_easy_init());
    if (!curl || !connectTo(curl.get(), host, port, options, stop) ||
        !sendAll(curl.get(), request, options, stop)) {
        return false;
    }
    const std::string reply = firstReplyChunk(curl.get(), options, stop);
    return !token.empty() && reply.find(token) != std::string::npos;
}

}  // namespace nimbra
