#include "config/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace nimbra {

namespace {

constexpr const char* kLockName = "QX7420.lock";

bool isOwnFolder(const std::filesystem::path& folder) {
    struct stat status {};
    return ::lstat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
           status.st_uid == ::geteuid();
}

}  // namespace

std::filesystem::path SingleInstance::defaultLockPath() {
    const char* chosen = std::getenv(kLockFolderVariable);
    if (chosen != nullptr && *chosen != '\0') {
        return std::filesystem::path(chosen) / kLockName;
    }
    const std::string uid = std::to_string(::geteuid());
    const std::filesystem::path runtime = "/run/user/" + uid;
    if (isOwnFolder(runtime)) {
        return runtime / kLockName;
    }
    return "/tmp/QX7420-" + uid + ".lock";
}

SingleInstance::SingleInstance(const std::filesystem::path& lockPath) {
    // Never through a link, and only a file of our own: in a shared folder such as /tmp
    // another user could have put either there.
    m_fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    m_openError = m_fd < 0 ? errno : 0;
    struct stat status {};
    if (m_fd >= 0 && (::fstat(m_fd, &status) != 0 || status.st_uid != ::geteuid())) {
        ::close(m_fd);
        m_fd = -1;
        m_openError = EPERM;
    }
    if (m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

SingleInstance::~SingleInstance() {
    release();
}

void SingleInstance::release() {
    if (m_fd >= 0) {
        ::close(m_fd);  // closing the only descriptor drops the lock
        m_fd = -1;
    }
}

}  // namespace nimbra
