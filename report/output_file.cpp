#include "report/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <system_error>
#include <utility>

namespace nimbra {

namespace {

constexpr int kNameAttempts = 100;

// A file of a name not yet taken beside `path`, created with the permissions a new file
// gets; -1 with errno set when none can be made.
int createBeside(const std::filesystem::path& path, std::filesystem::path& created) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
        created = path;
        created.replace_filename("." + path.filename().string() + "." + std::to_string(::getpid()) +
                                 "-" + std::to_string(counter++) + ".part");
        const int fd = ::open(created.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

}  // namespace

OutputFile::OutputFile(std::filesystem::path path, std::string& error) : m_path(std::move(path)) {
    const int fd = createBeside(m_path, m_temporary);
    if (fd >= 0) {
        m_file = ::fdopen(fd, "wb");
        if (m_file == nullptr) {
            ::close(fd);
        }
    }
    if (m_file == nullptr) {
        fail("Cannot create");
        discard();
        error = m_error;
    }
}

OutputFile::~OutputFile() {
    if (m_file != nullptr) {
        std::fclose(m_file);
        discard();
    }
}

void OutputFile::fail(const char* what) {
    if (m_error.empty()) {
        m_error = std::string(what) + " " + m_path.string() + ": " + std::strerror(errno);
    }
}

void OutputFile::discard() {
    std::error_code ignored;
    std::filesystem::remove(m_temporary, ignored);
}

bool OutputFile::write(const void* data, std::size_t size) {
    if (m_file == nullptr || !m_error.empty()) {
        return false;
    }
    if (size > 0 && std::fwrite(data, 1, size, m_file) != size) {
        fail("Cannot write");
        return false;
    }
    return true;
}

bool OutputFile::keep() {
    if (m_file == nullptr) {
        return false;
    }
    // Synced before the rename, so a power cut leaves the old file or the whole new one.
    const bool flushed =
        m_error.empty() && std::fflush(m_file) == 0 && ::fsync(::fileno(m_file)) == 0;
    if (!flushed) {
        fail("Cannot write");
    }
    std::FILE* file = std::exchange(m_file, nullptr);
    if (std::fclose(file) != 0 && flushed) {
        fail("Cannot write");
    }
    if (m_error.empty() && ::rename(m_temporary.c_str(), m_path.c_str()) != 0) {
        fail("Cannot replace");
    }
    if (!m_error.empty()) {
        discard();
        return false;
    }
    return true;
}

}  // namespace nimbra
