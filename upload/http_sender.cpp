#include "upload/http_sender.h"

#include <curl/curl.h>

#include <cstdlib>
#include <memory>

#include "upload/curl_handle.h"
#include "upload/request_text.h"
#include "upload/transfer_failure.h"

namespace nimbra {
namespace {

struct HeaderListCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using HeaderList = std::unique_ptr<curl_slist, HeaderListCleanup>;

struct Exchange {
    const std::stop_token* stop;
    HttpReply reply;
    bool atHeadStart = true;    // the next header line is a status line
    bool headComplete = false;  // the blank line that ends the head came
    bool bodyCut = false;       // the body went on beyond what is kept
};

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The code of a status line "HTTP/1.1 200 OK", or 0 for anything else: libcurl would
// take a line that merely starts with "HTTP/" for a 200.
long statusCode(std::string_view line) {
    if (line.size() < 12 || !line.starts_with("HTTP/") || !isDigit(line[5]) || line[6] != '.' ||
        !isDigit(line[7]) || line[8] != ' ' || !isDigit(line[9]) || !isDigit(line[10]) ||
        !isDigit(line[11])) {
        return 0;
    }
    if (line.size() > 12 && line[12] != ' ' && line[12] != '\r' && line[12] != '\n') {
        return 0;
    }
    return (line[9] - '0') * 100 + (line[10] - '0') * 10 + (line[11] - '0');
}

int abortWhenStopped(void* exchange, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    return static_cast<Exchange*>(exchange)->stop->stop_requested() ? 1 : 0;
}

// Keeps the start of the body and ends the transfer once that is full: the rest is
// never looked at, and a server that streams without end cannot hold the upload.
std::size_t keepBodyStart(char* data, std::size_t, std::size_t size, void* context) {
    auto& exchange = *static_cast<Exchange*>(context);
    std::string& body = exchange.reply.body;
    const std::size_t room = kReplyBodyLimit - body.size();
    if (size > room) {
        body.append(data, room);
        exchange.bodyCut = true;
        return 0;
    }
    body.append(data, size);
    return size;
}

// Reads the status line of each head (an interim 1xx one comes before the last) and
// notes the end of the head: a reply cut off inside it is no reply.
std::size_t watchHead(char* data, std::size_t, std::size_t size, void* context) {
    auto& exchange = *static_cast<Exchange*>(context);
    const std::string_view line(data, size);
    if (exchange.atHeadStart) {
        exchange.reply.status = statusCode(line);
        exchange.atHeadStart = false;
        exchange.headComplete = false;
    } else if (line == "\r\n" || line == "\n") {
        exchange.headComplete = true;
        exchange.atHeadStart = true;
    }
    return size;
}

bool prepare(CURL* curl, const std::string& url, const std::string& requestTarget, bool tls,
             const SendOptions& options, Exchange& exchange) {
    const long connectMs = static_cast<long>(options.connectTimeout.count());
    const long totalMs = static_cast<long>((options.connectTimeout + options.replyTimeout).count());
    // HTTP/1.1 over TLS, so that ALPN offers nothing else; the services' plain endpoints
    // keep the HTTP/1.0 they always had. The request goes out as written, never through
    // a proxy taken from the environment, and a redirect is not followed.
    bool ok = curl_easy_setopt(curl, CURLOPT_URL, url.c_str()) == CURLE_OK &&
              curl_easy_setopt(curl, CURLOPT_REQUEST_TARGET, requestTarget.c_str()) == CURLE_OK &&
              curl_easy_setopt(curl, CURLOPT_HTTP_VERSION,
                               tls ? CURL_HTTP_VERSION_1_1 : CURL_HTTP_VERSION_1_0) == CURLE_OK &&
              curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, tls ? "https" : "http") == CURLE_OK &&
              curl_easy_setopt(curl, CURLOPT_PROXY, "") == CURLE_OK &&
              curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 0L) == CURLE_OK &&
              curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 1L) == CURLE_OK &&
              curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 2L) == CURLE_OK &&
              curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
              curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, connectMs) == CURLE_OK &&
              curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, totalMs) == CURLE_OK &&
              curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, keepBodyStart) == CURLE_OK &&
              curl_easy_setopt(curl, CURLOPT_WRITEDATA, &exchange) == CURLE_OK &&
              curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, watchHead) == CURLE_OK &&
              curl_easy_setopt(curl, CURLOPT_HEADERDATA, &exchange) == CURLE_OK &&
              curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, abortWhenStopped) == CURLE_OK &&
              curl_easy_setopt(curl, CURLOPT_XFERINFODATA, &exchange) == CURLE_OK &&
              curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L) == CURLE_OK;
    // The OpenSSL convention, which libcurl's own default bundle path would otherwise hide:
    // a private CA can be trusted without turning verification off.
    const char* caBundle = std::getenv("SSL_CERT_FILE");
    if (ok && caBundle != nullptr && *caBundle != '\0') {
        ok = curl_easy_setopt(curl, CURLOPT_CAINFO, caBundle) == CURLE_OK;
    }
    return ok;
}

}  // namespace

