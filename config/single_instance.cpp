#include "config/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace nimbra {

namespace {
constexpr const char* kLockName = "QX7420.lock";
}

std::filesystem::path SingleInstance::defaultLockPath(const std::filesystem::path& fallbackFolder) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0' && std::filesystem::is_directory(runtime)) {
        return std::filesystem::path(runtime) / kLockName;
    }
    return fallbackFolder / kLockName;
}

SingleInstance::SingleInstance(const std::filesystem::path& lockPath) {
    m_fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    m_openError = m_fd < 0 ? errno : 0;
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
