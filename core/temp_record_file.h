#pragma once

#include <cstddef>
#include <optional>

#include "core/history_record.h"

namespace nimbra {

// A private temporary file of 96-byte record images, holding one run's downloaded
// records until they are stored. It is unlinked as soon as it is created, so it
// disappears on every way out of the run, a crash included.
class TempRecordFile {
public:
    // Nothing when no temporary file can be made.
    static std::optional<TempRecordFile> create();

    TempRecordFile(TempRecordFile&& other) noexcept;
    TempRecordFile& operator=(TempRecordFile&& other) noexcept;
    TempRecordFile(const TempRecordFile&) = delete;
    TempRecordFile& operator=(const TempRecordFile&) = delete;
    ~TempRecordFile();

    bool append(const HistoryRecord& record);
    std::size_t count() const { return m_count; }

    // Calls `visit` with each stored record in order; false when reading fails.
    template <typename Visit>
    bool forEach(Visit&& visit) const {
        for (std::size_t i = 0; i < m_count; ++i) {
            HistoryRecord::Image image{};
            if (!readAt(i, image)) {
                return false;
            }
            visit(HistoryRecord::fromImage(image));
        }
        return true;
    }

private:
    explicit TempRecordFile(int fd) : m_fd(fd) {}
    bool readAt(std::size_t index, HistoryRecord::Image& image) const;

    int m_fd = -1;
    std::size_t m_count = 0;
};

}  // namespace nimbra
