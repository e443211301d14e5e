// The library's header includes glib inside its extern "C" block, where glib's C++
// templates cannot compile; included first, glib is already there.
#include <glib.h>
// clang-format off
#include <mdbtools.h>
// clang-format on

#include <array>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "store/import/column_text.h"
#include "store/import/record_sources.h"
#include "store/record_columns.h"

namespace nimbra {

namespace {

constexpr std::uint64_t kRowsPerProgress = 8192;
// Dates come out of the library as text; this form keeps every second.
constexpr char kDateFormat[] = "%Y-%m-%d %H:%M:%S";

struct MdbCloser {
    void operator()(MdbHandle* handle) const noexcept { mdb_close(handle); }
};
struct TableFreer {
    void operator()(MdbTableDef* table) const noexcept { mdb_free_tabledef(table); }
};
struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

// What the file's first page says: a Jet database and its page size. The library trusts
// its input, so a file that is not one, or that stops short of a whole page, is refused
// before the library sees it.
std::optional<std::string> jetFileProblem(const std::filesystem::path& path) {
    const std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (file == nullptr) {
        return "Cannot open " + path.string() + ": " + std::strerror(errno) + ".";
    }
    std::array<unsigned char, 0x15> header{};
    const std::size_t got = std::fread(header.data(), 1, header.size(), file.get());
    const std::string_view signature(reinterpret_cast<const char*>(header.data()) + 4, 15);
    if (got < header.size() || header[0] != 0 || header[1] != 1 ||
        (signature != "Standard Jet DB" && signature != "Standard ACE DB")) {
        return path.string() + " is not an Access database.";
    }
    const std::uint64_t pageSize = header[0x14] == 0 ? 2048 : 4096;
    std::error_code error;
    const std::uint64_t size = std::filesystem::file_size(path, error);
    if (error || size < 2 * pageSize || size % pageSize != 0) {
        return path.string() + " is damaged: it ends in the middle of a page.";
    }
    return std::nullopt;
}

// One column of the source table bound to a text buffer of its own.
struct BoundColumn {
    const RecordField* field = nullptr;
    std::vector<char> text = std::vector<char>(MDB_BIND_SIZE + 1, '\0');
    int length = 0;
};

}  // namespace

SourceReading readMdbSource(const std::filesystem::path& path, const RecordSink& sink,
                            const ImportProgress& progress) {
    SourceReading reading;
    const auto failed = [&](std::string what) {
        reading.outcome = ReadOutcome::sourceFailed;
        reading.error = std::move(what);
        return reading;
    };
    if (auto problem = jetFileProblem(path)) {
        return failed(std::move(*problem));
    }
    const std::unique_ptr<MdbHandle, MdbCloser> mdb(mdb_open(path.c_str(), MDB_NOFLAGS));
    if (mdb == nullptr) {
        return failed("Cannot open the database " + path.string() + ".");
    }
    mdb_set_date_fmt(mdb.get(), kDateFormat);
    if (mdb_read_catalog(mdb.get(), MDB_TABLE) == nullptr) {
        return failed("Cannot read the table list of " + path.string() + ".");
    }
    char tableName[] = "Records";
    const std::unique_ptr<MdbTableDef, TableFreer> table(
        mdb_read_table_by_name(mdb.get(), tableName, MDB_TABLE));
    if (table == nullptr || mdb_read_columns(table.get()) == nullptr) {
        return failed(path.string() + " has no Records table.");
    }
    std::vector<BoundColumn> columns;
    columns.reserve(table->num_cols);
    for (unsigned int i = 0; i < table->num_cols; ++i) {
        const auto* column = static_cast<const MdbColumn*>(g_ptr_array_index(table->columns, i));
        const auto known = recordColumnFromName(column->name);
        // Rcount is never read from a database: imported records keep 0.
        if (!known || *known == RecordColumn::Rcount) {
            continue;
        }
        BoundColumn& bound = columns.emplace_back();
        bound.field = &recordFields()[static_cast<std::size_t>(*known)];
        if (mdb_bind_column(table.get(), static_cast<int>(i) + 1, bound.text.data(),
                            &bound.length) == -1) {
            return failed("Cannot read the column " + std::string(column->name) + " of " +
                          path.string() + ".");
        }
    }
    if (mdb_rewind_table(table.get()) == -1) {
        return failed("Cannot read the records of " + path.string() + ".");
    }
    std::uint64_t count = 0;
    while (mdb_fetch_row(table.get()) != 0) {
        HistoryRecord record;
        for (const BoundColumn& column : columns) {
            setColumnFromText(*column.field,
                              std::string_view(column.text.data(), static_cast<std::size_t>(
                                                                       std::max(column.length, 0))),
                              record);
        }
        if (!sink(record)) {
            reading.outcome = ReadOutcome::sinkFailed;
            return reading;
        }
        if (++count % kRowsPerProgress == 0 && progress &&
            !progress(ImportStage::reading, count, table->num_rows)) {
            reading.outcome = ReadOutcome::cancelled;
            return reading;
        }
    }
    // The library ends the walk quietly at a page it cannot read; the table's own row
    // count tells a file that was cut short.
    if (count < table->num_rows) {
        return failed(path.string() + " is damaged: its Records table should hold " +
                      std::to_string(table->num_rows) + " records, of which only " +
                      std::to_string(count) + " can be read.");
    }
    return reading;
}

}  // namespace nimbra
