// Stands in for nimbraplus in the repair tool's tests: writes down how it was started.
// STANDIN_REPORT names the report file; STANDIN_WATCH, if set, names a file whose content
// at start goes into the report.

#include <dirent.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace {

std::string descriptorTarget(int fd) {
    std::error_code error;
    const auto target = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), error);
    return error ? std::string("closed") : target.string();
}

// Descriptors above standard error, not counting the one listing them.
int otherDescriptors() {
    DIR* folder = ::opendir("/proc/self/fd");
    if (folder == nullptr) {
        return -1;
    }
    int count = 0;
    while (const dirent* entry = ::readdir(folder)) {
        const int fd = std::atoi(entry->d_name);
        count += fd > STDERR_FILENO && fd != ::dirfd(folder) ? 1 : 0;
    }
    ::closedir(folder);
    return count;
}

}  // namespace

int main(int argc, char** argv) {
    const char* reportPath = std::getenv("STANDIN_REPORT");
    if (reportPath == nullptr) {
        return 2;
    }
    std::ostringstream report;
    report << "arguments " << argc - 1 << '\n';
    for (int i = 1; i < argc; ++i) {
        report << "argument" << i << ' ' << argv[i] << '\n';
    }
    for (int fd = 0; fd <= STDERR_FILENO; ++fd) {
        report << "fd" << fd << ' ' << descriptorTarget(fd) << '\n';
    }
    report << "session_leader " << (::getsid(0) == ::getpid() ? "yes" : "no") << '\n';
    report << "other_fds " << otherDescriptors() << '\n';
    if (const char* watched = std::getenv("STANDIN_WATCH")) {
        std::ifstream in(watched);
        std::string first;
        std::getline(in, first);
        report << "watched " << first << '\n';
    }
    // Written under another name first so that a reader never sees half a report.
    const std::string partial = std::string(reportPath) + ".partial";
    std::ofstream(partial) << report.str();
    return std::rename(partial.c_str(), reportPath) == 0 ? 0 : 1;
}
