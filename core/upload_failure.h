#pragma once

#include <string>
#include <utility>

namespace nimbra {

// Why an upload did not go through, as the upload found it. The words the user reads are
// made from it in the user's language; `detail` holds the transfer library's own words.
struct UploadFailure {
    enum class Kind {
        badServer,           // a server name the services cannot take; nobody was contacted
        nameNotResolved,     // the server's name does not resolve
        timedOut,            // no (complete) answer within the time limit
        certificateRefused,  // the server's TLS certificate did not pass the check
        cannotConnect,       // no connection, e.g. refused
        cutShort,            // the connection ended before a whole reply head came
        httpStatus,          // an error status line
        notAccepted,         // a success status whose body says the upload was not taken
        // Settings a service cannot send with; nobody was contacted.
        noLocation,   // the station location is not set
        badStation,   // the station is no name the service takes
        badPasscode,  // the passcode is no number
        noApiKey,
        noStationId,
        other,
    };
    UploadFailure(Kind kind = Kind::other, std::string host = {}, long status = 0,
                  std::string serverMessage = {}, std::string detail = {}, int seconds = 0)
        : kind(kind),
          host(std::move(host)),
          status(status),
          serverMessage(std::move(serverMessage)),
          detail(std::move(detail)),
          seconds(seconds) {}

    Kind kind;
    std::string host;           // the server as configured, with ":port" when not the default
    long status;                // the status code, for httpStatus and notAccepted
    std::string serverMessage;  // the start of the reply's body, for httpStatus and notAccepted
    std::string detail;         // the transfer library's description, for the network faults
    int seconds;                // the time limit, for timedOut
};

}  // namespace nimbra
