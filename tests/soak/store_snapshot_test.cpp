#include "soak/store_snapshot.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "store/weather_db.h"
#include "tests/support/store_fixture.h"

namespace nimbra::soak {
namespace {

using testing::executeRaw;
using testing::TempFolder;

HistoryRecord recordAt(double time, float inTemp) {
    HistoryRecord record;
    record.Time = time;
    record.Interval = 5;
    record.InTemp = inTemp;
    record.AbsPressure = 1003.4f;
    return record;
}

void storeRecords(const std::filesystem::path& file, int count, std::int32_t lastPoint) {
    CWeatherDb db;
    ASSERT_EQ(db.Connect(file), 0);
    Transaction transaction(db);
    for (int i = 0; i < count; ++i) {
        ASSERT_EQ(db.InsertRecord(recordAt(45000.0 + i / 288.0, 20.0f + 0.1f * i)), 0);
    }
    CStationData station;
    station.LastPoint = lastPoint;
    ASSERT_EQ(db.WriteParam(station), 0);
    ASSERT_EQ(transaction.commit(), 0);
}

TEST(StoreSnapshot, ReadsRowsAndTheLastDownloadWithoutTouchingALogLeftByAKilledWriter) {
    TempFolder folder;
    const auto file = folder.path() / "Nimbra7420.db";
    EXPECT_FALSE(readStore(file).exists);

    // A writer that commits and dies without closing leaves its commit in the log only.
    const pid_t writer = ::fork();
    if (writer == 0) {
        CWeatherDb db;
        db.Connect(file);
        storeRecords(file, 12, 476);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(writer, &status, 0), writer);
    std::filesystem::path log = file;
    log += "-wal";
    const auto logSize = std::filesystem::file_size(log);

    const StoreSnapshot snapshot = readStore(file);
    EXPECT_TRUE(snapshot.exists);
    EXPECT_TRUE(snapshot.sound) << snapshot.problem;
    ASSERT_EQ(snapshot.rows.size(), 12u);
    EXPECT_EQ(snapshot.lastPoint, 476);
    EXPECT_LT(snapshot.rows.front().time, snapshot.rows.back().time);
    EXPECT_EQ(std::filesystem::file_size(log), logSize);
}

TEST(StoreSnapshot, CountsRowsLostSinceTheLastCheckAndRowsStoredTwice) {
    TempFolder folder;
    const auto file = folder.path() / "Nimbra7420.db";
    storeRecords(file, 10, 256);
    const StoreSnapshot before = readStore(file);
    EXPECT_EQ(countLost(before.rows, before.rows), 0);
    EXPECT_EQ(countDoubled(before.rows), 0);

    executeRaw(file,
               "DELETE FROM Records WHERE rowid IN (3, 7);"
               "INSERT INTO Records SELECT * FROM Records WHERE rowid = 5;");
    const StoreSnapshot after = readStore(file);
    EXPECT_EQ(countLost(before.rows, after.rows), 2);
    EXPECT_EQ(countDoubled(after.rows), 1);
    EXPECT_EQ(after.withoutRainTotals, 0);
    executeRaw(file, "UPDATE Records SET Rain = 0.3, Rain5 = 0 WHERE rowid IN (1, 2)");
    EXPECT_EQ(readStore(file).withoutRainTotals, 2);
    // The same readings at another time are another record, not a copy.
    executeRaw(file, "UPDATE Records SET Time = Time + 1 WHERE rowid = 11");
    EXPECT_EQ(countDoubled(readStore(file).rows), 0);
}

TEST(StoreSnapshot, ADamagedFileIsNotSound) {
    TempFolder folder;
    const auto file = folder.path() / "Nimbra7420.db";
    storeRecords(file, 400, 256);
    {
        // Scribble over the pages after the first: tables and index alike.
        ASSERT_GT(std::filesystem::file_size(file), 6u * 4096u);
        std::FILE* out = std::fopen(file.c_str(), "r+b");
        ASSERT_NE(out, nullptr);
        std::fseek(out, 4096, SEEK_SET);
        const std::string junk(4 * 4096, '\x5a');
        std::fwrite(junk.data(), 1, junk.size(), out);
        std::fclose(out);
    }
    const StoreSnapshot snapshot = readStore(file);
    EXPECT_TRUE(snapshot.exists);
    EXPECT_FALSE(snapshot.sound);
    EXPECT_FALSE(snapshot.problem.empty());
}

}  // namespace
}  // namespace nimbra::soak
