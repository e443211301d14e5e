// Figures for the record store at the size a decade of five-minute records reaches.
// Usage: store_bench [folder]   (default: a fresh folder under $TMPDIR, removed afterwards)
#include <sqlite3.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <numbers>
#include <string>

#include "bench/generated_history.h"
#include "core/absent.h"
#include "store/record_queries.h"
#include "store/weather_db.h"

namespace {

using nimbra::CWeatherDb;
using nimbra::HistoryRecord;
using nimbra::OleDate;
using Clock = std::chrono::steady_clock;

constexpr int kRecords = 1'000'000;
constexpr int kExtraRecords = 100'000;
const double kFirstTime = OleDate::fromCivil(2016, 1, 1).value();

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

bool insertRange(CWeatherDb& db, int first, int count) {
    nimbra::Transaction transaction(db);
    for (int i = first; i < first + count; ++i) {
        if (db.InsertRecord(nimbra::bench::generatedRecord(i, kFirstTime)) != 0) {
            return false;
        }
    }
    return transaction.commit() == 0;
}

void printPlan(const std::filesystem::path& file, const char* name, const std::string& sql) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
    std::printf("  %s:\n", name);
    sqlite3_exec(
        db, ("EXPLAIN QUERY PLAN " + sql).c_str(),
        [](void*, int columns, char** values, char**) {
            std::printf("    %s\n", values[columns - 1]);
            return 0;
        },
        nullptr, nullptr);
    sqlite3_close(db);
}

// Runs `body` a few times; prints the first (cold) and the best (warm) time.
template <typename Body>
void measure(const char* name, const char* target, int repeats, Body body) {
    double first = 0;
    double best = 1e300;
    for (int i = 0; i < repeats; ++i) {
        const auto start = Clock::now();
        body();
        const double ms = millisecondsSince(start);
        if (i == 0) {
            first = ms;
        }
        best = std::min(best, ms);
    }
    std::printf("%-52s first %9.3f ms   best %9.3f ms   (target %s)\n", name, first, best, target);
}

}  // namespace

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const bool ownFolder = argc < 2;
    fs::path folder;
    if (ownFolder) {
        std::string pattern = (fs::temp_directory_path() / "store_bench_XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            std::perror("mkdtemp");
            return 1;
        }
        folder = pattern;
    } else {
        folder = argv[1];
    }
    const fs::path file = folder / "Nimbra7420.db";
    fs::remove(file);

    int status = 0;
    {
        CWeatherDb db;
        if (db.Connect(file) != 0) {
            return 1;
        }
        const auto buildStart = Clock::now();
        for (int first = 0; first < kRecords; first += kExtraRecords) {
            if (!insertRange(db, first, kExtraRecords)) {
                return 1;
            }
        }
        std::printf("built %d records in %.0f ms\n\n", kRecords, millisecondsSince(buildStart));

        measure("insert 100,000 records in one transaction", "< 1000 ms", 1,
                [&] { status |= insertRange(db, kRecords, kExtraRecords) ? 0 : 1; });

        const OleDate yearStart = OleDate::fromCivil(2020, 1, 1);
        const OleDate yearEnd = OleDate::fromCivil(2021, 1, 1);
        std::int64_t rows = 0;
        measure("one-year range streamed to the end", "< 200 ms", 5, [&] {
            nimbra::RecordCursor cursor;
            status |= db.OpenRange(yearStart, yearEnd, nimbra::RecordColumn::OutTemp, cursor);
            HistoryRecord record;
            rows = 0;
            while (!cursor.atEnd()) {
                cursor.ExchangeRecord(record, nimbra::ExchangeDirection::read);
                ++rows;
                status |= cursor.moveNext();
            }
        });
        std::printf("%-52s %lld rows\n", "  (rows in the year with an outdoor temperature)",
                    static_cast<long long>(rows));

        nimbra::MaxMin maxMin;
        measure("OpenMaxMin over a year", "< 50 ms", 5, [&] {
            status |= db.OpenMaxMin(yearStart, yearEnd, nimbra::RecordColumn::OutTemp, maxMin);
        });
        std::printf("%-52s max %.1f  min %.1f\n", "  (outdoor temperature in the year)",
                    maxMin.Max1.value_or(NAN), maxMin.Min1.value_or(NAN));

        constexpr int kSums = 1000;
        double total = 0;
        const auto sumsStart = Clock::now();
        for (int day = 0; day < kSums; ++day) {
            double sum = 0;
            const OleDate start(yearStart.value() + day % 366);
            status |= db.OpenRainSum(start, OleDate(start.value() + 1), sum);
            total += sum;
        }
        std::printf("%-52s mean %8.4f ms over %d days  (target < 1 ms)\n",
                    "one rain sum over a day window", millisecondsSince(sumsStart) / kSums, kSums);

        double upTo = 0;
        measure("rain sum over everything, from scratch", "none, once per run", 1,
                [&] { status |= db.OpenRainSumUpTo(OleDate(kFirstTime + 4000), upTo); });

        // What a download of a full station memory does afterwards: the rolling totals of
        // each new record, newest window of the table, in one transaction.
        constexpr int kFullRing = 3264;
        measure("rolling rain totals of 3264 new records", "none", 1, [&] {
            nimbra::Transaction transaction(db);
            nimbra::RecordCursor latest;
            status |= db.OpenLatest(kFullRing, latest);
            HistoryRecord record;
            while (!latest.atEnd()) {
                latest.ExchangeRecord(record, nimbra::ExchangeDirection::read);
                const OleDate t = OleDate(record.Time).addSeconds(1);
                double sums[4] = {};
                status |= db.OpenRainSum(nimbra::startOfHour(t), t, sums[0]);
                status |= db.OpenRainSum(nimbra::startOfDay(t), t, sums[1]);
                status |= db.OpenRainSum(nimbra::startOfWeek(t), t, sums[2]);
                status |= db.OpenRainSum(nimbra::startOfMonth(t), t, sums[3]);
                double total = 0;
                status |= db.OpenRainSumUpTo(t, total);
                record.Rain1 = static_cast<float>(sums[0]);
                record.Rain2 = static_cast<float>(sums[1]);
                record.Rain3 = static_cast<float>(sums[2]);
                record.Rain4 = static_cast<float>(sums[3]);
                record.Rain5 = static_cast<float>(total);
                status |= latest.ExchangeRecord(record, nimbra::ExchangeDirection::write);
                status |= latest.moveNext();
            }
            status |= transaction.commit();
        });
        std::printf("\n");
    }

    const auto fileSize = fs::file_size(file);
    constexpr int kStored = kRecords + kExtraRecords;
    std::printf("file size %.1f MB for %d records: %.1f bytes per record\n\n", fileSize / 1e6,
                kStored, static_cast<double>(fileSize) / kStored);

    std::printf("query plans:\n");
    printPlan(file, "OpenRange", nimbra::detail::rangeQuery(nimbra::RecordColumn::OutTemp));
    printPlan(file, "OpenMaxMin", nimbra::detail::maxMinQuery(nimbra::RecordColumn::OutTemp));
    printPlan(file, "OpenRainSum", nimbra::detail::rainSumQuery());
    printPlan(file, "OpenRainSumUpTo", nimbra::detail::rainSumUpToQuery());
    printPlan(file, "OpenLatest", nimbra::detail::latestQuery());

    if (ownFolder) {
        fs::remove_all(folder);
    }
    return status;
}
