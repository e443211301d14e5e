// Under a German locale the main view, Max/Min and the station dialogs print numbers
// with the same point.

#include "desktop/number_locale.h"

#include <gtest/gtest.h>
#include <langinfo.h>
#include <stdlib.h>
#include <unistd.h>

#include <QApplication>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <string>

#include "core/units.h"
#include "report/live_texts.h"
#include "views/dialog_numbers.h"
#include "views/max_min_dialog.h"

namespace nimbra {
namespace {

namespace fs = std::filesystem;

// de_DE.UTF-8 compiled into a folder of the test's own, as no root is needed for that;
// empty when the locale sources (package locales) are missing.
fs::path germanLocaleFolder() {
    const fs::path folder = fs::temp_directory_path() / ("locale-" + std::to_string(::getpid()));
    fs::create_directories(folder);
    const std::string command =
        "localedef -i de_DE -f UTF-8 " + (folder / "de_DE.UTF-8").string() + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0 ? folder : fs::path();
}

TEST(NumberLocale, EveryWindowPrintsThePointUnderAGermanLocale) {
    static int argc = 1;
    static char name[] = "desktop_tests";
    static char* argv[] = {name, nullptr};
    if (QApplication::instance() == nullptr) {
        new QApplication(argc, argv);  // outlives every test
    }
    const fs::path folder = germanLocaleFolder();
    if (folder.empty()) {
        GTEST_SKIP() << "cannot compile de_DE.UTF-8: localedef or the locales package missing";
    }
    ::setenv("LOCPATH", folder.c_str(), 1);
    // What QApplication does with LANG=de_DE.UTF-8.
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    char german[16];
    std::snprintf(german, sizeof german, "%0.1f", 1013.8);
    ASSERT_STREQ(german, "1013,8") << "the locale is in force";

    keepNumbersInThePointForm();
    CStationData data;
    data.m_Max.RelPressure = 1013.8f;
    const CMaxMin dialog(data, [](int) { return QString(); });
    EXPECT_EQ(PressureText(1013.8f, kHectopascal), "1013.8 hpa");  // the main view
    EXPECT_EQ(dialog.fieldText(1153), "1013.8 hpa");
    EXPECT_EQ(decimalText(1040.0f, 1), "1040.0");  // the Settings and Alarm fields
    EXPECT_STREQ(nl_langinfo(D_FMT), "%d.%m.%Y") << "dates keep the user's form";

    std::setlocale(LC_ALL, "C");
    ::unsetenv("LOCPATH");
    fs::remove_all(folder);
}

}  // namespace
}  // namespace nimbra
