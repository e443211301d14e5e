#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "store/weather_db.h"
#include "tests/support/ordinary_user.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_http_server.h"

extern char** environ;

namespace nimbra {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// Runs the program (or, with `shellCommand`, any command) through the shell and returns
// its standard output and exit code.
std::pair<std::string, int> run(const std::string& arguments, bool shellCommand = false) {
    const std::string command =
        shellCommand ? arguments : std::string(NIMBRAPLUS_PROGRAM) + " " + arguments;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    std::string output;
    char buffer[4096];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    const int status = ::pclose(pipe);
    return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("NIMBRA_LOCK_DIR", m_data.c_str(), 1);  // beside any other test's
    }

    std::int64_t storedRecords() {
        CWeatherDb db;
        std::int64_t count = -1;
        if (db.Connect(m_data / "Nimbra7420.db") == 0) {
            db.CountAll(count);
        }
        return count;
    }

    // The ordinary user some cases run as must reach the data folder inside.
    testing::TempFolder m_temp{"program", testing::TempFolder::Access::everyone};
    const fs::path m_data = m_temp.path() / "data";  // absent until the program or a case makes it
};

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

const std::string kLogOnce =
    "--headless --once --emulator --emulator-records 20 --language English";

// With every upload off nothing is left to wait for once the download is stored.
TEST_F(ProgramTest, HeadlessOnceWithTheEmulatorStoresItsHistoryAndEnds) {
    const auto start = std::chrono::steady_clock::now();
    const auto [output, code] =
        run("--headless --once --emulator --emulator-records 200 --data-dir " + m_data.string());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s) << "the upload loops are off";
    EXPECT_EQ(code, 0) << output;
    EXPECT_NE(output.find("emulator"), std::string::npos) << "the output says it is emulated";
    EXPECT_NE(output.find("USB Connected"), std::string::npos) << output;
    EXPECT_NE(output.find("Complete"), std::string::npos) << output;
    EXPECT_EQ(storedRecords(), 200);
}

TEST_F(ProgramTest, HeadlessOnceUploadsToEveryServiceThatIsSwitchedOn) {
    const std::string ok = "HTTP/1.0 200 OK\r\n\r\nsuccess\n";
    testing::TestHttpServer custom(testing::TestHttpServer::reply(ok));
    testing::TestHttpServer wow(testing::TestHttpServer::reply(ok));
    testing::TestHttpServer weathercloud(
        testing::TestHttpServer::reply("HTTP/1.1 200 OK\r\nContent-Length: 3\r\n\r\n200"));
    fs::create_directories(m_data);
    {
        std::ofstream config(m_data / "Main.ini");
        config << "[Language]\nLanguage=English\n[Up]\nType=0\n"
               << "[Custom]\nServer=127.0.0.1\nServerPort=" << custom.port()
               << "\nServerType=2\nUploadType=1\nStationID=HOME 1\nPassword=p&ss\nAutosend=1\n"
               << "[WeatherObservationsWebsite]\nStationID=W1\nPassword=k\nAutosend=1\n"
               << "[weathercloud]\nStationID=C1\nPassword=key\nAutosend=1\n";
    }
    setenv("NIMBRA_WOW_SERVER", ("127.0.0.1:" + std::to_string(wow.port())).c_str(), 1);
    setenv("NIMBRA_WEATHERCLOUD_SERVER",
           ("127.0.0.1:" + std::to_string(weathercloud.port())).c_str(), 1);
    const auto [output, code] = run("--headless --once --emulator --data-dir " + m_data.string());
    unsetenv("NIMBRA_WOW_SERVER");
    unsetenv("NIMBRA_WEATHERCLOUD_SERVER");
    EXPECT_EQ(code, 0) << output;
    EXPECT_NE(output.find("Upload Weather Underground: ok"), std::string::npos) << output;
    EXPECT_NE(output.find("Upload WOW: ok"), std::string::npos) << output;
    EXPECT_NE(output.find("Upload Weathercloud: ok"), std::string::npos) << output;

    const auto requests = custom.requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string& request = requests.front();
    EXPECT_EQ(request.rfind("GET /weatherstation/updateweatherstation.php?", 0), 0u) << request;
    EXPECT_NE(request.find("ID=HOME%201&"), std::string::npos) << request;
    EXPECT_NE(request.find("PASSWORD=p%26ss&"), std::string::npos) << request;
    for (const char* field : {"tempf=", "humidity=", "baromin=", "windspeedmph=", "dateutc="}) {
        EXPECT_NE(request.find(field), std::string::npos) << field << " in " << request;
    }
    EXPECT_NE(request.find("Host: 127.0.0.1"), std::string::npos);
    EXPECT_EQ(wow.requests().size(), 1u);
    EXPECT_EQ(weathercloud.requests().size(), 1u);
}

