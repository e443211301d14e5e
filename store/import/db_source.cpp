#include "store/import/record_sources.h"
#include "store/weather_db.h"

namespace nimbra {

namespace {
constexpr std::uint64_t kRowsPerProgress = 8192;
}

SourceReading readDbSource(const std::filesystem::path& path, const RecordSink& sink,
                           const ImportProgress& progress) {
    SourceReading reading;
    std::string message;
    CWeatherDb source;
    source.setErrorSink([&message](const std::string& text) { message = text; });
    const auto failed = [&](const std::string& what) {
        reading.outcome = ReadOutcome::sourceFailed;
        reading.error = what + " " + path.string() + (message.empty() ? "." : ": " + message + ".");
        return reading;
    };
    if (!std::filesystem::is_regular_file(path)) {
        return failed("There is no database at");
    }
    // Read-only: neither the file nor its journal is ever written, and a file that is no
    // database is refused here.
    if (source.Connect(path, ConnectMode::readOnly) != 0) {
        return failed("Cannot open the database");
    }
    std::int64_t total = 0;
    RecordCursor rows;
    if (source.CountAll(total) != 0 || source.OpenAllRecords(rows) != 0) {
        return failed("Cannot read the records of");
    }
    std::uint64_t count = 0;
    while (!rows.atEnd()) {
        // A fresh buffer per row: Rcount is never read from a database and stays 0.
        HistoryRecord record;
        if (rows.ExchangeRecord(record, ExchangeDirection::read) != 0) {
            return failed("Cannot read the records of");
        }
        if (!sink(record)) {
            reading.outcome = ReadOutcome::sinkFailed;
            return reading;
        }
        if (rows.moveNext() != 0) {
            return failed("Cannot read the records of");
        }
        if (++count % kRowsPerProgress == 0 && progress &&
            !progress(ImportStage::reading, count, static_cast<std::uint64_t>(total))) {
            reading.outcome = ReadOutcome::cancelled;
            return reading;
        }
    }
    return reading;
}

}  // namespace nimbra
