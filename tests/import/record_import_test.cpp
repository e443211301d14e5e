#include "store/import/record_import.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config/string_table.h"
#include "core/absent.h"
#include "report/import_command.h"
#include "tests/support/store_fixture.h"

namespace nimbra {
namespace {

using namespace std::string_literals;
using testing::queryRaw;
using testing::sampleRecord;

double at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return OleDate::fromCivil(y, mo, d, h, mi, s).value();
}

std::string datLine(const std::string& time, const std::string& outTemp = "-7.9",
                    int interval = 5) {
    return "\"1,x," + time + "," + std::to_string(interval) + ",45,21.3,88," + outTemp +
           ",-9.1,-12.6,990.7,1013.2,3.4,n,6.8,n,11,n,77,n,0.3,1.2,3.4,5.6,7.8,901.2,5432.1,4,";
}

// The time text of the n-th minute from 2024-03-05 00:00 (n below some three weeks), for
// records one minute apart, so of a one-minute interval.
std::string minuteText(int n) {
    char text[32];
    std::snprintf(text, sizeof text, "2024-03-%02d %02d:%02d:00", 5 + n / 1440, n / 60 % 24,
                  n % 60);
    return text;
}

class ImportTest : public ::testing::Test {
protected:
    std::filesystem::path database() const { return m_folder.path() / "Nimbra7420.db"; }
    std::filesystem::path source(const std::string& name) const { return m_folder.path() / name; }

    std::filesystem::path writeFile(const std::string& name, const std::string& bytes) const {
        std::ofstream(source(name), std::ios::binary) << bytes;
        return source(name);
    }
    std::filesystem::path writeMinutes(const std::string& name, int count) const {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += datLine(minuteText(i), "-7.9", 1) + "\n";
        }
        return writeFile(name, text);
    }

    std::string stored(const std::string& what) const {
        return queryRaw(database(), "SELECT " + what + " FROM Records ORDER BY Time, rowid");
    }
    // The times of the stored records in the order they were stored.
    std::vector<double> storedTimes() const {
        CWeatherDb db;
        EXPECT_EQ(db.Connect(database()), 0);
        RecordCursor rows;
        EXPECT_EQ(db.OpenAllRecords(rows), 0);
        std::vector<double> times;
        HistoryRecord record;
        while (!rows.atEnd()) {
            rows.ExchangeRecord(record, ExchangeDirection::read);
            times.push_back(record.Time);
            rows.moveNext();
        }
        return times;
    }
    int storedCount() const {
        return std::stoi(queryRaw(database(), "SELECT count(*) FROM Records"));
    }

    ImportOptions options(std::size_t batchSize = 10000) const {
        ImportOptions o;
        o.dateOrder = DateOrder::dayMonthYear;
        o.batchSize = batchSize;
        return o;
    }

    // A database of this program holding `records`.
    std::filesystem::path makeDatabase(const std::string& name,
                                       const std::vector<HistoryRecord>& records) const {
        CWeatherDb db;
        EXPECT_EQ(db.Connect(source(name)), 0);
        for (const HistoryRecord& record : records) {
            EXPECT_EQ(db.InsertRecord(record), 0);
        }
        return source(name);
    }

    testing::TempFolder m_folder;
};

