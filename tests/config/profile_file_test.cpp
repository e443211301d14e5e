#include "config/profile_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "tests/support/ordinary_user.h"
#include "tests/support/temp_folder.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

class ProfileFileTest : public ::testing::Test {
protected:
    fs::path file(const std::string& content) {
        const auto path = m_dir / "Main.ini";
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    static std::string contents(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    testing::TempFolder m_temp{"profile-test"};
    const fs::path m_dir = m_temp.path();
};

TEST_F(ProfileFileTest, ReadsMatchNamesCaseInsensitivelyAndKeepValuesVerbatim) {
    const ProfileFile profile(
        file("; comment=ignored\r\n"
             "[Up]\r\n"
             "Type=1 \r\n"
             "[ Upload ]\n"
             "  Password =a=b c \n"
             "stationid=ABC\n"
             "[Other]\n"
             "StationID=XYZ\n"));
    EXPECT_EQ(profile.readString("Up", "Type"), "1 ");  // trailing space kept: compared exactly
    EXPECT_EQ(profile.readString("up", "TYPE"), "1 ");
    EXPECT_EQ(profile.readString("Upload", "Password"), "a=b c ");
    EXPECT_EQ(profile.readString("Upload", "StationID"), "ABC");
    EXPECT_EQ(profile.readString("Other", "StationID"), "XYZ");
    EXPECT_EQ(profile.readString("Upload", "Missing"), "");
    EXPECT_EQ(profile.readString("Missing", "Type"), "");
    EXPECT_EQ(ProfileFile(m_dir / "absent.ini").readString("Up", "Type"), "");
}

TEST_F(ProfileFileTest, LongValuesAreCutToWholeCharacters) {
    std::string value(258, 'a');
    value += "\xC3\xA9\xC3\xA9";  // two two-byte characters straddle the limit
    const ProfileFile profile(file("[S]\nK=" + value + "\n"));
    EXPECT_EQ(profile.readString("S", "K"), std::string(258, 'a') + "\xC3\xA9");
}

TEST_F(ProfileFileTest, WritesReplaceOneKeyAndLeaveTheRestAlone) {
    const auto path = file(
        "; kept\n"
        "[Language]\n"
        "Language=English\n"
        "\n"
        "[Upload]\n"
        "Server=old.example\n"
        "ReadOnly=x\n"
        "\n");
    ProfileFile profile(path);
    ASSERT_TRUE(profile.writeString("language", "LANGUAGE", "Deutsch"));
    // Several keys at once, a new section among them.
    ASSERT_TRUE(
        profile.writeStrings({{"Upload", "Password", "p = w"}, {"weathercloud", "Autosend", "1"}}));
    EXPECT_EQ(contents(path),
              "; kept\n"
              "[Language]\n"
              "LANGUAGE=Deutsch\n"
              "\n"
              "[Upload]\n"
              "Server=old.example\n"
              "ReadOnly=x\n"
              "Password=p = w\n"
              "\n"
              "[weathercloud]\n"
              "Autosend=1\n");
    EXPECT_EQ(profile.readString("Upload", "Password"), "p = w");
}

TEST_F(ProfileFileTest, WritingCreatesTheFileAndKeepsValuesOnOneLine) {
    const mode_t umask = ::umask(0);  // even a permissive umask leaves passwords private
    ProfileFile profile(m_dir / "new.ini");
    const bool written = profile.writeString("Custom", "StationID", "two\nlines");
    ::umask(umask);
    ASSERT_TRUE(written);
    EXPECT_EQ(profile.readString("Custom", "StationID"), "two lines");
    EXPECT_EQ(profile.readString("Custom", "lines"), "");
    EXPECT_EQ(fs::status(m_dir / "new.ini").permissions(),
              fs::perms::owner_read | fs::perms::owner_write);
    // The temporary file of the replacement is gone.
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);
}

// Whatever a hand edit or a damaged disk left in the file, reads find what is there (or
// nothing, so the caller's default applies) and a write keeps every other line.
TEST_F(ProfileFileTest, DamagedContentReadsAsMissingAndSurvivesAWrite) {
    std::string bytes;
    for (int i = 0; i < 256; ++i) {
        bytes += static_cast<char>(i);
    }
    const std::string megabyte(1 << 20, 'x');
    const struct {
        const char* what;
        std::string content;
        std::string type;  // what [Up] Type reads as
    } cases[] = {
        {"binary", bytes + bytes, ""},
        {"NUL bytes", "\0\0=\0\n[Up]\nType=1\0 2\n[\0]\n"s, "1\0 2"s},
        {"a 1 MB line", "[Up]\n" + megabyte + "=1\nType=" + megabyte + "\n",
         std::string(ProfileFile::kMaxValueLength, 'x')},
        {"no sections", "Type=1\nServer=a\n", ""},
        {"unclosed header", "[Up\nType=1\n", ""},
    };
    for (const auto& c : cases) {
        const auto path = file(c.content);
        ProfileFile profile(path);
        EXPECT_EQ(profile.readString("Up", "Type"), c.type) << c.what;
        EXPECT_EQ(profile.readString("Custom", "Server"), "") << c.what;
        ASSERT_TRUE(profile.writeString("Custom", "Server", "x")) << c.what;
        const std::string ending = c.content.ends_with('\n') ? "" : "\n";
        EXPECT_EQ(contents(path), c.content + ending + "[Custom]\nServer=x\n") << c.what;
        EXPECT_EQ(profile.readString("Custom", "Server"), "x") << c.what;
    }
}

// A write never replaces a file it could not read: the user's other lines would be lost.
TEST_F(ProfileFileTest, AFileThatCannotBeReadIsLeftAlone) {
    const auto folder = m_dir / "Main.ini";
    fs::create_directories(folder / "inside");
    ProfileFile asFolder(folder);
    EXPECT_EQ(asFolder.readString("Language", "Language"), "");
    EXPECT_FALSE(asFolder.writeString("Language", "Language", "English"));
    EXPECT_TRUE(fs::is_directory(folder / "inside"));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1)
        << "no temporary file is left behind";
    fs::remove_all(folder);

