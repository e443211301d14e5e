#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

#include "store/import/dat_line.h"
#include "store/import/line_reader.h"
#include "store/import/record_sources.h"

namespace nimbra {

namespace {

// A record line is some two hundred characters; anything far longer is no record.
constexpr std::size_t kMaxLineLength = 64 * 1024;
constexpr std::uint64_t kLinesPerProgress = 8192;

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

SourceReading readDatSource(const std::filesystem::path& path, DateOrder order,
                            const RecordSink& sink, const ImportProgress& progress) {
    SourceReading reading;
    const FileHandle file(std::fopen(path.c_str(), "rb"));
    if (file == nullptr) {
        reading.outcome = ReadOutcome::sourceFailed;
        reading.error = "Cannot open " + path.string() + ": " + std::strerror(errno) + ".";
        return reading;
    }
    std::error_code ignored;
    const std::uint64_t size = std::filesystem::file_size(path, ignored);
    LineReader lines(file.get(), kMaxLineLength);
    std::uint64_t count = 0;
    std::uint64_t records = 0;
    for (;;) {
        std::string_view line;
        const LineReader::Next next = lines.next(line);
        if (next == LineReader::Next::end) {
            break;
        }
        if (next == LineReader::Next::error) {
            reading.outcome = ReadOutcome::sourceFailed;
            reading.error = "Reading " + path.string() + " failed: " + std::strerror(errno) + ".";
            return reading;
        }
        const auto record =
            next == LineReader::Next::line ? parseDatLine(line, order) : std::nullopt;
        if (!record) {
            ++reading.unreadable;
        } else if (!sink(*record)) {
            reading.outcome = ReadOutcome::sinkFailed;
            return reading;
        } else {
            ++records;
        }
        if (++count % kLinesPerProgress == 0 && progress &&
            !progress(ImportStage::reading, lines.bytesRead(), size)) {
            reading.outcome = ReadOutcome::cancelled;
            return reading;
        }
    }
    // Lines without a single record make it some other file: saying "success" over
    // nothing imported would hide that the wrong file was chosen. An empty export is
    // simply empty.
    if (records == 0 && count > 0) {
        reading.outcome = ReadOutcome::sourceFailed;
        reading.error = path.string() + " is not a text export: no line of it is a record.";
    }
    return reading;
}

}  // namespace nimbra