TEST_F(ProgramTest, ExportAndImportFromTheCommandLine) {
    ASSERT_EQ(
        run("--headless --once --emulator --emulator-records 150 --data-dir " + m_data.string())
            .second,
        0);
    const std::string range = " --from \"2000-01-01 00:00:00\" --to \"2100-01-01 00:00:00\"";
    const fs::path csv = m_data / "year.csv";
    EXPECT_EQ(run("--data-dir " + m_data.string() + " --export " + csv.string() + range).second, 0);
    std::ifstream text(csv, std::ios::binary);
    char bom[2] = {};
    text.read(bom, 2);
    EXPECT_EQ(static_cast<unsigned char>(bom[0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(bom[1]), 0xFE);

    const fs::path pdf = m_data / "year.pdf";
    EXPECT_EQ(run("--data-dir " + m_data.string() + " --export " + pdf.string() + range).second, 0);
    EXPECT_EQ(run("pdfinfo " + pdf.string() + " >/dev/null 2>&1 && echo ok", true).first, "ok\n");

    // The database imported into a fresh folder: every record arrives once.
    const fs::path other = m_data / "other";
    const auto [imported, code] =
        run("--data-dir " + other.string() + " --import " + (m_data / "Nimbra7420.db").string());
    EXPECT_EQ(code, 0) << imported;
    EXPECT_NE(imported.find("150 stored"), std::string::npos) << imported;
    EXPECT_EQ(run("--data-dir /nonexistent/x --export /nonexistent/y.csv" + range + " 2>&1").second,
              1);
}

// One instance per user, whichever data folder each is given and whether or not the
// session set XDG_RUNTIME_DIR (cron, ssh and sudo do not).
TEST_F(ProgramTest, SecondInstanceEndsAtOnceWhileTheFirstRuns) {
    unsetenv("XDG_RUNTIME_DIR");
    const std::string program = NIMBRAPLUS_PROGRAM;
    const std::string dataDir = m_data.string();
    const char* argv[] = {program.c_str(), "--headless",    "--emulator",
                          "--data-dir",    dataDir.c_str(), nullptr};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t first = 0;
    ASSERT_EQ(posix_spawn(&first, program.c_str(), &actions, nullptr,
                          const_cast<char* const*>(argv), environ),
              0);
    posix_spawn_file_actions_destroy(&actions);
    // The first instance holds the lock once its database exists.
    for (int i = 0; i < 100 && storedRecords() <= 0; ++i) {
        std::this_thread::sleep_for(100ms);
    }
    ASSERT_GT(storedRecords(), 0);

    const auto [output, code] =
        run("--headless --once --emulator --data-dir " + (m_data / "other").string());
    EXPECT_EQ(code, 0);
    EXPECT_EQ(output, "") << "the second instance ends silently";
    EXPECT_EQ(::waitpid(first, nullptr, WNOHANG), 0) << "the first keeps running";

    ::kill(first, SIGTERM);
    int status = 0;
    ::waitpid(first, &status, 0);
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "SIGTERM is a clean stop";
}

TEST_F(ProgramTest, DumpStationPrintsWhatTheEmulatorHolds) {
    const auto [output, code] =
        run("--dump-station --emulator --emulator-records 300 --data-dir " + m_data.string());
    EXPECT_EQ(code, 0);
    EXPECT_EQ(output.front(), '{');
    EXPECT_NE(output.find("\"DataCount\":301"), std::string::npos) << output;
    EXPECT_NE(output.find("\"Interval\":5,"), std::string::npos);
    EXPECT_NE(output.find("\"MaxTime\":[\""), std::string::npos);

    const auto [nothing, failed] = run("--dump-station --data-dir " + m_data.string() + " 2>&1");
    EXPECT_EQ(failed, 1);
    EXPECT_NE(nothing.find("no station"), std::string::npos);
}

TEST_F(ProgramTest, ScreenshotOfTheMainWindowAfterTheFirstDownload) {
    const fs::path picture = m_data / "main.png";
    fs::create_directories(m_data);
    const auto [output, code] = run("--emulator --language Deutsch --show main --screenshot " +
                                    picture.string() + " --data-dir " + m_data.string());
    EXPECT_EQ(code, 0) << output;
    ASSERT_TRUE(fs::exists(picture));
    EXPECT_GT(fs::file_size(picture), 10000u);
}

// A Main.ini damaged by hand or by a disk: the logger starts with the defaults of what it
// cannot read, and leaves the file as it was.
TEST_F(ProgramTest, DamagedConfigurationStartsWithDefaultsAndIsLeftAsItWas) {
    // Binary garbage, NUL bytes and a 1 MB line in one file; then a folder in its place.
    std::string damaged;
    for (int i = 0; i < 1024; ++i) {
        damaged += static_cast<char>((i * 37 + 11) % 256);
    }
    damaged += std::string("\n[Up]\0\nType=\0\n[Custom]\n", 23) +
               "Server=" + std::string(1 << 20, 'x') + "\nAutosend=1\n";
    const fs::perms kFolderMode = fs::perms::owner_all | fs::perms::group_read |
                                  fs::perms::group_exec | fs::perms::others_read |
                                  fs::perms::others_exec;
    for (const std::string& content : {damaged, std::string()}) {
        fs::remove_all(m_data);
        fs::create_directories(m_data);
        const fs::path config = m_data / "Main.ini";
        if (content.empty()) {
            fs::create_directories(config / "not a file");
            fs::permissions(config, kFolderMode);
        } else {
            std::ofstream(config, std::ios::binary) << content;
        }
        const auto [output, code] = run(kLogOnce + " --data-dir " + m_data.string() + " 2>&1");
        EXPECT_EQ(code, 0) << output;
        EXPECT_NE(output.find("Complete"), std::string::npos) << output;
        EXPECT_EQ(storedRecords(), 20);
        if (content.empty()) {
            EXPECT_TRUE(fs::is_directory(config / "not a file"));
            EXPECT_EQ(fs::status(config).permissions(), kFolderMode)
                << "a folder in its place keeps its mode";
        } else {
            EXPECT_EQ(contents(config), content);
        }
    }
}

// The database file is something the program cannot use: it says so, names the file, ends
// with a failure and leaves the file exactly as it was.
TEST_F(ProgramTest, UnusableDatabaseIsReportedAndLeftAsItWas) {
    std::string random;
    for (int i = 0; i < 8192; ++i) {
        random += static_cast<char>((i * 193 + i / 7) % 256);
    }
    const fs::path database = m_data / "Nimbra7420.db";
    enum class Protect { nothing, file, folder };
    const struct {
        const char* what;
        std::string bytes;  // empty: a real database
        Protect protect;
    } cases[] = {
        {"random bytes", random, Protect::nothing},
        {"a text file", "Time,OutTemp\n2024-03-05 09:07:00,-7.9\n", Protect::nothing},
        {"a database file that may not be written", {}, Protect::file},
        {"a database in a folder that may not be written", {}, Protect::folder},
    };
    const fs::perms readOnly =
        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    for (const auto& c : cases) {
        fs::remove_all(m_data);
        fs::create_directories(m_data);
        if (c.bytes.empty()) {
            CWeatherDb db;
            ASSERT_EQ(db.Connect(database), 0);
            ASSERT_EQ(db.InsertRecord(HistoryRecord{}), 0);
        } else {
            std::ofstream(database, std::ios::binary) << c.bytes;
        }
        std::ofstream(m_data / "QX7420.lock");  // a folder that may not be written holds it
        const std::string before = contents(database);
        std::string asUser;
        if (c.protect != Protect::nothing) {
            testing::giveToOrdinaryUser(m_data);
            if (c.protect == Protect::file) {
                fs::permissions(database, readOnly);
            } else {
                fs::permissions(m_data, readOnly | fs::perms::owner_exec);
            }
            if (::geteuid() == 0) {
                asUser = "setpriv --reuid=" + std::to_string(testing::kOrdinaryUser) +
                         " --regid=" + std::to_string(testing::kOrdinaryUser) + " --clear-groups ";
            }
        }
        const auto [output, code] = run(asUser + NIMBRAPLUS_PROGRAM + " " + kLogOnce +
                                            " --data-dir " + m_data.string() + " 2>&1",
                                        true);
        fs::permissions(m_data, fs::perms::owner_all);
        EXPECT_EQ(code, 1) << c.what << ": " << output;
        EXPECT_NE(output.find("Cannot open the database! " + database.string()), std::string::npos)
            << c.what << ": " << output;
        EXPECT_EQ(contents(database), before) << c.what;
    }
}

// A disk that fills up during the download: the batch is refused, --once ends with a
// failure and says why, and the database holds exactly what it held before.
TEST_F(ProgramTest, AFullDiskEndsTheRunWithAFailureAndChangesNothing) {
    fs::create_directories(m_data);
    const fs::path database = m_data / "Nimbra7420.db";
    {
        CWeatherDb db;
        ASSERT_EQ(db.Connect(database), 0);
        for (int i = 0; i < 5; ++i) {
            HistoryRecord record;
            record.Time = 45000.0 + i;
            ASSERT_EQ(db.InsertRecord(record), 0);
        }
    }
    const std::string before = contents(database);
    // Files may not grow beyond the limit; an ignored SIGXFSZ stays ignored in the
    // program, whose writes then fail with EFBIG as they would with ENOSPC.
    const struct {
        const char* limit;
        const char* reason;
    } cases[] = {
        {"200000", "database: "},  // room for the temporary file, not for the batch
        {"50000", "database: Cannot write the temporary file of the download."},
    };
    const auto previous = ::signal(SIGXFSZ, SIG_IGN);
    for (const auto& c : cases) {
        const auto [output, code] =
            run(std::string("prlimit --fsize=") + c.limit + " " + NIMBRAPLUS_PROGRAM +
                    " --headless --once --emulator --emulator-records 1500 --language English"
                    " --data-dir " +
                    m_data.string() + " 2>&1",
                true);
        EXPECT_EQ(code, 1) << output;
        EXPECT_NE(output.find(c.reason), std::string::npos) << output;
        EXPECT_NE(output.find("the records could not be stored in " + database.string()),
                  std::string::npos)
            << output;
        EXPECT_EQ(contents(database), before);
        EXPECT_EQ(storedRecords(), 5);
    }
    ::signal(SIGXFSZ, previous);
}

// A lock file that cannot be made, or is not the user's, is no other instance running:
// it is reported. A data folder that cannot be made is reported too.
TEST_F(ProgramTest, ALockOrDataFolderThatCannotBeMadeIsReported) {
    fs::create_directories(m_data);
    std::ofstream(m_data / "plain-file") << "x";
    const fs::path nowhere = m_data / "plain-file" / "data";
    setenv("NIMBRA_LOCK_DIR", nowhere.c_str(), 1);
    const auto [lockOutput, lockCode] = run(kLogOnce + " --data-dir " + m_data.string() + " 2>&1");
    EXPECT_EQ(lockCode, 1) << lockOutput;
    EXPECT_NE(lockOutput.find("cannot create the lock file " + (nowhere / "QX7420.lock").string()),
              std::string::npos)
        << lockOutput;
    if (::geteuid() == 0) {
        // A lock file of another user's in a shared folder is not taken over.
        const fs::path shared = m_data / "shared";
        fs::create_directories(shared);
        std::ofstream(shared / "QX7420.lock");
        testing::giveToOrdinaryUser(shared);
        setenv("NIMBRA_LOCK_DIR", shared.c_str(), 1);
        const auto [foreign, foreignCode] =
            run(kLogOnce + " --data-dir " + m_data.string() + " 2>&1");
        EXPECT_EQ(foreignCode, 1) << foreign;
        EXPECT_NE(foreign.find("Operation not permitted"), std::string::npos) << foreign;
    }
    setenv("NIMBRA_LOCK_DIR", m_data.c_str(), 1);
    const auto [output, code] = run(kLogOnce + " --data-dir " + nowhere.string() + " 2>&1");
    EXPECT_EQ(code, 1) << output;
    EXPECT_NE(output.find((nowhere / "Nimbra7420.db").string()), std::string::npos) << output;
}

TEST_F(ProgramTest, BadArgumentsAreRefusedWithAHint) {
    const auto [output, code] = run("--frobnicate 2>&1");
    EXPECT_EQ(code, 2);
    EXPECT_NE(output.find("unknown option: --frobnicate"), std::string::npos);
    EXPECT_EQ(run("--version").first, "NimbraPlus 2.9\n");
}

}  // namespace
}  // namespace nimbra