    const std::string content = "[Language]\nLanguage=Deutsch\n[Upload]\nPassword=secret\n";
    const auto path = file(content);
    fs::permissions(path, fs::perms::owner_write);
    testing::giveToOrdinaryUser(m_dir);
    const int outcome = testing::runAsOrdinaryUser([&path] {
        ProfileFile profile(path);
        const bool readNothing = profile.readString("Upload", "Password").empty();
        const bool refused = !profile.writeString("Language", "Language", "English");
        return (readNothing ? 0 : 1) | (refused ? 0 : 2);
    });
    EXPECT_EQ(outcome, 0) << "1: it read, 2: it wrote";
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(contents(path), content);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);
}

TEST_F(ProfileFileTest, ReadOnlyFileIsMadeWritable) {
    const auto path = file("[S]\nK=1\n");
    fs::permissions(path, fs::perms::owner_read | fs::perms::group_read);
    ProfileFile profile(path);
    ASSERT_TRUE(profile.makeWritable());
    EXPECT_TRUE((fs::status(path).permissions() & fs::perms::owner_write) != fs::perms::none);
    ASSERT_TRUE(profile.writeString("S", "K", "2"));
    EXPECT_EQ(profile.readString("S", "K"), "2");
    // Rewritten for its owner only: it holds passwords.
    EXPECT_EQ(fs::status(path).permissions(), fs::perms::owner_read | fs::perms::owner_write);
}

TEST_F(ProfileFileTest, ConcurrentWritersLoseNoKey) {
    const auto path = m_dir / "shared.ini";
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([&path, t] {
            ProfileFile profile(path);
            for (int k = 0; k < 25; ++k) {
                profile.writeString("S" + std::to_string(t), "K" + std::to_string(k), "v");
            }
        });
    }
    for (auto& writer : writers) {
        writer.join();
    }
    const ProfileFile profile(path);
    for (int t = 0; t < 4; ++t) {
        for (int k = 0; k < 25; ++k) {
            EXPECT_EQ(profile.readString("S" + std::to_string(t), "K" + std::to_string(k)), "v");
        }
    }
}

}  // namespace
}  // namespace nimbra
