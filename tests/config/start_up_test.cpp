#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "config/data_folder.h"
#include "config/profile_file.h"
#include "config/single_instance.h"
#include "tests/support/temp_folder.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;

class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(m_root / "share");
        std::ofstream(m_root / "share" / kConfigFileName) << "[About]\nWeb=https://example.org\n";
    }
    testing::TempFolder m_temp{"start-up-test"};
    const fs::path m_root = m_temp.path();
};

// Whether another process could take the lock right now.
bool otherProcessAcquires(const fs::path& lockPath) {
    const pid_t child = ::fork();
    if (child == 0) {
        SingleInstance second(lockPath);
        ::_exit(second.acquired() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST_F(StartUpTest, OnlyOneInstanceHoldsTheLockUntilItReleases) {
    const fs::path lockPath = m_root / "QX7420.lock";
    {
        SingleInstance first(lockPath);
        ASSERT_TRUE(first.acquired());
        EXPECT_FALSE(otherProcessAcquires(lockPath));
        first.release();
        EXPECT_TRUE(otherProcessAcquires(lockPath));
    }
    EXPECT_TRUE(otherProcessAcquires(lockPath));
}

TEST_F(StartUpTest, ALockFileThatCannotBeMadeIsToldApartFromAHeldLock) {
    const fs::path lockPath = m_root / "QX7420.lock";
    SingleInstance first(lockPath);
    SingleInstance second(lockPath);
    EXPECT_FALSE(second.acquired());
    EXPECT_EQ(second.openError(), 0) << "held by another: the usual quiet end";
    EXPECT_EQ(first.openError(), 0);

    std::ofstream(m_root / "a file");
    const SingleInstance nowhere(m_root / "a file" / "QX7420.lock");
    EXPECT_FALSE(nowhere.acquired());
    EXPECT_EQ(nowhere.openError(), ENOTDIR);
}

// One lock per user whatever the session left in the environment: cron, ssh and sudo
// start the program without XDG_RUNTIME_DIR, or with another user's.
TEST_F(StartUpTest, LockIsTheUsersWhateverTheEnvironmentSays) {
    unsetenv(kLockFolderVariable);
    const fs::path runtime = "/run/user/" + std::to_string(::geteuid());
    struct stat status {};
    const bool ownRuntime = ::lstat(runtime.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
                            status.st_uid == ::geteuid();
    const fs::path expected =
        ownRuntime ? runtime / "QX7420.lock"
                   : fs::path("/tmp/QX7420-" + std::to_string(::geteuid()) + ".lock");
    for (const char* value : {"", "/elsewhere", "/run/user/12345"}) {
        setenv("XDG_RUNTIME_DIR", value, 1);
        EXPECT_EQ(SingleInstance::defaultLockPath(), expected) << value;
    }
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(SingleInstance::defaultLockPath(), expected);
    setenv(kLockFolderVariable, m_root.c_str(), 1);
    EXPECT_EQ(SingleInstance::defaultLockPath(), m_root / "QX7420.lock");
    unsetenv(kLockFolderVariable);
}

TEST_F(StartUpTest, DataFolderFollowsXdgDataHome) {
    setenv("XDG_DATA_HOME", "/srv/data", 1);
    EXPECT_EQ(defaultDataFolder(), fs::path("/srv/data/Nimbra7420"));
    setenv("XDG_DATA_HOME", "relative", 1);  // not absolute: ignored, as XDG asks
    setenv("HOME", "/home/owner", 1);
    EXPECT_EQ(defaultDataFolder(), fs::path("/home/owner/.local/share/Nimbra7420"));
    unsetenv("XDG_DATA_HOME");
}

TEST_F(StartUpTest, FirstStartSeedsMainIniAndLaterStartsKeepEdits) {
    const fs::path data = m_root / "a" / "b" / "Nimbra7420";
    prepareDataFolder(data, m_root / "share");
    ProfileFile config(data / kConfigFileName);
    EXPECT_EQ(config.readString("About", "Web"), "https://example.org");
    EXPECT_EQ(fs::status(data / kConfigFileName).permissions(),
              fs::perms::owner_read | fs::perms::owner_write)
        << "the seeded copy is for its owner only";

    ASSERT_TRUE(config.writeString("About", "Web", "edited"));
    prepareDataFolder(data, m_root / "share");
    EXPECT_EQ(config.readString("About", "Web"), "edited");
}

TEST_F(StartUpTest, ReadOnlyConfigurationBecomesWritableAndMissingSeedIsNotFatal) {
    const fs::path data = m_root / "data";
    fs::create_directories(data);
    std::ofstream(data / kConfigFileName) << "[Language]\nLanguage=Deutsch\n";
    fs::permissions(data / kConfigFileName, fs::perms::owner_read);
    prepareDataFolder(data, m_root / "no-such-share");
    EXPECT_NE(fs::status(data / kConfigFileName).permissions() & fs::perms::owner_write,
              fs::perms::none);

    const fs::path fresh = m_root / "fresh";
    prepareDataFolder(fresh, m_root / "no-such-share");
    EXPECT_TRUE(fs::is_directory(fresh));
    EXPECT_EQ(ProfileFile(fresh / kConfigFileName).readString("Language", "Language"), "");
}

}  // namespace
}  // namespace nimbra
