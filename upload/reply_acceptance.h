#pragma once

#include <string>

#include "upload/http_sender.h"
#include "upload/upload_service.h"

namespace nimbra {

// Whether a service took the upload: a 2xx status line and, for Weather Underground (and
// custom servers) "success" in the body, for Weathercloud the code 200 as the body. An
// error status never counts, whatever its body holds.
bool replyAccepted(UploadService service, const HttpReply& reply);

// What an error reply says, for the log: its status and the "message" of its JSON body,
// else the first line of the body, e.g. "401: Invalid API key".
std::string replyProblem(const HttpReply& reply);

}  // namespace nimbra
