#include "emulator/image_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <utility>

namespace nimbra::emulator {

namespace {

class UniqueFd {
public:
    explicit UniqueFd(int fd) : m_fd(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Hands the descriptor over, so that its close can be checked: the last chance to
    // learn that written data did not reach the disk.
    int release() { return std::exchange(m_fd, -1); }

private:
    void reset() {
        if (m_fd >= 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    int m_fd;
};

std::string describe(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

}  // namespace

ImageStatus readImageFile(const std::string& path, MemoryImage out) {
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        return ImageStatus::failure(describe("cannot open", path));
    }
    std::array<std::uint8_t, memory_map::kMemorySize + 1> buffer;
    std::size_t filled = 0;
    while (filled < buffer.size()) {
        const ssize_t n = ::read(fd.get(), buffer.data() + filled, buffer.size() - filled);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return ImageStatus::failure(describe("cannot read", path));
        }
        if (n == 0) {
            break;
        }
        filled += static_cast<std::size_t>(n);
    }
    if (filled != memory_map::kMemorySize) {
        return ImageStatus::failure(path + " is not a station image: it must be exactly " +
                                    std::to_string(memory_map::kMemorySize) + " bytes");
    }
    std::copy_n(buffer.begin(), memory_map::kMemorySize, out.begin());
    return {};
}

ImageStatus writeImageFile(const std::string& path, ConstMemoryImage image) {
    const std::string temporary = path + ".partial";
    UniqueFd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!fd.valid()) {
        return ImageStatus::failure(describe("cannot create", temporary));
    }
    std::size_t written = 0;
    while (written < image.size()) {
        const ssize_t n = ::write(fd.get(), image.data() + written, image.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            const ImageStatus status = ImageStatus::failure(describe("cannot write", temporary));
            ::unlink(temporary.c_str());
            return status;
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd.get()) != 0 || ::close(fd.release()) != 0) {
        const ImageStatus status = ImageStatus::failure(describe("cannot write", temporary));
        ::unlink(temporary.c_str());
        return status;
    }
    if (::rename(temporary.c_str(), path.c_str()) != 0) {
        const ImageStatus status = ImageStatus::failure(describe("cannot replace", path));
        ::unlink(temporary.c_str());
        return status;
    }
    return {};
}

}  // namespace nimbra::emulator