TEST_F(ImportTest, TextExportStoresItsRecordsAndCountsTheLinesItPassesOver) {
    std::string garbage;
    for (int i = 0; i < 256; ++i) {
        garbage += static_cast<char>(i);
    }
    const std::string text = datLine("2024-03-05 09:07:00") + "\n" +           // stored
                             datLine("05.03.2024 09:12:00", "---") + "\r\n" +  // CR LF, absent
                             "\"1,2,3,short line\n" +                          // too few commas
                             "\n" +                                            // empty
                             std::string(200000, ',') + "\n" +                 // far too long
                             garbage + "\n" +                                  // binary
                             datLine("no date at all") + "\n" +                // the zero date
                             datLine("2024-03-05 09:17:00");                   // no final LF
    const auto result = importRecords(database(), writeFile("export.dat", text), options());

    EXPECT_EQ(result.status, ImportStatus::done) << result.error;
    EXPECT_EQ(result.read, 4u);
    EXPECT_EQ(result.stored, 4u);
    EXPECT_EQ(result.duplicates, 0u);
    EXPECT_EQ(result.unreadable, 5u);
    EXPECT_EQ(result.unreadableTimes, 1u);
    EXPECT_EQ(storedTimes(), (std::vector<double>{at(2024, 3, 5, 9, 7), at(2024, 3, 5, 9, 12), 0.0,
                                                  at(2024, 3, 5, 9, 17)}));
    EXPECT_EQ(stored("OutTemp"), "-7.90000009536743;-7.90000009536743;65535.0;-7.90000009536743");
    EXPECT_EQ(stored("Rcount"), "77;77;77;77");
    ASSERT_TRUE(result.first && result.last);
    EXPECT_EQ(result.first->value(), 0.0);
    EXPECT_DOUBLE_EQ(result.last->value(), at(2024, 3, 5, 9, 17));
}

TEST_F(ImportTest, ImportingTheSameSourceAgainAddsNothing) {
    const auto dat = writeMinutes("minutes.dat", 300);
    const auto first = importRecords(database(), dat, options(64));
    ASSERT_EQ(first.status, ImportStatus::done) << first.error;
    EXPECT_EQ(first.stored, 300u);

    const auto again = importRecords(database(), dat, options(64));
    EXPECT_EQ(again.status, ImportStatus::done) << again.error;
    EXPECT_EQ(again.stored, 0u);
    EXPECT_EQ(again.duplicates, 300u);
    EXPECT_EQ(storedCount(), 300);
    // The range covers the records found already stored, for the history list to show.
    ASSERT_TRUE(again.first && again.last);
    EXPECT_DOUBLE_EQ(again.first->value(), at(2024, 3, 5, 0, 0));
    EXPECT_DOUBLE_EQ(again.last->value(), at(2024, 3, 5, 4, 59));
}

// Overlapping history (an old database and the station's memory, anchored to clocks some
// seconds apart) is stored once; records that only share a time, or have none, are all kept.
TEST_F(ImportTest, OnlyTheSameReadingsNearTheSameTimeCountAsAlreadyStored) {
    const std::string text = datLine("2024-10-27 02:30:00", "4.5") + "\n" +
                             datLine("2024-10-27 02:30:00", "3.9") + "\n" +  // the hour again
                             datLine("2024-10-27 02:35:00", "3.9") + "\n" +  // an interval on
                             datLine("2024-10-27 02:37:00", "3.9") + "\n" +  // twice, 2 min off
                             datLine("no date", "1.0") + "\n" + datLine("neither", "1.0") + "\n";
    const auto result = importRecords(database(), writeFile("e.dat", text), options());
    EXPECT_EQ(result.status, ImportStatus::done) << result.error;
    EXPECT_EQ(result.read, 6u);
    EXPECT_EQ(result.stored, 5u);
    EXPECT_EQ(result.duplicates, 1u);
    EXPECT_EQ(result.unreadableTimes, 2u);
    EXPECT_EQ(stored("OutTemp"), "1.0;1.0;4.5;3.90000009536743;3.90000009536743");

    // A copy of the store with every time 20 s later, its rain included, adds nothing.
    std::vector<HistoryRecord> copy;
    for (int i = 0; i < 500; ++i) {
        HistoryRecord record = sampleRecord(at(2024, 3, 1) + i * 5.0 / 1440.0);
        record.Interval = 5;
        record.OutTemp = static_cast<float>(i % 40);
        record.Rain = 0.3f;
        copy.push_back(record);
    }
    importRecords(database(), makeDatabase("store.db", copy), options());
    const std::string rainBefore = stored("total(Rain)");
    for (HistoryRecord& record : copy) {
        record.Time = OleDate(record.Time).addSeconds(20.0).value();
    }
    const auto shifted = importRecords(database(), makeDatabase("shifted.db", copy), options(64));
    EXPECT_EQ(shifted.status, ImportStatus::done) << shifted.error;
    EXPECT_EQ(shifted.stored, 0u);
    EXPECT_EQ(shifted.duplicates, 500u);
    EXPECT_EQ(storedCount(), 505);
    EXPECT_EQ(stored("total(Rain)"), rainBefore);
}

