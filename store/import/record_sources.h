#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

#include "core/history_record.h"
#include "store/import/import_result.h"
#include "store/import/text_time.h"

namespace nimbra {

// Takes each record a source yields; false stops the reading (the records could not be
// kept).
using RecordSink = std::function<bool(const HistoryRecord& record)>;

enum class ReadOutcome { complete, cancelled, sourceFailed, sinkFailed };

struct SourceReading {
    ReadOutcome outcome = ReadOutcome::complete;
    std::uint64_t unreadable = 0;  // lines or rows passed over
    std::string error;             // for sourceFailed: what is wrong with the source
};

// A comma-separated text export, one record per line; lines that are no record are
// counted and passed over. Progress counts bytes.
SourceReading readDatSource(const std::filesystem::path& path, DateOrder order,
                            const RecordSink& sink, const ImportProgress& progress);

// Another database of this program, opened read-only. Progress counts rows.
SourceReading readDbSource(const std::filesystem::path& path, const RecordSink& sink,
                           const ImportProgress& progress);

// A Jet (Access) database with a Records table of the same columns. Progress counts rows.
SourceReading readMdbSource(const std::filesystem::path& path, const RecordSink& sink,
                            const ImportProgress& progress);

}  // namespace nimbra
