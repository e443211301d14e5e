#include "upload/curl_handle.h"

namespace nimbra {

bool curlReady() {
    // A function-local static is initialised exactly once even when threads race here.
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

}  // namespace nimbra
