// Block reads through the station link's exports against an emulator in this process:
// how many per second, and how long the whole history ring takes. Measured twice: on a
// plain RAM memory, which adds no delay of its own (the cost of the link code and the
// socket alone), and on the station model with a full, wrapped ring, as a user's
// emulator runs.

#include <stdlib.h>

#include <array>
#include <chrono>
#include <cstdio>

#include "bench/figure.h"
#include "emulator/ram_memory.h"
#include "emulator/report_server.h"
#include "emulator/station_model.h"
#include "station/memory_map.h"
#include "station_link/hidlink.h"

namespace {

using Clock = std::chrono::steady_clock;

// The history ring: 3264 records of 20 bytes from address 256 to the top of memory.
// 2176 block reads, one every 30 bytes, cover all of its 65280 bytes.
constexpr int kRingStart = nimbra::memory_map::kRingStart;
constexpr int kRingBytes = nimbra::memory_map::kRingBytes;
constexpr int kRingBlocks = kRingBytes / 30;
constexpr int kReads = 20000;
constexpr int kRingPasses = 5;

double seconds(Clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

int ringAddress(int block) {
    return kRingStart + (block * 30) % kRingBytes;
}

bool measure(const char* title, nimbra::emulator::StationMemory& memory, bool report) {
    const auto server = nimbra::emulator::ReportServer::inTemporaryFolder(memory);
    ::setenv("NIMBRA_STATION_SOCKET", server->socketPath().c_str(), 1);
    if (CheckHandle() != 1) {
        std::fprintf(stderr, "link_bench: the emulator is not reachable\n");
        return false;
    }
    std::printf("%s\n", title);

    std::array<unsigned char, 32> block{};
    const auto readsStart = Clock::now();
    for (int i = 0; i < kReads; ++i) {
        if (ReadData((i * 32) & 0xFFFF, block.data()) != 1) {
            std::fprintf(stderr, "link_bench: read %d failed\n", i);
            return false;
        }
    }
    const double readSeconds = seconds(Clock::now() - readsStart);
    std::printf("  block reads:           %d in %.3f s = %.0f reads/s (%.1f us each)\n", kReads,
                readSeconds, kReads / readSeconds, 1e6 * readSeconds / kReads);
    if (report) {
        nimbra::bench::reportFigure(
            "block reads per second through the link exports, in-process emulator", "> 20,000",
            kReads / readSeconds, "/s", 20000.0, true);
    }

    double best = 1e9;
    for (int pass = 0; pass < kRingPasses; ++pass) {
        const auto ringStart = Clock::now();
        for (int i = 0; i < kRingBlocks; ++i) {
            if (ReadData(ringAddress(i), block.data()) != 1) {
                std::fprintf(stderr, "link_bench: ring read failed\n");
                return false;
            }
        }
        const double ring = seconds(Clock::now() - ringStart);
        best = ring < best ? ring : best;
    }
    std::printf("  whole ring (%d blocks): %.1f ms (best of %d; target under 1000 ms)\n",
                kRingBlocks, best * 1e3, kRingPasses);

    const auto verifiedStart = Clock::now();
    for (int i = 0; i < kRingBlocks; ++i) {
        if (V_ReadData(ringAddress(i), block.data(), 0) != 0) {
            std::fprintf(stderr, "link_bench: verified ring read failed\n");
            return false;
        }
    }
    std::printf("  whole ring, verified:  %.1f ms\n", seconds(Clock::now() - verifiedStart) * 1e3);
    return true;
}

}  // namespace

int main() {
    nimbra::emulator::RamMemory ram;
    if (!measure("RAM memory (the link and the socket alone)", ram, false)) {
        return 1;
    }

    nimbra::emulator::StationModelOptions options;
    options.wrapped = true;
    options.speed = 0.0;  // every pass reads the same memory
    nimbra::emulator::StationModel model(options);
    return measure("station model, full wrapped ring", model, true) ? 0 : 1;
}
