#include "emulator/saved_station.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string_view>

namespace nimbra::emulator {

namespace {

namespace map = memory_map;

constexpr int kLongestInterval = 240;

std::string clockPath(const std::string& path) {
    return path + ".clock";
}

std::int64_t unixSeconds(std::chrono::system_clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count();
}

CivilTime minutesLater(const CivilTime& t, std::int64_t minutes) {
    const double day = OleDate::fromCivil(t).value() + static_cast<double>(minutes) / 1440.0;
    CivilTime later = OleDate(day).toCivil().value_or(t);
    // The console counts whole minutes; rounding in the date may land a second off.
    if (later.second >= 30) {
        later = OleDate(day + 30.0 / 86400.0).toCivil().value_or(later);
    }
    later.second = 0;
    return later;
}

struct SavedClock {
    CivilTime stationTime;
    std::int64_t savedAt = 0;
    std::string rainTotals;
};

bool readClock(const std::string& path, SavedClock& out) {
    std::ifstream in(clockPath(path));
    std::string line;
    bool haveTime = false;
    bool haveSaved = false;
    while (std::getline(in, line)) {
        CivilTime t{};
        long long saved = 0;
        if (std::sscanf(line.c_str(), "StationTime=%d-%d-%d %d:%d", &t.year, &t.month, &t.day,
                        &t.hour, &t.minute) == 5) {
            t.second = 0;
            haveTime = OleDate::fromCivil(t).isValid();
            out.stationTime = t;
        } else if (std::sscanf(line.c_str(), "SavedAt=%lld", &saved) == 1) {
            out.savedAt = saved;
            haveSaved = true;
        } else if (line.starts_with("RainTotals=")) {
            out.rainTotals = line.substr(std::string_view("RainTotals=").size());
        }
    }
    return haveTime && haveSaved;
}

}  // namespace

ImageStatus saveStation(StationModel& model, const std::string& path,
                        std::chrono::system_clock::time_point now) {
    // The clock first: an image without its clock is no saved station, and the image
    // written last keeps the pair consistent when only the second write fails.
    const CivilTime t = model.stationTime();
    const auto memory = model.image();
    const RainTotals rain = model.rainTotals();
    char text[96];
    std::snprintf(text, sizeof text, "StationTime=%04d-%02d-%02d %02d:%02d\nSavedAt=%lld\n", t.year,
                  t.month, t.day, t.hour, t.minute, static_cast<long long>(unixSeconds(now)));
    const std::string clock = clockPath(path);
    const std::string partial = clock + ".partial";
    {
        std::ofstream out(partial, std::ios::trunc);
        out << text << "RainTotals=" << rain.text() << '\n';
        out.close();
        if (!out) {
            return ImageStatus::failure("cannot write " + partial);
        }
    }
    std::error_code error;
    std::filesystem::rename(partial, clock, error);
    if (error) {
        return ImageStatus::failure("cannot replace " + clock + ": " + error.message());
    }
    return writeImageFile(path, memory);
}

bool savedStationExists(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error) &&
           std::filesystem::is_regular_file(clockPath(path), error);
}

std::unique_ptr<StationModel> restoreStation(const std::string& path, StationModelOptions options,
                                             std::chrono::system_clock::time_point now,
                                             ImageStatus& status) {
    SavedClock clock;
    if (!readClock(path, clock)) {
        status = ImageStatus::failure(clockPath(path) + " does not hold the station's clock");
        return nullptr;
    }
    std::array<std::uint8_t, map::kMemorySize> image;
    if (status = readImageFile(path, image); !status) {
        return nullptr;
    }
    const double speed = std::max(0.0, options.speed);
    const std::int64_t gap = std::max<std::int64_t>(
        0, std::llround(static_cast<double>(unixSeconds(now) - clock.savedAt) / 60.0 * speed));
    // Beyond one full ring every record of the gap is overwritten again, so only the last
    // ring's worth is stepped (the longer ring's, whichever kind the image holds); the
    // clock still moves on by the whole gap.
    const int interval = std::clamp<int>(image[map::fixed::kInterval], 1, kLongestInterval);
    const std::int64_t stepped =
        std::min<std::int64_t>(gap, static_cast<std::int64_t>(map::kRing16.records) * interval);

    options.records = 0;
    options.wrapped = false;
    options.startTime = minutesLater(clock.stationTime, gap - stepped);
    auto model = std::make_unique<StationModel>(options);
    if (status = model->loadImage(path); !status) {
        return nullptr;
    }
    // The sums since midnight, the week's and the month's start go on from where they
    // were (a file without them starts them afresh).
    if (RainTotals rain; rain.restore(clock.rainTotals)) {
        model->setRainTotals(rain);
    }
    for (std::int64_t done = 0; done < stepped;) {
        const int chunk = static_cast<int>(std::min<std::int64_t>(stepped - done, 1 << 20));
        model->advanceMinutes(chunk);
        done += chunk;
    }
    return model;
}

}  // namespace nimbra::emulator
