// Figures for browsing and exporting history at the size a decade of five-minute records
// reaches: a million stored rows.
// Usage: history_bench [folder]   (default: a fresh folder under $TMPDIR, removed afterwards)
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "bench/bench_folder.h"
#include "bench/figure.h"
#include "bench/generated_history.h"
#include "config/string_table.h"
#include "report/history_export.h"
#include "store/weather_db.h"
#include "views/history_list_model.h"

namespace {

using namespace nimbra;
using Clock = std::chrono::steady_clock;

constexpr int kRecords = 1'000'000;
const double kFirstTime = OleDate::fromCivil(2016, 1, 1).value();

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool fill(const std::filesystem::path& database) {
    CWeatherDb db;
    if (db.Connect(database) != 0) {
        return false;
    }
    ParamBlock units;
    units.InTempUnit = 0;
    units.OutTempUnit = 0;
    units.PressureUnit = 0;
    units.WindUnit = 1;
    units.LightUnit = 1;
    Transaction transaction(db);
    for (int i = 0; i < kRecords; ++i) {
        if (db.InsertRecord(nimbra::bench::generatedRecord(i, kFirstTime)) != 0) {
            return false;
        }
    }
    return db.WriteParam(units) == 0 && transaction.commit() == 0;
}

std::optional<StringTable> englishTexts() {
    std::string error;
    auto table = StringTable::load(std::filesystem::path(NIMBRA_STRINGS_DIR) / "en.txt", error);
    if (!table) {
        std::fprintf(stderr, "history_bench: %s\n", error.c_str());
    }
    return table;
}

}  // namespace

int main(int argc, char** argv) {
    const bench::BenchFolder benchFolder(argc, argv, "history_bench");
    if (!benchFolder.ok()) {
        return 1;
    }
    const std::filesystem::path& folder = benchFolder.path();
    const auto strings = englishTexts();
    if (!strings) {
        return 1;
    }
    const std::filesystem::path database = folder / "Nimbra7420.db";
    if (!std::filesystem::exists(database)) {
        const auto started = Clock::now();
        if (!fill(database)) {
            std::fprintf(stderr, "history_bench: cannot fill %s\n", database.c_str());
            return 1;
        }
        std::printf("store %d records in one transaction: %8.0f ms\n", kRecords,
                    millisecondsSince(started));
    }

    // The fifth year of the ten.
    const OleDate yearStart = OleDate::fromCivil(2020, 1, 1);
    const OleDate yearEnd = OleDate::fromCivil(2021, 1, 1);
    const OleDate allStart = OleDate::fromCivil(2015, 1, 1);
    const OleDate allEnd = OleDate::fromCivil(2030, 1, 1);
    ParamBlock units;
    units.WindUnit = 1;
    units.LightUnit = 1;
    const HistoryTable table(
        units, [&strings](int id) { return strings->text(id); }, HistoryTimeText::iso());

    const auto firstScreen = [&](OleDate start, OleDate end, const char* what) {
        const auto started = Clock::now();
        CWeatherDb db;
        std::int64_t count = 0;
        RecordSearch search;
        if (db.Connect(database) != 0 || db.BeginSearch(start, end, search, count) != 0) {
            return;
        }
        HistoryListModel model(table);
        model.setRows(std::make_unique<HistoryPager>(db, search, count));
        std::size_t characters = 0;
        for (int row = 0; row < 40; ++row) {
            for (int column = 0; column < kHistoryColumns; ++column) {
                characters +=
                    model.data(model.index(row, column), Qt::DisplayRole).toString().size();
            }
        }
        const double screen = millisecondsSince(started);
        std::printf("first screen of %-9s (%7lld rows): %8.1f ms  (%zu characters)\n", what,
                    static_cast<long long>(count), screen, characters);
        if (std::string_view(what) == "one year") {
            nimbra::bench::reportFigure("History search over one year, first screen ready",
                                        "< 300 ms", screen, "ms", 300.0);
        }

        // Jumps as a dragged scroll bar makes them: to the end, the middle and back.
        HistoryPager* pager = model.pager();
        for (const double share : {1.0, 0.5, 0.25, 0.75, 0.001}) {
            const auto row = static_cast<std::int64_t>(static_cast<double>(count - 1) * share);
            const auto jumped = Clock::now();
            const HistoryRecord* record = pager->record(row);
            std::printf("  jump to row %7lld: %8.1f ms%s\n", static_cast<long long>(row),
                        millisecondsSince(jumped), record == nullptr ? "  (unreadable!)" : "");
        }
        std::printf("  counts run for the jumps: %d\n", pager->countsRun());
    };
    firstScreen(yearStart, yearEnd, "one year");
    firstScreen(allStart, allEnd, "ten years");

    for (const char* name : {"year.csv", "year.pdf"}) {
        const auto started = Clock::now();
        std::string error;
        const int failed = runHistoryExport(database, (folder / name).string(), yearStart, yearEnd,
                                            *strings, false, error);
        const double exported = millisecondsSince(started);
        if (!failed) {
            const bool csv = std::string_view(name) == "year.csv";
            nimbra::bench::reportFigure(csv ? "CSV export of one year (~105,000 rows)"
                                            : "PDF export of one year (~1,154 pages)",
                                        csv ? "< 2 s" : "< 20 s", exported / 1000.0, "s",
                                        csv ? 2.0 : 20.0);
        }
        std::printf("export of one year to %s: %8.0f ms, %ju bytes%s%s\n", name, exported,
                    failed ? std::uintmax_t{0} : std::filesystem::file_size(folder / name),
                    failed ? "  FAILED: " : "", error.c_str());
    }

    return 0;
}
