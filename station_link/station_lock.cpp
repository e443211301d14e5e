#include "station_link/station_lock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <thread>

namespace nimbra::link {

namespace {

constexpr std::chrono::milliseconds kRetryStep{2};

// Read-only is enough for flock, so every user who may talk to the station may lock it.
// Where the file is missing it is made; an existing one is never created over (in a
// sticky folder such as /tmp the kernel refuses that for another user's file).
int openLockFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd >= 0 || errno != ENOENT) {
        return fd;
    }
    const int created = ::open(path.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    return created >= 0 || errno != EEXIST ? created : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}

}  // namespace

std::string StationLock::besideSocket(const std::string& socketPath) {
    return socketPath + ".lock";
}

StationLock::StationLock(const std::string& path) : fd_(openLockFile(path)) {}

bool StationLock::lockFor(std::chrono::milliseconds limit) {
    if (!fd_) {
        return true;
    }
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (::flock(fd_.get(), LOCK_EX | LOCK_NB) == 0) {
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return true;  // a file that takes no lock guards nothing, as if there were none
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(kRetryStep);
    }
}

void StationLock::unlock() {
    if (fd_) {
        ::flock(fd_.get(), LOCK_UN);
    }
}

}  // namespace nimbra::link
