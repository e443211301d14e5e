// Figures for starting the desktop program: from nothing to the first painted frame
// of the main window, with an empty history and with a decade of it, and the CPU the
// whole program uses while the station is connected and idle.
// Usage: startup_bench   (runs offscreen)
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "bench/figure.h"
#include "bench/generated_history.h"
#include "desktop/gui_view_events.h"
#include "desktop/main_frame.h"
#include "station_link/exported_link.h"
#include "views/nimbra_view.h"

extern char** environ;

namespace {

using namespace nimbra;
namespace fs = std::filesystem;

constexpr int kDecade = 1'000'000;

// Notes when the watched widget has painted for the first time.
class FirstPaint : public QObject {
public:
    bool painted = false;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            painted = true;
        }
        return QObject::eventFilter(watched, event);
    }
};

double millisecondsToFirstFrame(const fs::path& dataFolder, const StringTable& strings) {
    QElapsedTimer timer;
    timer.start();
    ProfileFile config(dataFolder / "Main.ini");
    GuiViewEvents events;
    link::ExportedLink stationLink;
    StationSession session(stationLink, dataFolder, events, [] {});
    CMainFrame frame(FrameContext{config, strings, session, false, {}, {}, {}});
    FirstPaint watch;
    frame.view()->installEventFilter(&watch);
    frame.show();
    while (!watch.painted) {
        QApplication::processEvents();
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

double processCpuSeconds(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string skip;
    for (int i = 0; i < 11; ++i) {
        fields >> skip;
    }
    double user = 0;
    double system = 0;
    fields >> user >> system;
    return (user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double residentMegabytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stod(line.substr(6)) / 1024.0;  // kB
        }
    }
    return 0.0;
}

void printRow(const char* figure, const char* target, double value, const char* unit, bool met) {
    std::printf("%-62s %-9s %9.1f %-3s %s\n", figure, target, value, unit, met ? "pass" : "short");
}

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const fs::path root = fs::temp_directory_path() / ("startup-bench-" + std::to_string(getpid()));
    const fs::path program =
        fs::canonical("/proc/self/exe").parent_path().parent_path() / "bin" / "nimbraplus";
    std::string error;
    const auto strings = StringTable::load(
        program.parent_path().parent_path() / "share/nimbraplus/strings/en.txt", error);
    if (!strings) {
        std::fprintf(stderr, "startup_bench: %s\n", error.c_str());
        return 1;
    }
    std::printf("%-62s %-9s %9s\n", "figure", "target", "measured");

    fs::create_directories(root / "empty");
    const double empty = millisecondsToFirstFrame(root / "empty", *strings);
    printRow("window built and first frame painted, empty history", "< 500 ms", empty, "ms",
             empty < 500);

    fs::create_directories(root / "decade");
    {
        CWeatherDb db;
        db.Connect(root / "decade" / "Nimbra7420.db");
        Transaction transaction(db);
        const double first = OleDate::fromCivil(2016, 1, 1).value();
        for (int i = 0; i < kDecade; ++i) {
            db.InsertRecord(bench::generatedRecord(i, first));
        }
        transaction.commit();
    }
    const double decade = millisecondsToFirstFrame(root / "decade", *strings);
    printRow("the same with 1,000,000 records stored", "< 500 ms", decade, "ms", decade < 500);
    bench::reportFigure("start to first painted frame, store of 1,000,000", "< 500 ms", decade,
                        "ms", 500.0);

    // The whole program on its built-in emulator and the decade of history, connected and
    // idle after its download.
    const std::string dataDir = (root / "decade").string();
    const char* arguments[] = {program.c_str(), "--emulator",    "--language", "English",
                               "--data-dir",    dataDir.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, const_cast<char* const*>(arguments),
                    environ) == 0) {
        std::this_thread::sleep_for(std::chrono::seconds(10));  // start and first download
        const double before = processCpuSeconds(pid);
        std::this_thread::sleep_for(std::chrono::seconds(30));
        const double percent = (processCpuSeconds(pid) - before) / 30.0 * 100.0;
        const double megabytes = residentMegabytes(pid);
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        printRow("whole program idle with the station connected, one core", "< 2 %", percent, "%",
                 percent < 2.0);
        bench::reportFigure("CPU while connected and idle, one core", "< 2 %", percent, "%", 2.0);
        printRow("resident memory, idle, store of 1,000,000", "< 120 MB", megabytes, "MB",
                 megabytes < 120.0);
        bench::reportFigure("resident memory, idle, store of 1,000,000", "< 120 MB", megabytes,
                            "MB", 120.0);
    }
    fs::remove_all(root);
    return 0;
}