TEST_F(ImportTest, ASourceWithoutOneReadableTimeIsRefusedAndAnEmptyOneImportsNothing) {
    const std::string text = datLine("Jan 1 2020 00:05:00") + "\n" +
                             datLine("Jan 1 2020 00:10:00") + "\n" +
                             datLine("Jan 1 2020 00:15:00") + "\n";
    const auto refused = importRecords(database(), writeFile("words.dat", text), options());
    EXPECT_EQ(refused.status, ImportStatus::sourceUnreadable);
    EXPECT_EQ(refused.read, 3u);
    EXPECT_EQ(refused.unreadableTimes, 3u);
    EXPECT_NE(refused.error.find("words.dat"), std::string::npos) << refused.error;
    EXPECT_FALSE(std::filesystem::exists(database()));

    for (const char* name : {"empty.dat", "empty-source.db"}) {
        const auto path =
            std::string(name).ends_with(".db") ? makeDatabase(name, {}) : writeFile(name, "");
        const auto empty = importRecords(database(), path, options());
        EXPECT_EQ(empty.status, ImportStatus::done) << name << ": " << empty.error;
        EXPECT_EQ(empty.read, 0u) << name;
        EXPECT_FALSE(empty.first) << name;
    }
}

TEST_F(ImportTest, DatabaseImportCopiesEveryColumnButTheRainCount) {
    const std::vector<HistoryRecord> records{sampleRecord(at(2023, 1, 1, 0, 5)),
                                             sampleRecord(at(2023, 1, 1, 0, 10))};
    const auto other = makeDatabase("other.db", records);
    const auto result = importRecords(database(), other, options());
    ASSERT_EQ(result.status, ImportStatus::done) << result.error;
    EXPECT_EQ(result.stored, 2u);

    CWeatherDb target;
    ASSERT_EQ(target.Connect(database()), 0);
    RecordCursor rows;
    ASSERT_EQ(target.OpenAllRecords(rows), 0);
    for (HistoryRecord expected : records) {
        ASSERT_FALSE(rows.atEnd());
        HistoryRecord read;
        rows.ExchangeRecord(read, ExchangeDirection::read);
        expected.Rcount = 0;
        EXPECT_EQ(read, expected);
        rows.moveNext();
    }
    EXPECT_EQ(stored("Rcount"), "0;0");

    const auto again = importRecords(database(), other, options());
    EXPECT_EQ(again.stored, 0u);
    EXPECT_EQ(again.duplicates, 2u);
    EXPECT_EQ(storedCount(), 2);
}

TEST_F(ImportTest, AccessDatabaseImportReadsTheRecordsTable) {
    const std::filesystem::path access = NIMBRA_TEST_DATA_DIR "/records.mdb";
    const auto result = importRecords(database(), access, options());
    ASSERT_EQ(result.status, ImportStatus::done) << result.error;
    EXPECT_EQ(result.read, 3u);
    EXPECT_EQ(result.stored, 3u);
    EXPECT_EQ(storedTimes(), (std::vector<double>{at(2024, 3, 5, 9, 7), at(2024, 3, 5, 9, 12),
                                                  at(2024, 3, 5, 9, 17, 30)}));
    // The second row holds absent values; the third is NULL everywhere but its time.
    EXPECT_EQ(stored("OutTemp"), "-7.25;65535.0;0.0");
    EXPECT_EQ(stored("UV"), "4;65535;0");
    EXPECT_EQ(stored("WindDirection"), "11;16;16");
    EXPECT_EQ(stored("Rcount"), "0;0;0");
    EXPECT_EQ(stored("Interval || ' ' || InHumi || ' ' || RelPressure || ' ' || Rain5"),
              "5 45 1013.25 901.25;5 45 1013.25 901.25;0 0 0.0 0.0");

    const auto again = importRecords(database(), access, options());
    EXPECT_EQ(again.stored, 0u);
    EXPECT_EQ(again.duplicates, 3u);
}

