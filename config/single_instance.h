#pragma once

#include <filesystem>

namespace nimbra {

// Holds the program's single-instance lock: an exclusive flock on a lock file. The
// kernel releases it when the process ends, however it ends, so a crash never leaves
// a stale lock behind.
class SingleInstance {
public:
    // The lock file's usual place: $XDG_RUNTIME_DIR, else the given fallback folder.
    static std::filesystem::path defaultLockPath(const std::filesystem::path& fallbackFolder);

    explicit SingleInstance(const std::filesystem::path& lockPath);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // False when another process holds the lock (or the file cannot be opened).
    bool acquired() const { return m_fd >= 0; }
    // Why the lock file could not be opened (an errno value); 0 when it could, so that
    // a lock held elsewhere is told apart from a folder that cannot hold the lock file.
    int openError() const { return m_openError; }

    // Gives the lock up early, before a new instance of the program is started.
    void release();

private:
    int m_fd = -1;
    int m_openError = 0;
};

}  // namespace nimbra
