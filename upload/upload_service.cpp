#include "upload/upload_service.h"

namespace nimbra {

ViewEvent successEvent(UploadService service) {
    switch (service) {
        case UploadService::WeatherUnderground:
            return ViewEvent::WundergroundSuccess;
        case UploadService::Wow:
            return ViewEvent::WowSuccess;
        case UploadService::Weathercloud:
            break;
    }
    return ViewEvent::WeathercloudSuccess;
}

ViewEvent failureEvent(UploadService service) {
    switch (service) {
        case UploadService::WeatherUnderground:
            return ViewEvent::WundergroundFailure;
        case UploadService::Wow:
            return ViewEvent::WowFailure;
        case UploadService::Weathercloud:
            break;
    }
    return ViewEvent::WeathercloudFailure;
}

ViewEvent offEvent(UploadService service) {
    switch (service) {
        case UploadService::WeatherUnderground:
            return ViewEvent::WundergroundOff;
        case UploadService::Wow:
            return ViewEvent::WowOff;
        case UploadService::Weathercloud:
            break;
    }
    return ViewEvent::WeathercloudOff;
}

}  // namespace nimbra
