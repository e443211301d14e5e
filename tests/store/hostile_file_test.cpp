#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "tests/support/ordinary_user.h"
#include "tests/support/store_fixture.h"

namespace nimbra {
namespace {

using testing::CapturedErrors;
using testing::queryRaw;
using testing::sampleRecord;
using testing::TempFolder;

using ::testing::AnyOf;
using ::testing::HasSubstr;

// Everything the file holds, as text: what must not change when a write fails.
std::string everything(const std::filesystem::path& file) {
    return queryRaw(file, "SELECT group_concat(Time || ':' || OutTemp, ',') FROM Records") + "|" +
           queryRaw(file, "SELECT group_concat(LastCount, ',') FROM Param");
}

// Runs `body` in a child process whose files may not grow beyond `limit` bytes, as on a
// full disk; returns what the body wrote to its pipe.
std::string withFileSizeLimit(rlim_t limit, const std::function<std::string()>& body) {
    int channel[2];
    if (::pipe(channel) != 0) {
        return "no pipe";
    }
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        ::signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails with EFBIG instead
        const rlimit size{limit, limit};
        const std::string result = ::setrlimit(RLIMIT_FSIZE, &size) == 0 ? body() : "no limit";
        const bool sent = ::write(channel[1], result.data(), result.size()) ==
                          static_cast<ssize_t>(result.size());
        ::_exit(sent ? 0 : 1);
    }
    ::close(channel[1]);
    std::string result;
    char buffer[512];
    ssize_t n = 0;
    while ((n = ::read(channel[0], buffer, sizeof buffer)) > 0) {
        result.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? result : "child died";
}

TEST(HostileFile, AFullDiskRollsTheBatchBackAndLeavesTheFileAsItWas) {
    TempFolder folder;
    const auto file = folder.path() / "Nimbra7420.db";
    {
        CWeatherDb db;
        ASSERT_EQ(db.Connect(file), 0);
        for (int i = 0; i < 20; ++i) {
            ASSERT_EQ(db.InsertRecord(sampleRecord(45000.0 + i)), 0);
        }
        ParamBlock param;
        param.LastCount = 123;
        ASSERT_EQ(db.WriteParam(param), 0);
    }
    const std::string before = everything(file);
    // Room for the shared-memory index and a few pages of log, not for the batch.
    const rlim_t limit = std::filesystem::file_size(file) + 64 * 1024;

    const std::string outcome = withFileSizeLimit(limit, [&file] {
        CapturedErrors errors;
        CWeatherDb db;
        db.setErrorSink(errors.sink());
        if (db.Connect(file) != 0) {
            return std::string("no connection");
        }
        std::string steps;
        {
            Transaction batch(db);
            for (int i = 0; i < 5000; ++i) {
                db.InsertRecord(sampleRecord(46000.0 + i));
            }
            ParamBlock param;
            param.LastCount = 456;
            db.WriteParam(param);
            steps += batch.commit() == 0 ? "committed;" : "refused;";
        }
        std::int64_t count = 0;
        steps += db.CountAll(count) == 0 ? std::to_string(count) : "uncounted";
        for (const std::string& message : errors.messages()) {
            steps += ";" + message;
        }
        return steps;
    });

    EXPECT_THAT(outcome, HasSubstr("refused;20;"));
    EXPECT_THAT(outcome, AnyOf(HasSubstr("full"), HasSubstr("I/O error")));
    EXPECT_EQ(queryRaw(file, "PRAGMA integrity_check"), "ok");
    EXPECT_EQ(everything(file), before);
}

// The engine would open a file it may not write read-only and fail only at the first
// write; the program's own connection refuses it at once, while a copy source still reads.
TEST(HostileFile, AFileThatMayNotBeWrittenIsRefusedAtConnect) {
    TempFolder folder;
    const auto file = folder.path() / "Nimbra7420.db";
    {
        CWeatherDb db;
        ASSERT_EQ(db.Connect(file), 0);
        ASSERT_EQ(db.InsertRecord(sampleRecord(45000.0)), 0);
    }
    const std::string before = everything(file);
    std::filesystem::permissions(file, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::group_read |
                                           std::filesystem::perms::others_read);
    testing::giveToOrdinaryUser(folder.path());
    const int outcome = nimbra::testing::runAsOrdinaryUser([&file] {
        CapturedErrors errors;
        CWeatherDb own;
        own.setErrorSink(errors.sink());
        const bool refused = own.Connect(file) == -1 && errors.messages().size() == 1 &&
                             errors.messages()[0] == "The database file is read-only.";
        CWeatherDb source;
        std::int64_t count = 0;
        const bool read = source.Connect(file, ConnectMode::readOnly) == 0 &&
                          source.CountAll(count) == 0 && count == 1;
        return (refused ? 0 : 1) | (read ? 0 : 2);
    });
    EXPECT_EQ(outcome, 0) << "1: the own connection was not refused, 2: the copy did not read";
    EXPECT_EQ(everything(file), before);
}

}  // namespace
}  // namespace nimbra