TEST_F(ImportTest, ACutAccessDatabaseChangesNothing) {
    std::ifstream file(NIMBRA_TEST_DATA_DIR "/records.mdb", std::ios::binary);
    const std::string whole((std::istreambuf_iterator<char>(file)), {});
    // Cut inside a page, before the table's definition, and before the table's rows.
    for (const std::size_t size :
         {whole.size() - 100, std::size_t{4 * 4096}, std::size_t{5 * 4096}}) {
        const auto result =
            importRecords(database(), writeFile("cut.mdb", whole.substr(0, size)), options());
        EXPECT_EQ(result.status, ImportStatus::sourceUnreadable) << size;
        EXPECT_NE(result.error.find("cut.mdb"), std::string::npos) << result.error;
    }
    EXPECT_FALSE(std::filesystem::exists(database()));
}

TEST_F(ImportTest, ASourceThatIsNotWhatItsNameSaysChangesNothing) {
    makeDatabase("Nimbra7420.db", {sampleRecord(at(2024, 1, 1))});
    std::string truncatedJet(4096 + 100, '\0');
    truncatedJet.replace(0, 20, std::string("\0\1\0\0Standard Jet DB\0", 20));
    truncatedJet[0x14] = 1;
    const struct {
        std::string name;
        std::string bytes;
    } cases[] = {
        {"text.db", "this is text, not a database\n"},
        {"empty.db", ""},
        {"text.mdb", datLine("2024-03-05 09:07:00") + "\n"},
        {"empty.mdb", ""},
        {"truncated.mdb", truncatedJet},
        {"garbage.mdb", std::string(8192, '\x5a')},
    };
    for (const auto& c : cases) {
        const auto result = importRecords(database(), writeFile(c.name, c.bytes), options());
        EXPECT_EQ(result.status, ImportStatus::sourceUnreadable) << c.name;
        EXPECT_NE(result.error.find(c.name), std::string::npos) << result.error;
        EXPECT_EQ(result.stored, 0u) << c.name;
    }
    const auto missing = importRecords(database(), source("missing.db"), options());
    EXPECT_EQ(missing.status, ImportStatus::sourceUnreadable);
    // A database without the Records table.
    testing::executeRaw(source("foreign.db"), "CREATE TABLE Other (x)");
    EXPECT_EQ(importRecords(database(), source("foreign.db"), options()).status,
              ImportStatus::sourceUnreadable);
    EXPECT_EQ(storedCount(), 1);
}

// Sources that are damaged or of another kind than their name says: nothing of them is
// stored, the store keeps what it held, and each is told apart by a message naming it.
TEST_F(ImportTest, DamagedSourcesLeaveTheStoreAsItWas) {
    makeDatabase("Nimbra7420.db", {sampleRecord(at(2024, 1, 1))});
    const std::string before = stored("Time || OutTemp");
    std::vector<HistoryRecord> many;
    for (int i = 0; i < 3000; ++i) {
        many.push_back(sampleRecord(at(2024, 2, 1) + i / 1440.0));
    }
    std::string whole;
    {
        const auto full = makeDatabase("full.db", many);
        std::ifstream in(full, std::ios::binary);
        whole.assign(std::istreambuf_iterator<char>(in), {});
    }
    const std::string png = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x10\0\0\0\x10\x08\x06\0\0\0"s;
    const struct {
        std::string name;
        std::string bytes;
    } cases[] = {
        {"cut.db", whole.substr(0, whole.size() / 2)},
        {"header-only.db", whole.substr(0, 100)},
        {"picture.db", png},
        {"picture.mdb", png + std::string(8192, '\0')},
        // Not one record in it: no "success" over nothing imported.
        {"picture.dat", png},
        {"one-long-line.dat", std::string(6 << 20, '7')},
    };
    for (const auto& c : cases) {
        const auto result = importRecords(database(), writeFile(c.name, c.bytes), options());
        EXPECT_EQ(result.status, ImportStatus::sourceUnreadable) << c.name;
        EXPECT_EQ(result.stored, 0u) << c.name;
        EXPECT_NE(result.error.find(c.name), std::string::npos) << result.error;
        EXPECT_EQ(stored("Time || OutTemp"), before) << c.name;
    }
    EXPECT_EQ(queryRaw(database(), "PRAGMA integrity_check"), "ok");
}

