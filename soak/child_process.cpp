#include "soak/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <thread>

extern char** environ;

namespace nimbra::soak {

namespace {

using Clock = std::chrono::steady_clock;

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

// Both ends of a pipe, closed unless handed on.
class Pipe {
public:
    Pipe() {
        if (::pipe2(m_fds, O_CLOEXEC) != 0) {
            m_fds[0] = m_fds[1] = -1;
        }
    }
    ~Pipe() {
        for (const int fd : m_fds) {
            if (fd >= 0) {
                ::close(fd);
            }
        }
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    bool ok() const { return m_fds[0] >= 0; }
    int readEnd() const { return m_fds[0]; }
    int writeEnd() const { return m_fds[1]; }
    int takeReadEnd() {
        const int fd = m_fds[0];
        m_fds[0] = -1;
        return fd;
    }

private:
    int m_fds[2];
};

// Our environment with `changes` (NAME=VALUE) replacing or adding entries.
std::vector<std::string> mergedEnvironment(const std::vector<std::string>& changes) {
    std::vector<std::string> merged;
    const auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        bool replaced = false;
        for (const auto& change : changes) {
            replaced = replaced || nameOf(change) == nameOf(text);
        }
        if (!replaced) {
            merged.push_back(text);
        }
    }
    merged.insert(merged.end(), changes.begin(), changes.end());
    return merged;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (auto& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

std::string ExitStatus::text() const {
    return signalled ? "killed by signal " + std::to_string(code)
                     : "exit code " + std::to_string(code);
}

std::optional<ChildProcess> ChildProcess::start(const std::string& program,
                                                const std::vector<std::string>& arguments,
                                                const std::vector<std::string>& environment,
                                                std::string& error) {
    Pipe output;
    if (!output.ok()) {
        error = std::string("pipe: ") + std::strerror(errno);
        return std::nullopt;
    }
    SpawnFileActions actions;
    ::posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    ::posix_spawn_file_actions_adddup2(actions.get(), output.writeEnd(), STDOUT_FILENO);

    std::vector<std::string> argv{program};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envp = mergedEnvironment(environment);
    auto argvPointers = pointersTo(argv);
    auto envpPointers = pointersTo(envp);
    pid_t pid = -1;
    if (const int failure = ::posix_spawn(&pid, program.c_str(), actions.get(), nullptr,
                                          argvPointers.data(), envpPointers.data())) {
        error = program + ": " + std::strerror(failure);
        return std::nullopt;
    }
    return ChildProcess(pid, output.takeReadEnd());
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : m_pid(other.m_pid),
      m_output(other.m_output),
      m_outputEnded(other.m_outputEnded),
      m_pending(std::move(other.m_pending)),
      m_status(other.m_status) {
    other.m_pid = -1;
    other.m_output = -1;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        release();
        m_pid = other.m_pid;
        m_output = other.m_output;
        m_outputEnded = other.m_outputEnded;
        m_pending = std::move(other.m_pending);
        m_status = other.m_status;
        other.m_pid = -1;
        other.m_output = -1;
    }
    return *this;
}

ChildProcess::~ChildProcess() {
    release();
}

void ChildProcess::release() {
    if (m_pid > 0 && !m_status) {
        ::kill(m_pid, SIGKILL);
        int waitStatus = 0;
        ::waitpid(m_pid, &waitStatus, 0);
    }
    if (m_output >= 0) {
        ::close(m_output);
    }
    m_pid = -1;
    m_output = -1;
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        if (const auto end = m_pending.find('\n'); end != std::string::npos) {
            std::string line = m_pending.substr(0, end);
            m_pending.erase(0, end + 1);
            return line;
        }
        if (m_outputEnded) {
            return std::nullopt;
        }
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() < 0) {
            return std::nullopt;
        }
        pollfd watched{m_output, POLLIN, 0};
        const int ready = ::poll(&watched, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return std::nullopt;
        }
        char buffer[4096];
        const ssize_t got = ::read(m_output, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            m_outputEnded = true;
            continue;
        }
        m_pending.append(buffer, static_cast<std::size_t>(got));
    }
}

void ChildProcess::reapOnEnd(int waitStatus) {
    if (WIFSIGNALED(waitStatus)) {
        m_status = ExitStatus{true, WTERMSIG(waitStatus)};
    } else {
        m_status = ExitStatus{false, WEXITSTATUS(waitStatus)};
    }
}

bool ChildProcess::poll() {
    if (m_status) {
        return true;
    }
    int waitStatus = 0;
    if (::waitpid(m_pid, &waitStatus, WNOHANG) == m_pid) {
        reapOnEnd(waitStatus);
    }
    return m_status.has_value();
}

void ChildProcess::signal(int signal) {
    if (m_pid > 0 && !m_status) {
        ::kill(m_pid, signal);
    }
}

bool ChildProcess::wait(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!poll()) {
        if (Clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace nimbra::soak
