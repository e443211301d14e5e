#include "upload/aprs_is_client.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>
#include <string>
#include <utility>

#include "upload/curl_handle.h"
#include "upload/request_text.h"
#include "upload/transfer_failure.h"

namespace nimbra {

namespace {

using Clock = std::chrono::steady_clock;
using Status = AprsResult::Status;

// A greeting or answer longer than this is not from an APRS-IS server.
constexpr std::size_t kLineLimit = 512;
// How often a wait looks at the stop request.
constexpr int kPollSliceMs = 100;

class Session {
public:
    Session(CURL* curl, Clock::time_point deadline, std::stop_token stop)
        : m_curl(curl), m_deadline(deadline), m_stop(std::move(stop)) {
        curl_socket_t socket = CURL_SOCKET_BAD;
        curl_easy_getinfo(m_curl, CURLINFO_ACTIVESOCKET, &socket);
        m_socket = socket;
    }

    // The next line without its end, or nothing when the time ran out (timedOut()) or
    // the peer left.
    std::optional<std::string> readLine() {
        for (;;) {
            const auto end = m_pending.find('\n');
            if (end != std::string::npos) {
                std::string line = m_pending.substr(0, end);
                m_pending.erase(0, end + 1);
                if (!line.empty() && line.back() == '\r') {
                    line.pop_back();
                }
                return line;
            }
            if (m_pending.size() > kLineLimit) {
                return std::nullopt;
            }
            char buffer[512];
            std::size_t received = 0;
            const CURLcode result = curl_easy_recv(m_curl, buffer, sizeof buffer, &received);
            if (result == CURLE_AGAIN) {
                if (!wait(POLLIN)) {
                    return std::nullopt;
                }
                continue;
            }
            if (result != CURLE_OK || received == 0) {
                return std::nullopt;
            }
            m_pending.append(buffer, received);
        }
    }

    bool writeLine(std::string_view text) {
        const std::string line = std::string(text) + "\r\n";
        std::size_t done = 0;
        while (done < line.size()) {
            std::size_t sent = 0;
            const CURLcode result =
                curl_easy_send(m_curl, line.data() + done, line.size() - done, &sent);
            if (result == CURLE_AGAIN) {
                if (!wait(POLLOUT)) {
                    return false;
                }
                continue;
            }
            if (result != CURLE_OK) {
                return false;
            }
            done += sent;
        }
        return true;
    }

    bool timedOut() const { return m_timedOut; }

private:
    // Waits until the socket is ready for `events`; false at the deadline or a stop.
    bool wait(short events) {
        while (!m_stop.stop_requested()) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(m_deadline - Clock::now());
            if (left.count() <= 0) {
                m_timedOut = true;
                return false;
            }
            pollfd descriptor{static_cast<int>(m_socket), events, 0};
            const int ready = ::poll(&descriptor, 1,
                                     static_cast<int>(std::min<long>(left.count(), kPollSliceMs)));
            if (ready > 0) {
                return true;
            }
            if (ready < 0 && errno != EINTR) {
                return false;
            }
        }
        return false;
    }

    CURL* m_curl;
    Clock::time_point m_deadline;
    std::stop_token m_stop;
    curl_socket_t m_socket = CURL_SOCKET_BAD;
    std::string m_pending;
    bool m_timedOut = false;
};

int abortWhenStopped(void* stop, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<std::stop_token*>(stop)->stop_requested() ? 1 : 0;
}

// Opens the TCP connection; libcurl only connects and hands the socket over. Its words
// on a failure go to `words`, of CURL_ERROR_SIZE characters.
CURLcode connect(CURL* curl, const std::string& url, const SendOptions& options,
                 std::stop_token& stop, char* words) {
    const bool prepared =
        curl_easy_setopt(curl, CURLOPT_URL, url.c_str()) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_CONNECT_ONLY, 1L) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http") == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_PROXY, "") == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS,
                         static_cast<long>(options.connectTimeout.count())) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, abortWhenStopped) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &stop) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L) == CURLE_OK &&
        curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, words) == CURLE_OK;
    return prepared ? curl_easy_perform(curl) : CURLE_FAILED_INIT;
}

AprsResult unreachable(UploadFailure why) {
    return {Status::unreachable, std::move(why)};
}

// A session that ended early: at its deadline, or because the server left.
AprsResult endedEarly(const Session& session, const SendOptions& options) {
    if (session.timedOut()) {
        return {Status::refused,
                UploadFailure(UploadFailure::Kind::timedOut, {}, 0, {}, {},
                              static_cast<int>(std::chrono::duration_cast<std::chrono::seconds>(
                                                   options.replyTimeout)
                                                   .count()))};
    }
    return {Status::refused, UploadFailure(UploadFailure::Kind::cutShort)};
}

}  // namespace

AprsResult sendAprsPacket(std::string_view host, std::uint16_t port, std::string_view loginLine,
                          bool unverifiedAllowed, std::string_view packet,
                          const SendOptions& options, std::stop_token stop) {
    using enum UploadFailure::Kind;
    if (!isSendableHostName(host) || port == 0) {
        return unreachable(UploadFailure(badServer));
    }
    const CurlHandle curl(curlReady() ? curl_easy_init() : nullptr);
    if (!curl) {
        return unreachable(UploadFailure(other, {}, 0, {}, "the transfer library cannot start"));
    }
    char words[CURL_ERROR_SIZE] = {};
    const std::string url = "http://" + std::string(host) + ':' + std::to_string(port) + '/';
    if (const CURLcode result = connect(curl.get(), url, options, stop, words);
        result != CURLE_OK) {
        return unreachable(transferFailure(result, words, options.connectTimeout));
    }
    Session session(curl.get(), Clock::now() + options.replyTimeout, stop);
    const auto greeting = session.readLine();
    if (!greeting) {
        return endedEarly(session, options);
    }
    if (!greeting->starts_with('#')) {
        return {Status::refused, UploadFailure(other, {}, 0, {}, "no APRS-IS greeting")};
    }
    if (!session.writeLine(loginLine)) {
        return endedEarly(session, options);
    }
    // Servers may send comment lines; the answer to the login is the "# logresp" one.
    std::optional<std::string> answer;
    do {
        answer = session.readLine();
    } while (answer && answer->starts_with('#') && answer->find("logresp") == std::string::npos);
    if (!answer) {
        return endedEarly(session, options);
    }
    if (answer->find("unverified") != std::string::npos && !unverifiedAllowed) {
        // The server's answer says what it made of the passcode; only its printable
        // characters reach the log.
        std::string said = answer->substr(0, kLineLimit);
        std::replace_if(
            said.begin(), said.end(),
            [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; }, ' ');
        return {Status::refused, UploadFailure(notAccepted, {}, 0, std::move(said))};
    }
    if (!session.writeLine(packet)) {
        return endedEarly(session, options);
    }
    return {Status::sent, {}};
}

}  // namespace nimbra
