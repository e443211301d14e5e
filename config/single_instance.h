#pragma once

#include <filesystem>

namespace nimbra {

// Environment variable naming a folder to keep the lock in instead of the user's own
// place: for tests and trials that run several instances side by side.
inline constexpr const char* kLockFolderVariable = "NIMBRA_LOCK_DIR";

// Holds the program's single-instance lock: an exclusive flock on a lock file. The
// kernel releases it when the process ends, however it ends, so a crash never leaves
// a stale lock behind.
class SingleInstance {
public:
    // The lock file of this user, the same for every data folder and whatever the login
    // left in the environment (cron, ssh and sudo differ there): the user's runtime folder
    // /run/user/UID when it exists and is theirs, else a file of theirs in /tmp.
    static std::filesystem::path defaultLockPath();

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
