#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace nimbra::soak {

// How a child ended, as waitpid reports it.
struct ExitStatus {
    bool signalled = false;
    int code = 0;  // the exit code, or the signal's number when signalled

    std::string text() const;
};

// A child program started with posix_spawn, its standard output read through a pipe and
// its standard error left to ours. The destructor kills and reaps a child still running,
// so no way out of the soak leaves one behind.
class ChildProcess {
public:
    // `environment` entries are NAME=VALUE and are added to (or replace) ours. Nothing
    // when the program cannot be started; `error` then says why.
    static std::optional<ChildProcess> start(const std::string& program,
                                             const std::vector<std::string>& arguments,
                                             const std::vector<std::string>& environment,
                                             std::string& error);

    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    pid_t pid() const { return m_pid; }

    // The next complete line of standard output, waiting at most `timeout`. Nothing on
    // timeout or once the output has ended (see outputEnded).
    std::optional<std::string> readLine(std::chrono::milliseconds timeout);
    bool outputEnded() const { return m_outputEnded; }

    // True once the child has ended (reaping it); its status is then in status().
    bool poll();
    // Sends `signal` unless the child was already reaped.
    void signal(int signal);
    // Waits for the end, at most `timeout`; false if it is still running then.
    bool wait(std::chrono::milliseconds timeout);
    const std::optional<ExitStatus>& status() const { return m_status; }

private:
    ChildProcess(pid_t pid, int output) : m_pid(pid), m_output(output) {}
    void reapOnEnd(int waitStatus);
    void release();

    pid_t m_pid = -1;
    int m_output = -1;
    bool m_outputEnded = false;
    std::string m_pending;
    std::optional<ExitStatus> m_status;
};

}  // namespace nimbra::soak
