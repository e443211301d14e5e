#include "report/history_export.h"

#include "config/profile_file.h"
#include "config/string_ids.h"
#include "report/history_csv.h"
#include "report/history_pdf.h"
#include "store/weather_db.h"

namespace nimbra {

bool isCsvFileName(const std::filesystem::path& file) {
    const std::string name = file.filename().string();
    const std::size_t dot = name.rfind('.');
    return dot != std::string::npos && name.compare(dot + 1, std::string::npos, "csv") == 0;
}

ExportResult exportHistory(const std::filesystem::path& file, const HistoryTable& table,
                           HistoryRowSource& rows, bool chinese, const ExportProgress& progress) {
    return isCsvFileName(file) ? writeHistoryCsv(file, table, rows, progress)
                               : writeHistoryPdf(file, table, rows, chinese, progress);
}

bool usesChineseFace(const std::filesystem::path& mainIni) {
    return ProfileFile(mainIni).readString("Language", "Language") == "Chinese";
}

HistoryRange defaultHistoryRange(const OleDate& now) {
    return {now.addSeconds(-3600), now};
}

int runHistoryExport(const std::filesystem::path& database, const std::string& file, OleDate from,
                     OleDate to, const StringTable& strings, bool chinese, std::string& error) {
    if (!from.isValid() || !to.isValid()) {
        error = "The range needs a valid start and end time.";
        return 1;
    }
    if (from.value() > to.value()) {
        error = strings.text(kTextTimeError);
        return 1;
    }
    std::string storeError;
    CWeatherDb db;
    db.setErrorSink([&storeError](const std::string& message) {
        if (storeError.empty()) {
            storeError = message;
        }
    });
    ParamBlock units;
    if (!std::filesystem::exists(database)) {
        error = "There is no database at " + database.string() + ".";
        return 1;
    }
    std::int64_t count = 0;
    RecordCursor cursor;
    if (db.Connect(database, ConnectMode::readOnly) != 0 || db.ReadParam(units, kParamUnits) != 0 ||
        db.OpenCount(from, to, RecordColumn::Time, count) != 0 ||
        db.FillHistoryList(from, to, cursor) != 0) {
        error = database.string() + ": " + storeError;
        return 1;
    }
    const HistoryTable table(
        units, [&strings](int id) { return strings.text(id); }, HistoryTimeText::fromEnvironment());
    CursorRows rows(cursor, table, count);
    const ExportResult result = exportHistory(file, table, rows, chinese);
    switch (result.outcome) {
        case ExportOutcome::written:
            return 0;
        case ExportOutcome::noRows:
            error = "No records from " + from.toQueryText() + " to " + to.toQueryText() +
                    ": nothing was written.";
            return 1;
        case ExportOutcome::cancelled:
        case ExportOutcome::failed:
            break;
    }
    error = storeError.empty() ? result.error : storeError;
    return 1;
}

}  // namespace nimbra
