#include "soak/scratch_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace nimbra::soak {

namespace fs = std::filesystem;

namespace {

// The program's temporary record files: the prefix and mkstemp's six characters.
bool isTempRecordFile(const std::string& name) {
    return name.size() == 12 && name.starts_with("QX7420");
}

}  // namespace

WorkDir::WorkDir(const std::optional<fs::path>& chosen) {
    if (chosen) {
        m_path = *chosen;
        m_keep = true;
        fs::create_directories(m_path);
        return;
    }
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/nimbra-crash-soak-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) {
        m_path = pattern;
    }
}

WorkDir::~WorkDir() {
    if (!m_keep && !m_path.empty()) {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
}

LogStamp logStamp(const fs::path& database) {
    struct stat status {};
    const std::string log = database.native() + "-wal";
    if (::stat(log.c_str(), &status) != 0) {
        return {};
    }
    return {true, status.st_size,
            static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec};
}

bool lockIsFree(const fs::path& lockPath) {
    const int fd = ::open(lockPath.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        return true;  // never made: nothing to hold
    }
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);  // also drops the lock just taken
    return free;
}

int takeLeftoverTempFiles(const fs::path& folder) {
    int count = 0;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error)) {
        if (isTempRecordFile(entry.path().filename().native())) {
            ++count;
            fs::remove(entry.path(), error);
        }
    }
    return count;
}

}  // namespace nimbra::soak
