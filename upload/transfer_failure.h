#pragma once

#include <curl/curl.h>

#include <chrono>

#include "core/upload_failure.h"

namespace nimbra {

// What a failed transfer's code means to the user, with libcurl's own words (`words`,
// its error buffer, or its text for the code when that is empty) as the detail.
// `timeLimit` is what a time-out waited for.
UploadFailure transferFailure(CURLcode result, const char* words,
                              std::chrono::milliseconds timeLimit);

}  // namespace nimbra
