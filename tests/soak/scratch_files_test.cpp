#include "soak/scratch_files.h"

#include <gtest/gtest.h>

#include <fstream>

#include "config/single_instance.h"

namespace nimbra::soak {
namespace {

namespace fs = std::filesystem;

TEST(ScratchFiles, SeesTheProgramsLockAndItsLeftoverTemporaryFiles) {
    fs::path folder;
    {
        WorkDir work(std::nullopt);
        ASSERT_TRUE(work.ok());
        folder = work.path();
        const fs::path lock = folder / "QX7420.lock";
        EXPECT_TRUE(lockIsFree(lock));
        {
            SingleInstance instance(lock);
            ASSERT_TRUE(instance.acquired());
            EXPECT_FALSE(lockIsFree(lock));
        }
        EXPECT_TRUE(lockIsFree(lock));

        std::ofstream(folder / "QX7420a1b2c3") << "records";
        std::ofstream(folder / "QX7420d4e5f6");
        std::ofstream(folder / "unrelated");
        EXPECT_EQ(takeLeftoverTempFiles(folder), 2);
        EXPECT_EQ(takeLeftoverTempFiles(folder), 0);
        EXPECT_TRUE(fs::exists(folder / "unrelated"));
    }
    EXPECT_FALSE(fs::exists(folder));
}

TEST(ScratchFiles, TheLogStampMovesWithEveryWrite) {
    WorkDir work(std::nullopt);
    const fs::path database = work.path() / "Nimbra7420.db";
    const LogStamp none = logStamp(database);
    EXPECT_FALSE(none.exists);
    std::ofstream(database.native() + "-wal") << "frame";
    const LogStamp first = logStamp(database);
    EXPECT_TRUE(first.exists);
    EXPECT_NE(first, none);
    std::ofstream(database.native() + "-wal", std::ios::app) << "another frame";
    EXPECT_NE(logStamp(database), first);
}

}  // namespace
}  // namespace nimbra::soak
