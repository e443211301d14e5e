// Imports a generated text export of a million records into a fresh database, then the
// same file again (every record then already stored), and prints how long each took.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>

#include "bench/figure.h"
#include "store/import/record_import.h"

namespace {

constexpr int kLines = 1'000'000;

std::filesystem::path makeFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "import_bench_XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return pattern;
}

// A record every five minutes from 2015 on, as the text export writes them.
void writeExport(const std::filesystem::path& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::perror("fopen");
        std::exit(1);
    }
    const std::time_t start = 1420070400;  // 2015-01-01 UTC
    for (int i = 0; i < kLines; ++i) {
        const std::time_t instant = start + static_cast<std::time_t>(i) * 300;
        std::tm utc{};
        gmtime_r(&instant, &utc);
        char time[32];
        std::strftime(time, sizeof time, "%Y-%m-%d %H:%M:%S", &utc);
        std::fprintf(file,
                     "\"%d,x,%s,5,%d,21.%d,%d,%d.%d,-3.1,-4.2,990.7,1013.2,3.4,n,6.8,n,%d,n,%d,n,"
                     "0.3,1.2,3.4,5.6,7.8,901.2,5432.1,%d,\r\n",
                     i, time, 40 + i % 20, i % 10, 60 + i % 30, i % 35 - 5, i % 10, i % 16, i % 500,
                     i % 12);
    }
    std::fclose(file);
}

double secondsOf(const std::function<void()>& run) {
    const auto begin = std::chrono::steady_clock::now();
    run();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
}

}  // namespace

int main() {
    const std::filesystem::path folder = makeFolder();
    const std::filesystem::path source = folder / "history.dat";
    const std::filesystem::path database = folder / "Nimbra7420.db";
    writeExport(source);
    std::printf("text export: %d lines, %.1f MB\n", kLines,
                static_cast<double>(std::filesystem::file_size(source)) / 1e6);

    int status = 0;
    for (const char* pass : {"first import (all new)", "second import (all already stored)"}) {
        nimbra::ImportResult result;
        nimbra::ImportOptions options;
        options.dateOrder = nimbra::DateOrder::yearMonthDay;
        const double seconds =
            secondsOf([&] { result = nimbra::importRecords(database, source, options); });
        std::printf(
            "%s: %.2f s; %llu read, %llu stored, %llu already stored, %llu unreadable%s%s\n", pass,
            seconds, static_cast<unsigned long long>(result.read),
            static_cast<unsigned long long>(result.stored),
            static_cast<unsigned long long>(result.duplicates),
            static_cast<unsigned long long>(result.unreadable), result.error.empty() ? "" : "; ",
            result.error.c_str());
        if (result.status != nimbra::ImportStatus::done) {
            status = 1;
        }
        if (result.stored == kLines) {
            nimbra::bench::reportFigure(".dat import of 1,000,000 lines", "< 15 s", seconds, "s",
                                        15.0);
        }
    }
    std::filesystem::remove_all(folder);
    return status;
}
