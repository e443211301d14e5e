#pragma once

#include <chrono>
#include <string>

#include "station_link/unique_fd.h"

namespace nimbra::link {

// Keeps the exchanges of other processes, of any user, off the station while one of
// ours runs: an flock on the station's device node, or on a file beside the emulator's
// socket (a socket cannot be locked itself). The transfer lock does the same between the
// threads of one process.
class StationLock {
public:
    // The file locked for the emulator listening at `socketPath`.
    static std::string besideSocket(const std::string& socketPath);

    // A file that cannot be opened (a folder we may not write to) locks nothing, so such
    // a station is still used, as it was before there was a lock.
    explicit StationLock(const std::string& path);

    // Waits up to `limit` for other processes' exchanges to end; false when one held the
    // station all that time.
    bool lockFor(std::chrono::milliseconds limit);
    void unlock();

private:
    UniqueFd fd_;
};

}  // namespace nimbra::link
