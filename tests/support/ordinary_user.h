#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

namespace nimbra::testing {

// File permissions bind root only through capabilities it keeps anyway, so tests that
// need a file to be unreadable or unwritable run their body as an ordinary user when
// the suite runs as root.
inline constexpr uid_t kOrdinaryUser = 65534;

// Hands `folder` and everything in it to the user the bodies run as.
inline void giveToOrdinaryUser(const std::filesystem::path& folder) {
    if (::geteuid() != 0) {
        return;
    }
    const auto give = [](const std::filesystem::path& path) {
        return ::lchown(path.c_str(), kOrdinaryUser, kOrdinaryUser) == 0;
    };
    give(folder);
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        give(entry.path());
    }
}

// Runs `body` in a child process as an ordinary user; returns what it returns, or -1 when
// it could not run or died.
inline int runAsOrdinaryUser(const std::function<int()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgroups(0, nullptr) != 0 || ::setgid(kOrdinaryUser) != 0 ||
                                 ::setuid(kOrdinaryUser) != 0)) {
            ::_exit(125);
        }
        ::_exit(body());
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return -1;
    }
    return WEXITSTATUS(status);
}

}  // namespace nimbra::testing
