#include "upload/transfer_failure.h"

namespace nimbra {

UploadFailure transferFailure(CURLcode result, const char* words,
                              std::chrono::milliseconds timeLimit) {
    UploadFailure failure;
    failure.detail = words != nullptr && *words != '\0' ? words : curl_easy_strerror(result);
    switch (result) {
        case CURLE_COULDNT_RESOLVE_HOST:
            failure.kind = UploadFailure::Kind::nameNotResolved;
            break;
        case CURLE_OPERATION_TIMEDOUT:
            failure.kind = UploadFailure::Kind::timedOut;
            failure.seconds = static_cast<int>(
                std::chrono::duration_cast<std::chrono::seconds>(timeLimit).count());
            break;
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_PINNEDPUBKEYNOTMATCH:
            failure.kind = UploadFailure::Kind::certificateRefused;
            break;
        case CURLE_COULDNT_CONNECT:
            failure.kind = UploadFailure::Kind::cannotConnect;
            break;
        case CURLE_GOT_NOTHING:
        case CURLE_RECV_ERROR:
        case CURLE_PARTIAL_FILE:
            failure.kind = UploadFailure::Kind::cutShort;
            break;
        default:
            failure.kind = UploadFailure::Kind::other;
            break;
    }
    return failure;
}

}  // namespace nimbra
