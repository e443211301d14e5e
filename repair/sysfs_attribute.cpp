#include "repair/sysfs_attribute.h"

#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>

#include "repair/unique_fd.h"

namespace nimbra::repair {
namespace {

std::error_code lastError() {
    return {errno, std::system_category()};
}

}  // namespace

std::optional<std::string> readAttributeBytes(const std::filesystem::path& attribute,
                                              std::error_code& error) {
    const UniqueFd fd(::open(attribute.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) {
        error = lastError();
        return std::nullopt;
    }
    std::string content;
    std::array<char, 4096> buffer;
    for (;;) {
        const ssize_t count = ::read(fd.get(), buffer.data(), buffer.size());
        if (count == 0) {
            break;
        }
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = lastError();
            return std::nullopt;
        }
        content.append(buffer.data(), static_cast<std::size_t>(count));
    }
    error.clear();
    return content;
}

std::optional<std::string> readAttributeText(const std::filesystem::path& attribute,
                                             std::error_code& error) {
    auto text = readAttributeBytes(attribute, error);
    while (text && !text->empty() && (text->back() == '\n' || text->back() == ' ')) {
        text->pop_back();
    }
    return text;
}

std::error_code writeAttribute(const std::filesystem::path& attribute, std::string_view value) {
    const UniqueFd fd(::open(attribute.c_str(), O_WRONLY | O_CLOEXEC));
    if (!fd) {
        return lastError();
    }
    ssize_t written;
    do {
        written = ::write(fd.get(), value.data(), value.size());
    } while (written < 0 && errno == EINTR);
    if (written < 0) {
        return lastError();
    }
    // A store takes the whole value in one call or not at all; a short write left it undone.
    if (static_cast<std::size_t>(written) != value.size()) {
        return std::make_error_code(std::errc::io_error);
    }
    return {};
}

}  // namespace nimbra::repair
