#include "test_support.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace nimbra::repair::testing {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kNobody = 65534;

// Every `authorized` file starts with this time stamp; any write moves it.
const fs::file_time_type kUntouched = fs::file_time_type::clock::now() - std::chrono::hours(24);

void dropPrivileges() {
    if (::geteuid() != 0) {
        return;
    }
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
        ::_exit(125);
    }
}

void writeAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t count = ::write(fd, text.data() + done, text.size() - done);
        if (count <= 0) {
            return;
        }
        done += static_cast<std::size_t>(count);
    }
}

std::string readAll(int fd) {
    std::string text;
    char buffer[4096];
    ssize_t count;
    while ((count = ::read(fd, buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<std::size_t>(count));
    }
    return text;
}

int waitForExit(pid_t pid) {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR) {
            return -1;
        }
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

void writeFile(const fs::path& file, const std::string& content) {
    std::ofstream(file, std::ios::binary) << content;
}

std::string readFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string rawDescriptors(std::uint8_t interfaceClass) {
    // clang-format off
    const std::uint8_t bytes[] = {
        18, 1, 0x10, 0x01, 0, 0, 0, 8, 0x41, 0x19, 0x21, 0x80, 0, 1, 1, 2, 0, 1,  // device
        9, 2, 34, 0, 1, 1, 0, 0x80, 50,                                           // configuration
        9, 4, 0, 0, 1, interfaceClass, 0, 0, 0,                                   // interface
        9, 0x21, 0x10, 0x01, 0, 1, 0x22, 52, 0,                                   // HID class
        7, 5, 0x81, 3, 8, 0, 10,                                                  // endpoint
    };
    // clang-format on
    return {reinterpret_cast<const char*>(bytes), sizeof bytes};
}

FakeSysfs::FakeSysfs(fs::path root) : m_root(std::move(root)) {
    fs::create_directories(m_root / "bus" / "usb" / "devices");
}

void FakeSysfs::add(const FakeUsbDevice& device) {
    // As in the kernel's tree, the bus lists links to the devices' own folders.
    const fs::path folder = m_root / "devices" / "usb" / device.name;
    fs::create_directories(folder);
    fs::create_directory_symlink(fs::path("../../../devices/usb") / device.name,
                                 m_root / "bus" / "usb" / "devices" / device.name);
    writeFile(folder / "idVendor", device.vendor + "\n");
    writeFile(folder / "idProduct", device.product + "\n");
    writeFile(folder / "busnum", std::to_string(device.bus) + "\n");
    writeFile(folder / "devnum", std::to_string(device.address) + "\n");
    writeFile(folder / "descriptors", rawDescriptors(device.interfaceClass));
    if (device.authorized) {
        writeFile(folder / "authorized", *device.authorized + "\n");
        fs::last_write_time(folder / "authorized", kUntouched);
    }
}

fs::path FakeSysfs::authorizedFile(const std::string& name) const {
    return m_root / "bus" / "usb" / "devices" / name / "authorized";
}

std::string FakeSysfs::authorized(const std::string& name) const {
    std::string text = readFile(authorizedFile(name));
    if (!text.empty() && text.back() == '\n') {
        text.pop_back();
    }
    return text;
}

bool FakeSysfs::authorizedWritten(const std::string& name) const {
    return fs::last_write_time(authorizedFile(name)) != kUntouched;
}

std::string runUnprivileged(const std::function<std::string()>& body) {
    int channel[2];
    if (::pipe(channel) != 0) {
        return "pipe failed";
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(channel[0]);
        dropPrivileges();
        writeAll(channel[1], body());
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string result = readAll(channel[0]);
    ::close(channel[0]);
    return waitForExit(pid) == 0 ? result : "child failed";
}

void makeReadOnly(const fs::path& file) {
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

void makeWriteOnly(const fs::path& file) {
    if (::geteuid() == 0 && ::chown(file.c_str(), kNobody, kNobody) != 0) {
        throw std::runtime_error("chown failed");
    }
    fs::permissions(file, fs::perms::owner_write);
}

ProgramRun runProgram(const std::vector<std::string>& arguments,
                      const std::vector<std::string>& environment, RunOptions options) {
    std::vector<std::string> variables = environment;
    for (char** variable = environ; *variable != nullptr; ++variable) {
        variables.emplace_back(*variable);
    }
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const std::string& variable : variables) {
        envp.push_back(const_cast<char*>(variable.c_str()));
    }
    envp.push_back(nullptr);

    int errors[2];
    if (::pipe(errors) != 0) {
        return {};
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(errors[0]);
        ::dup2(errors[1], STDERR_FILENO);
        ::close(errors[1]);
        int broken[2];
        if (options.brokenStandardError && ::pipe(broken) == 0) {
            ::close(broken[0]);
            ::dup2(broken[1], STDERR_FILENO);
            ::close(broken[1]);
        }
        // The stray descriptor: think of the lock file of the program that started us.
        const int stray = ::open("/dev/null", O_RDONLY);
        ::dup2(stray, 9);
        if (options.unprivileged) {
            dropPrivileges();
        }
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(errors[1]);
    ProgramRun run;
    run.standardError = readAll(errors[0]);
    ::close(errors[0]);
    run.exitCode = waitForExit(pid);
    return run;
}

fs::path installCopy(const fs::path& executable, const fs::path& folder, const std::string& name) {
    const fs::path copy = folder / name;
    fs::copy_file(executable, copy, fs::copy_options::overwrite_existing);
    fs::permissions(copy, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
    return copy;
}

std::map<std::string, std::string> awaitStandinReport(const fs::path& report) {
    // A generous bound that only guards against a hang: the stand-in normally reports
    // within milliseconds of the tool's exit.
    const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!fs::exists(report) && std::chrono::steady_clock::now() < giveUp) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::map<std::string, std::string> entries;
    std::istringstream lines(readFile(report));
    std::string line;
    while (std::getline(lines, line)) {
        const auto space = line.find(' ');
        entries[line.substr(0, space)] = space == std::string::npos ? "" : line.substr(space + 1);
    }
    return entries;
}

}  // namespace nimbra::repair::testing
