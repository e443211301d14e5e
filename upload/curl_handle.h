#pragma once

#include <curl/curl.h>

#include <memory>

namespace nimbra {

// libcurl set up once for the whole program; false when that failed.
bool curlReady();

struct CurlCleanup {
    void operator()(CURL* curl) const { curl_easy_cleanup(curl); }
};
using CurlHandle = std::unique_ptr<CURL, CurlCleanup>;

}  // namespace nimbra
