#include "repair/detached_start.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>

#include <string>
#include <vector>

extern char** environ;

namespace nimbra::repair {
namespace {

class SpawnFileActions {
public:
    SpawnFileActions() { ::posix_spawn_file_actions_init(&m_actions); }
    ~SpawnFileActions() { ::posix_spawn_file_actions_destroy(&m_actions); }
    SpawnFileActions(const SpawnFileActions&) = delete;
    SpawnFileActions& operator=(const SpawnFileActions&) = delete;
    posix_spawn_file_actions_t* get() { return &m_actions; }

private:
    posix_spawn_file_actions_t m_actions;
};

class SpawnAttributes {
public:
    SpawnAttributes() { ::posix_spawnattr_init(&m_attributes); }
    ~SpawnAttributes() { ::posix_spawnattr_destroy(&m_attributes); }
    SpawnAttributes(const SpawnAttributes&) = delete;
    SpawnAttributes& operator=(const SpawnAttributes&) = delete;
    posix_spawnattr_t* get() { return &m_attributes; }

private:
    posix_spawnattr_t m_attributes;
};

int detachStdio(SpawnFileActions& actions) {
    if (const int error = ::posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO,
                                                             "/dev/null", O_RDONLY, 0)) {
        return error;
    }
    for (const int fd : {STDOUT_FILENO, STDERR_FILENO}) {
        if (const int error =
                ::posix_spawn_file_actions_addopen(actions.get(), fd, "/dev/null", O_WRONLY, 0)) {
            return error;
        }
    }
    return ::posix_spawn_file_actions_addclosefrom_np(actions.get(), STDERR_FILENO + 1);
}

int ownSessionWithDefaultSignals(SpawnAttributes& attributes) {
    sigset_t none;
    sigset_t all;
    sigemptyset(&none);
    sigfillset(&all);
    if (const int error = ::posix_spawnattr_setflags(attributes.get(), POSIX_SPAWN_SETSID |
                                                                           POSIX_SPAWN_SETSIGMASK |
                                                                           POSIX_SPAWN_SETSIGDEF)) {
        return error;
    }
    if (const int error = ::posix_spawnattr_setsigmask(attributes.get(), &none)) {
        return error;
    }
    return ::posix_spawnattr_setsigdefault(attributes.get(), &all);
}

}  // namespace

StartResult startDetached(const std::filesystem::path& program,
                          const std::vector<std::string>& programArguments) {
    StartResult result;
    SpawnFileActions actions;
    SpawnAttributes attributes;
    std::string path = program.string();
    std::vector<std::string> owned = programArguments;
    std::vector<char*> arguments{path.data()};
    for (std::string& argument : owned) {
        arguments.push_back(argument.data());
    }
    arguments.push_back(nullptr);
    int error = detachStdio(actions);
    if (error == 0) {
        error = ownSessionWithDefaultSignals(attributes);
    }
    if (error == 0) {
        // glibc reports a failed exec here, so a missing program is an error, not a start.
        error = ::posix_spawn(&result.pid, path.c_str(), actions.get(), attributes.get(),
                              arguments.data(), environ);
    }
    if (error != 0) {
        result.pid = -1;
        result.error = std::error_code(error, std::system_category());
    }
    return result;
}

}  // namespace nimbra::repair
