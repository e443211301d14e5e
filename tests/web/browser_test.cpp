
#include "tests/web/web_fixture.h"

namespace nimbra::testing {
namespace {

// Debian's chromium, headless, loads the page, lets it run its fetches (virtual time
// waits for them), and prints the resulting document; its console goes to stderr, where
// a script error shows as a CONSOLE line.
TEST_F(WebServerTest, ChromiumShowsTheReadingsAndDrawsTheChartsWithoutScriptErrors) {
    if (!std::filesystem::exists("/usr/bin/chromium")) {
        GTEST_SKIP() << "chromium is not installed (scripts/install-deps.sh installs it)";
    }
    CStationData live;
    const double now = OleDate::currentTime().value();
    live.m_Current = sampleRecord(now);
    std::vector<HistoryRecord> records;
    for (int i = 0; i < 288; ++i) {
        HistoryRecord r = sampleRecord(now - 1.0 + i / 288.0);
        r.OutTemp = static_cast<float>(i % 50) / 5.0f;
        records.push_back(r);
    }
    serve(records, live);

    const std::filesystem::path profile = m_folder.path() / "profile";
    std::filesystem::create_directory(profile);
    const std::filesystem::path errors = m_folder.path() / "stderr.txt";
    const std::string command =
        "timeout 60 /usr/bin/chromium --headless --no-sandbox --disable-gpu --disable-quic "
        "--no-first-run --disable-background-networking --disable-component-update "
        "--disable-sync --user-data-dir=" +
        profile.string() +
        " --enable-logging=stderr --v=0 --virtual-time-budget=10000 --dump-dom "
        "http://127.0.0.1:" +
        std::to_string(m_server->port()) + "/ 2>" + errors.string();
    const std::string dom = commandOutput(command);
    const std::string console = readFile(errors);

    EXPECT_NE(dom.find("id=\"cur-OutTemp\">-7.9 \u00B0C<"), std::string::npos) << dom;
    EXPECT_NE(dom.find("id=\"status\">Last update: "), std::string::npos);
    // dygraphs draws each chart on canvases inside the chart's box.
    // A plain search: std::regex recurses per character and overflows the stack on a page.
    const auto plot = dom.find("class=\"plot\"");
    ASSERT_NE(plot, std::string::npos);
    EXPECT_NE(dom.find("<canvas", plot), std::string::npos);
    EXPECT_EQ(console.find("CONSOLE"), std::string::npos) << console;
}

}  // namespace
}  // namespace nimbra::testing
