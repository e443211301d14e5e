#include "core/temp_record_file.h"

#include <unistd.h>

#include <cstdlib>
#include <string>

namespace nimbra {

std::optional<TempRecordFile> TempRecordFile::create() {
    const char* folder = std::getenv("TMPDIR");
    std::string name =
        std::string(folder != nullptr && *folder != '\0' ? folder : "/tmp") + "/QX7420XXXXXX";
    const int fd = ::mkstemp(name.data());  // mode 0600
    if (fd < 0) {
        return std::nullopt;
    }
    ::unlink(name.c_str());
    return TempRecordFile(fd);
}

TempRecordFile::TempRecordFile(TempRecordFile&& other) noexcept
    : m_fd(other.m_fd), m_count(other.m_count) {
    other.m_fd = -1;
    other.m_count = 0;
}

TempRecordFile& TempRecordFile::operator=(TempRecordFile&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = other.m_fd;
        m_count = other.m_count;
        other.m_fd = -1;
        other.m_count = 0;
    }
    return *this;
}

TempRecordFile::~TempRecordFile() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

bool TempRecordFile::append(const HistoryRecord& record) {
    const auto image = record.toImage();
    const auto offset = static_cast<off_t>(m_count * HistoryRecord::kImageSize);
    if (::pwrite(m_fd, image.data(), image.size(), offset) != static_cast<ssize_t>(image.size())) {
        return false;
    }
    ++m_count;
    return true;
}

bool TempRecordFile::readAt(std::size_t index, HistoryRecord::Image& image) const {
    const auto offset = static_cast<off_t>(index * HistoryRecord::kImageSize);
    return ::pread(m_fd, image.data(), image.size(), offset) == static_cast<ssize_t>(image.size());
}

}  // namespace nimbra
