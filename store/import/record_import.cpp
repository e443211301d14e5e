#include "store/import/record_import.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

#include "core/temp_record_file.h"
#include "store/import/record_sources.h"
#include "store/weather_db.h"

namespace nimbra {

namespace {

constexpr std::uint64_t kRecordsPerProgress = 4096;

std::string lowerCase(std::string text) {
    std::ranges::transform(text, text.begin(),
                           [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

ImportResult failure(ImportStatus status, std::string error) {
    ImportResult result;
    result.status = status;
    result.error = std::move(error);
    return result;
}

// The earliest and latest time of a set of records.
struct TimeSpan {
    std::optional<double> first;
    std::optional<double> last;

    void add(double time) {
        first = std::min(first.value_or(time), time);
        last = std::max(last.value_or(time), time);
    }
    void add(const TimeSpan& other) {
        if (other.first) {
            add(*other.first);
            add(*other.last);
        }
    }
};

// The counts of one batch, added to the result when the batch is committed.
struct BatchCounts {
    std::uint64_t stored = 0;
    std::uint64_t duplicates = 0;
    TimeSpan span;
};

class RecordStorer {
public:
    RecordStorer(CWeatherDb& db, const ImportOptions& options, std::uint64_t total,
                 ImportResult& result)
        : m_db(db), m_options(options), m_total(total), m_result(result) {}

    // Stores every record of `records`; sets the result's status when it stops early.
    void storeAll(const TempRecordFile& records) {
        std::optional<Transaction> batch;
        BatchCounts counts;
        std::uint64_t done = 0;
        bool stopped = false;
        const bool readAll = records.forEach([&](const HistoryRecord& record) {
            if (stopped) {
                return;
            }
            if (!batch) {
                batch.emplace(m_db);
                if (!batch->isOpen()) {
                    fail();
                    stopped = true;
                    return;
                }
            }
            // A record without a time has nothing to be recognised by: it is stored.
            bool repeat = false;
            if (!isUnreadableTime(record.Time) && m_db.FindRepeat(record, repeat) != 0) {
                fail();
                stopped = true;
                return;
            }
            if (repeat) {
                ++counts.duplicates;
            } else if (m_db.InsertRecord(record) == 0) {
                ++counts.stored;
            } else {
                fail();
                stopped = true;
                return;
            }
            counts.span.add(record.Time);
            ++done;
            const bool cancel = done % kRecordsPerProgress == 0 && m_options.progress &&
                                !m_options.progress(ImportStage::storing, done, m_total);
            if (cancel || done % std::max<std::size_t>(m_options.batchSize, 1) == 0) {
                if (!commit(*batch, counts)) {
                    stopped = true;
                    return;
                }
                batch.reset();
            }
            if (cancel) {
                m_result.status = ImportStatus::cancelled;
                stopped = true;
            }
        });
        if (stopped) {
            return;
        }
        if (!readAll) {
            fail("The temporary file of the import cannot be read.");
            return;
        }
        if (batch) {
            commit(*batch, counts);
        }
    }

private:
    bool commit(Transaction& batch, BatchCounts& counts) {
        if (batch.commit() != 0) {
            fail();
            return false;
        }
        m_result.stored += counts.stored;
        m_result.duplicates += counts.duplicates;
        m_span.add(counts.span);
        if (m_span.first) {
            m_result.first = OleDate(*m_span.first);
            m_result.last = OleDate(*m_span.last);
        }
        counts = {};
        return true;
    }

    // The database object has reported why, unless `message` says it.
    void fail(std::string message = {}) {
        m_result.status = ImportStatus::storeFailed;
        if (!message.empty()) {
            m_result.error = std::move(message);
        }
    }

    CWeatherDb& m_db;
    const ImportOptions& m_options;
    std::uint64_t m_total;
    ImportResult& m_result;
    TimeSpan m_span;
};

}  // namespace

std::optional<ImportSource> importSourceOf(const std::filesystem::path& file) {
    const std::string extension = lowerCase(file.extension().string());
    if (extension == ".db") {
        return ImportSource::database;
    }
    if (extension == ".mdb") {
        return ImportSource::accessDatabase;
    }
    if (extension == ".dat") {
        return ImportSource::textExport;
    }
    return std::nullopt;
}

ImportResult importRecords(const std::filesystem::path& database,
                           const std::filesystem::path& source, const ImportOptions& options) {
    const auto kind = importSourceOf(source);
    if (!kind) {
        return failure(ImportStatus::notImportable,
                       source.string() +
                           " is not a file to import: choose a database (.db, .mdb) or a text "
                           "export (.dat).");
    }
    auto records = TempRecordFile::create();
    if (!records) {
        return failure(ImportStatus::storeFailed, "Cannot create a temporary file for the import.");
    }
    std::uint64_t unreadableTimes = 0;
    const RecordSink keep = [&](const HistoryRecord& record) {
        unreadableTimes += isUnreadableTime(record.Time) ? 1 : 0;
        return records->append(record);
    };
    SourceReading reading;
    switch (*kind) {
        case ImportSource::database:
            reading = readDbSource(source, keep, options.progress);
            break;
        case ImportSource::accessDatabase:
            reading = readMdbSource(source, keep, options.progress);
            break;
        case ImportSource::textExport:
            reading = readDatSource(source, options.dateOrder.value_or(userDateOrder()), keep,
                                    options.progress);
            break;
    }
    ImportResult result;
    result.read = records->count();
    result.unreadable = reading.unreadable;
    result.unreadableTimes = unreadableTimes;
    switch (reading.outcome) {
        case ReadOutcome::complete:
            break;
        case ReadOutcome::cancelled:
            result.status = ImportStatus::cancelled;
            return result;
        case ReadOutcome::sourceFailed:
            return failure(ImportStatus::sourceUnreadable, reading.error);
        case ReadOutcome::sinkFailed:
            return failure(ImportStatus::storeFailed,
                           "Cannot write the temporary file of the import.");
    }

    // Records that are all without a time are most likely times in a form this program
    // does not read: storing them on the zero date would only bury them there.
    if (result.read > 0 && unreadableTimes == result.read) {
        ImportResult refused =
            failure(ImportStatus::sourceUnreadable,
                    "Not one time in " + source.string() + " could be read; nothing was imported.");
        refused.read = result.read;
        refused.unreadable = result.unreadable;
        refused.unreadableTimes = unreadableTimes;
        return refused;
    }

    std::string message;
    CWeatherDb target;
    target.setErrorSink([&message](const std::string& text) { message = text; });
    if (target.Connect(database) != 0) {
        return failure(ImportStatus::targetUnavailable, message);
    }
    RecordStorer storer(target, options, result.read, result);
    storer.storeAll(*records);
    if (result.status == ImportStatus::storeFailed && result.error.empty()) {
        result.error = message;
    }
    return result;
}

}  // namespace nimbra