// A figure of this process's memory from the kernel, in kB.
std::optional<long> memoryKilobytes(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.starts_with(field + ":")) {
            return std::stol(line.substr(field.size() + 1));
        }
    }
    return std::nullopt;
}

TEST_F(ImportTest, AHugeLineIsPassedOverWithinBoundedMemory) {
    const auto path = source("huge.dat");
    {
        std::ofstream out(path, std::ios::binary);
        out << datLine(minuteText(0), "-7.9", 1) << "\n";
        const std::string block(1 << 20, '9');
        for (int i = 0; i < 64; ++i) {
            out << block;
        }
        out << "\n" << datLine(minuteText(1), "-7.9", 1) << "\n";
    }
    // Resets the peak to what is resident now.
    std::ofstream reset("/proc/self/clear_refs");
    if (!(reset << "5" << std::flush)) {
        GTEST_SKIP() << "the kernel cannot reset the peak memory figure here";
    }
    const auto before = memoryKilobytes("VmRSS");
    const auto result = importRecords(database(), path, options());
    const auto peak = memoryKilobytes("VmHWM");
    EXPECT_EQ(result.stored, 2u) << result.error;
    EXPECT_EQ(result.unreadable, 1u);
    ASSERT_TRUE(before && peak);
    EXPECT_LT(*peak - *before, 16 * 1024) << "the 64 MB line was held whole";
}

TEST_F(ImportTest, TheTemporaryFileIsGoneWhenTheImportEnds) {
    const auto dat = writeMinutes("m.dat", 50);
    const auto temporary = m_folder.path() / "tmp";
    std::filesystem::create_directories(temporary);
    const char* previous = std::getenv("TMPDIR");
    const std::string saved = previous != nullptr ? previous : "";
    setenv("TMPDIR", temporary.c_str(), 1);
    const auto result = importRecords(database(), dat, options());
    const auto failed = importRecords(database(), writeFile("x.db", "text"), options());
    previous != nullptr ? setenv("TMPDIR", saved.c_str(), 1) : unsetenv("TMPDIR");
    EXPECT_EQ(result.stored, 50u);
    EXPECT_EQ(failed.status, ImportStatus::sourceUnreadable);
    EXPECT_TRUE(std::filesystem::is_empty(temporary));
}

TEST_F(ImportTest, OtherFilesAndAnUnavailableDatabaseAreReported) {
    const auto dat = writeMinutes("m.DAT", 3);
    EXPECT_EQ(importSourceOf("a.MDB"), ImportSource::accessDatabase);
    EXPECT_EQ(importRecords(database(), writeFile("m.csv", "x"), options()).status,
              ImportStatus::notImportable);
    EXPECT_EQ(importRecords(database(), writeFile("noextension", "x"), options()).status,
              ImportStatus::notImportable);
    const auto unavailable = importRecords(m_folder.path() / "no" / "such.db", dat, options());
    EXPECT_EQ(unavailable.status, ImportStatus::targetUnavailable);
    EXPECT_FALSE(unavailable.error.empty());
    EXPECT_EQ(importRecords(database(), dat, options()).stored, 3u);
}

TEST_F(ImportTest, CancelWhileStoringKeepsTheRecordsBeforeIt) {
    // Twelve thousand lines: enough for progress reports in both stages.
    const auto dat = writeMinutes("m.dat", 12000);
    ImportOptions cancelling = options(1000);
    std::vector<ImportStage> stages;
    cancelling.progress = [&](ImportStage stage, std::uint64_t done, std::uint64_t) {
        stages.push_back(stage);
        return !(stage == ImportStage::storing && done >= 4096);
    };
    const auto result = importRecords(database(), dat, cancelling);
    EXPECT_EQ(result.status, ImportStatus::cancelled);
    EXPECT_GT(std::count(stages.begin(), stages.end(), ImportStage::reading), 0);
    // The records up to the Cancel, in the order of the source: none lost, none beyond.
    EXPECT_EQ(result.stored, 4096u);
    const auto times = storedTimes();
    ASSERT_EQ(times.size(), 4096u);
    EXPECT_DOUBLE_EQ(times.back(), at(2024, 3, 7, 20, 15));
    EXPECT_DOUBLE_EQ(result.last->value(), times.back());
}

