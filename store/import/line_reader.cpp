#include "store/import/line_reader.h"

#include <cstring>

namespace nimbra {

namespace {
constexpr std::size_t kBufferSize = 1 << 20;
}

LineReader::LineReader(std::FILE* file, std::size_t maxLineLength)
    : m_file(file), m_maxLineLength(maxLineLength), m_buffer(kBufferSize + maxLineLength) {}

bool LineReader::refill() {
    if (m_begin > 0) {
        std::memmove(m_buffer.data(), m_buffer.data() + m_begin, m_end - m_begin);
        m_end -= m_begin;
        m_begin = 0;
    }
    const std::size_t got = std::fread(m_buffer.data() + m_end, 1, m_buffer.size() - m_end, m_file);
    m_end += got;
    m_bytesRead += got;
    if (got == 0) {
        m_eof = true;
        return std::ferror(m_file) == 0;
    }
    return true;
}

LineReader::Next LineReader::next(std::string_view& line) {
    bool overlong = false;
    for (;;) {
        const char* start = m_buffer.data() + m_begin;
        const auto* newline = static_cast<const char*>(std::memchr(start, '\n', m_end - m_begin));
        if (newline == nullptr && !m_eof && m_end - m_begin > m_maxLineLength) {
            // Too long to keep: drop what is held and go on looking for its end.
            overlong = true;
            m_begin = m_end;
        }
        if (newline == nullptr && !m_eof) {
            if (!refill()) {
                return Next::error;
            }
            continue;
        }
        if (newline == nullptr && m_begin == m_end) {
            if (overlong) {
                return Next::tooLong;
            }
            return Next::end;
        }
        const std::size_t length =
            newline != nullptr ? static_cast<std::size_t>(newline - start) : m_end - m_begin;
        m_begin += length + (newline != nullptr ? 1 : 0);
        if (overlong || length > m_maxLineLength) {
            return Next::tooLong;
        }
        line = std::string_view(start, length);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        return Next::line;
    }
}

}  // namespace nimbra