std::optional<HttpReply> SendHttpRequest(std::string_view host, std::uint16_t port,
                                         std::string_view target, const SendOptions& options,
                                         std::stop_token stop, UploadFailure* whyNot,
                                         std::optional<HttpPost> post) {
    const auto fail = [whyNot](UploadFailure failure) -> std::optional<HttpReply> {
        if (whyNot != nullptr) {
            *whyNot = std::move(failure);
        }
        return std::nullopt;
    };
    if (!isSendableHostName(host) || port == 0 || !target.starts_with('/')) {
        return fail(UploadFailure(UploadFailure::Kind::badServer));
    }
    if (!curlReady()) {
        return fail(UploadFailure(UploadFailure::Kind::other, {}, 0, {},
                                  "the transfer library cannot start"));
    }
    const CurlHandle curl(curl_easy_init());
    if (!curl) {
        return fail(UploadFailure(UploadFailure::Kind::other, {}, 0, {},
                                  "the transfer library cannot start"));
    }
    const bool tls = port == options.tlsPort;
    const std::string url = std::string(tls ? "https://" : "http://") + std::string(host) + ':' +
                            std::to_string(port) + '/';
    const std::string requestTarget(target);
    Exchange exchange{&stop, {}};
    char words[CURL_ERROR_SIZE] = {};
    if (!prepare(curl.get(), url, requestTarget, tls, options, exchange) ||
        curl_easy_setopt(curl.get(), CURLOPT_ERRORBUFFER, words) != CURLE_OK) {
        return fail(
            UploadFailure(UploadFailure::Kind::other, {}, 0, {}, "the request cannot be prepared"));
    }
    // libcurl's own "Expect: 100-continue" would hold the body back for a second.
    const std::string contentType =
        post ? "Content-Type: " + std::string(post->contentType) : std::string();
    const HeaderList headers(
        post ? curl_slist_append(curl_slist_append(nullptr, "Expect:"), contentType.c_str())
             : nullptr);
    if (post && (!headers ||
                 curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDSIZE_LARGE,
                                  static_cast<curl_off_t>(post->body.size())) != CURLE_OK ||
                 curl_easy_setopt(curl.get(), CURLOPT_POSTFIELDS, post->body.data()) != CURLE_OK ||
                 curl_easy_setopt(curl.get(), CURLOPT_HTTPHEADER, headers.get()) != CURLE_OK)) {
        return fail(
            UploadFailure(UploadFailure::Kind::other, {}, 0, {}, "the request cannot be prepared"));
    }
    const CURLcode result = curl_easy_perform(curl.get());
    if (result != CURLE_OK && !(result == CURLE_WRITE_ERROR && exchange.bodyCut)) {
        UploadFailure failure =
            transferFailure(result, words, options.connectTimeout + options.replyTimeout);
        // A handshake may end in a general TLS error although the certificate check is
        // what failed: the check's own result says so.
        long verifyResult = 0;
        if (tls &&
            curl_easy_getinfo(curl.get(), CURLINFO_SSL_VERIFYRESULT, &verifyResult) == CURLE_OK &&
            verifyResult != 0) {
            failure.kind = UploadFailure::Kind::certificateRefused;
        }
        return fail(std::move(failure));
    }
    HttpReply& reply = exchange.reply;
    if (!exchange.headComplete || reply.status == 0) {
        return fail(
            UploadFailure(UploadFailure::Kind::cutShort, {}, 0, {}, "no valid status line"));
    }
    curl_off_t retryAfter = 0;
    if (curl_easy_getinfo(curl.get(), CURLINFO_RETRY_AFTER, &retryAfter) == CURLE_OK &&
        retryAfter > 0) {
        reply.retryAfter = std::chrono::seconds(retryAfter);
    }
    return std::move(reply);
}

}  // namespace nimbra