TEST_F(ImportTest, CancelWhileReadingStoresNothing) {
    ImportOptions cancelling = options();
    cancelling.progress = [](ImportStage, std::uint64_t, std::uint64_t) { return false; };
    const auto result = importRecords(database(), writeMinutes("m.dat", 20000), cancelling);
    EXPECT_EQ(result.status, ImportStatus::cancelled);
    EXPECT_EQ(result.stored, 0u);
    EXPECT_FALSE(std::filesystem::exists(database()));
}

TEST_F(ImportTest, AnErrorWhileStoringKeepsTheCommittedBatchesOnly) {
    makeDatabase("Nimbra7420.db", {});
    // The database refuses the 25th record; batches of ten.
    testing::executeRaw(database(),
                        "CREATE TRIGGER refuse BEFORE INSERT ON Records WHEN NEW.Interval = 99 "
                        "BEGIN SELECT RAISE(ABORT, 'record refused'); END");
    std::string text;
    for (int i = 0; i < 40; ++i) {
        text += datLine(minuteText(i), "1", i == 24 ? 99 : 1) + "\n";
    }
    const auto result = importRecords(database(), writeFile("m.dat", text), options(10));
    EXPECT_EQ(result.status, ImportStatus::storeFailed);
    EXPECT_NE(result.error.find("record refused"), std::string::npos) << result.error;
    EXPECT_EQ(result.stored, 20u);
    EXPECT_EQ(storedCount(), 20);
    EXPECT_DOUBLE_EQ(result.last->value(), at(2024, 3, 5, 0, 19));
}

TEST_F(ImportTest, CommandPrintsProgressAndCountsInTheUsersLanguage) {
    const auto dat = writeFile("e.dat", datLine("2024-03-05 09:07:00") + "\nshort\n");
    const auto lookupIn = [](const char* file) -> TextLookup {
        std::string error;
        auto table = StringTable::load(std::string(NIMBRA_STRINGS_DIR "/") + file, error);
        EXPECT_TRUE(table) << error;
        return [shared = std::make_shared<StringTable>(table.value_or(StringTable{}))](int id) {
            return shared->text(id);
        };
    };
    const struct {
        const char* file;
        std::vector<std::string> expected;
    } cases[] = {
        {"en.txt",
         {"Reading " + dat.string() + " ...", "1 records read, 1 stored.",
          "0 skipped: already in the database.", "1 lines skipped"}},
        {"de.txt",
         {"Lese " + dat.string() + " ...", "1 Datensätze gelesen, 0 gespeichert.",
          "1 übersprungen: bereits in der Datenbank."}},
    };
    for (const auto& c : cases) {
        std::string error;
        char* printed = nullptr;
        std::size_t size = 0;
        std::FILE* out = open_memstream(&printed, &size);
        EXPECT_EQ(runImportCommand(database(), dat.string(), out, lookupIn(c.file), error), 0);
        std::fclose(out);
        for (const std::string& line : c.expected) {
            EXPECT_NE(std::string(printed).find(line), std::string::npos) << line << "\n"
                                                                          << printed;
        }
        std::free(printed);
    }

    const TextLookup english = lookupIn("en.txt");
    std::string error;
    EXPECT_NE(
        runImportCommand(database(), writeFile("x.db", "text").string(), stdout, english, error),
        0);
    EXPECT_NE(error.find("x.db"), std::string::npos) << error;
    EXPECT_NE(runImportCommand(m_folder.path() / "no" / "db", dat.string(), stdout, english, error),
              0);
    EXPECT_NE(error.find("Cannot open the database!"), std::string::npos) << error;
}

}  // namespace
}  // namespace nimbra
