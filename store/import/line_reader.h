#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

namespace nimbra {

// Reads a text file line by line through a buffer of its own, without ever holding more
// than one bounded line: a line longer than the limit is passed over, not stored. A line
// ends at LF; a CR before it is dropped; the last line needs no LF.
class LineReader {
public:
    enum class Next { line, tooLong, end, error };

    LineReader(std::FILE* file, std::size_t maxLineLength);

    // The next line, valid until the following call.
    Next next(std::string_view& line);
    std::uint64_t bytesRead() const { return m_bytesRead; }

private:
    bool refill();

    std::FILE* m_file;
    std::size_t m_maxLineLength;
    std::vector<char> m_buffer;
    std::size_t m_begin = 0;
    std::size_t m_end = 0;
    bool m_eof = false;
    std::uint64_t m_bytesRead = 0;
};

}  // namespace nimbra
