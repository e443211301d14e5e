#pragma once

#include "upload/http_sender.h"
#include "upload/upload_service.h"

namespace nimbra {

// Whether a service took the upload: a 2xx status line and, for Weather Underground (and
// custom servers) "success" in the body, for Weathercloud the code 200 as the body. An
// error status never counts, whatever its body holds.
bool replyAccepted(UploadService service, const HttpReply& reply);

// Why a reply replyAccepted refuses failed: an error status, or a success status the
// body turns down; with what the server said, the "message" of a JSON body or else the
// body's first line, shortened and in printable characters only.
UploadFailure refusalOf(const HttpReply& reply);

}  // namespace nimbra
