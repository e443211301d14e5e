// Prints how fast the memory map decodes and how fast the station model runs: the
// figures behind a full history download and behind starting an emulator with a full,
// wrapped ring.

#include <chrono>
#include <cstdio>

#include "core/station_data.h"
#include "emulator/station_model.h"
#include "station/fixed_block.h"
#include "station/record_codec.h"

namespace {

using namespace nimbra;
using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

emulator::StationModelOptions wrappedStation(int interval) {
    emulator::StationModelOptions options;
    options.seed = 1;
    options.intervalMinutes = interval;
    options.wrapped = true;
    options.speed = 0.0;
    options.startTime = CivilTime{2024, 6, 1, 12, 0, 0};
    return options;
}

}  // namespace

int main() {
    auto start = Clock::now();
    emulator::StationModel model(wrappedStation(30));
    const double build = secondsSince(start);
    std::printf(
        "model with a wrapped ring, 30-minute records: built in %.3f s (%.0f station "
        "minutes per second)\n",
        build, memory_map::kRing20.records * 30 / build);

    const auto image = model.image();
    CStationData station;
    constexpr int kFixedRounds = 20000;
    start = Clock::now();
    for (int i = 0; i < kFixedRounds; ++i) {
        decodeFixedBlock(FixedBlockBytes(image.data(), memory_map::kFixedBlockSize), station);
    }
    std::printf("fixed block decode: %.2f us\n", secondsSince(start) / kFixedRounds * 1e6);

    constexpr int kRingRounds = 50;
    int valid = 0;
    start = Clock::now();
    for (int round = 0; round < kRingRounds; ++round) {
        for (std::int32_t i = 0; i < memory_map::kRing20.records; ++i) {
            const std::uint8_t* bytes = image.data() + memory_map::kRing20.recordAddress(i);
            decodeHistoryRecord(recordBytesOf(bytes, StationKind::records20), station);
            valid += station.m_RecordValid;
        }
    }
    const double ring = secondsSince(start) / kRingRounds;
    std::printf("whole ring of %d records decoded in %.2f ms (%d valid)\n",
                memory_map::kRing20.records, ring * 1e3, valid / kRingRounds);
    return 0;
}
