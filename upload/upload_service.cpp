#include "upload/upload_service.h"

namespace nimbra {

namespace {

// Each service's three outcome events follow each other: success, failure, off.
ViewEvent outcomeEvent(UploadService service, int offset) {
    return static_cast<ViewEvent>(static_cast<int>(ViewEvent::WundergroundSuccess) +
                                  3 * static_cast<int>(service) + offset);
}

}  // namespace

ViewEvent successEvent(UploadService service) {
    return outcomeEvent(service, 0);
}

ViewEvent failureEvent(UploadService service) {
    return outcomeEvent(service, 1);
}

ViewEvent offEvent(UploadService service) {
    return outcomeEvent(service, 2);
}

}  // namespace nimbra
