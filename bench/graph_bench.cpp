// Figures for the graph window on a long period: a year of five-minute records (about
// 105,000 points in each of the four temperature series) out of a million stored ones.
// Usage: graph_bench [folder]   (default: a fresh folder under $TMPDIR, removed afterwards)
#include <unistd.h>

#include <QApplication>
#include <QLineSeries>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>

#include "bench/bench_folder.h"
#include "bench/figure.h"
#include "report/graph_plan.h"
#include "store/weather_db.h"
#include "views/graph_chart.h"
#include "views/graph_dialog.h"
#include "views/ole_date_qt.h"

namespace {

using namespace nimbra;
using Clock = std::chrono::steady_clock;

constexpr int kRecords = 1'000'000;
constexpr double kFiveMinutes = 5.0 / 1440.0;
const double kFirstTime = OleDate::fromCivil(2016, 1, 1).value();

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

HistoryRecord generatedRecord(int index) {
    const double time = kFirstTime + index * kFiveMinutes;
    const auto wave = [time](double period) {
        return static_cast<float>(std::sin(2 * std::numbers::pi * time / period));
    };
    HistoryRecord r;
    r.Time = time;
    r.Interval = 5;
    r.InTemp = 21.0f + wave(3.1);
    r.InHumi = 45;
    r.OutTemp = 10.0f + 12.0f * wave(365.25) + 5.0f * wave(1.0);
    r.OutHumi = 70;
    r.RelPressure = 1013.0f + 20.0f * wave(4.3);
    r.AbsPressure = r.RelPressure - 20.0f;
    r.Wind = 4.0f + 3.0f * wave(0.7);
    r.Gust = r.Wind * 1.6f;
    r.DewPoint = r.OutTemp - 4.0f;
    r.WindChill = r.OutTemp - 1.0f;
    r.Light = std::max(0.0f, 50000.0f * wave(1.0));
    return r;
}

class BenchGrapsh : public Grapsh {
public:
    using Grapsh::Grapsh;

protected:
    void showError(const QString& message) override {
        std::fprintf(stderr, "graph_bench: %s\n", message.toLocal8Bit().constData());
    }
};

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);

    const bench::BenchFolder benchFolder(argc, argv, "graph_bench");
    if (!benchFolder.ok()) {
        return 1;
    }
    const std::filesystem::path& folder = benchFolder.path();
    const std::filesystem::path database = folder / "Nimbra7420.db";

    CWeatherDb db;
    if (db.Connect(database) != 0) {
        return 1;
    }
    std::int64_t stored = 0;
    db.CountAll(stored);
    if (stored < kRecords) {
        const auto start = Clock::now();
        Transaction batch(db);
        for (int i = static_cast<int>(stored); i < kRecords; ++i) {
            db.InsertRecord(generatedRecord(i));
        }
        if (batch.commit() != 0) {
            return 1;
        }
        std::printf("stored %d records in %.0f ms\n", kRecords - static_cast<int>(stored),
                    millisecondsSince(start));
    }

    // The last full year of the stored decade.
    const OleDate end = OleDate(kFirstTime + (kRecords - 1) * kFiveMinutes);
    const OleDate start = end.addSeconds(-365.0 * 86400.0);
    BenchGrapsh dialog(CStationData{}, database, [](int id) { return QString::number(id); });
    dialog.setAttribute(Qt::WA_DontShowOnScreen);
    dialog.resize(1200, 700);
    dialog.show();
    QApplication::processEvents();
    dialog.setPeriod(toQDateTime(start), toQDateTime(end));
    dialog.setSelection(kGraphTemperature);

    for (int run = 1; run <= 3; ++run) {
        const auto searchStart = Clock::now();
        dialog.search();
        const double filled = millisecondsSince(searchStart);
        const QImage picture = dialog.grab().toImage();
        const double painted = millisecondsSince(searchStart);
        if (run == 1) {
            nimbra::bench::reportFigure("graph of one year, four series, search to first paint",
                                        "< 1 s", painted / 1000.0, "s", 1.0);
        }
        std::printf(
            "run %d: one year, temperature: %lld + %lld + %lld + %lld points, drawn as %d; "
            "series filled in %.0f ms, first picture (%dx%d) after %.0f ms\n",
            run, static_cast<long long>(dialog.chart().points(0).size()),
            static_cast<long long>(dialog.chart().points(1).size()),
            static_cast<long long>(dialog.chart().points(2).size()),
            static_cast<long long>(dialog.chart().points(3).size()),
            static_cast<int>(dialog.chart().series(0)->count()), filled, picture.width(),
            picture.height(), painted);
    }

    return 0;
}
