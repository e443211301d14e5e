// Block reads through the station link's exports against the emulator in this process:
// how many per second, and how long the whole history ring takes. The emulator adds no
// delay of its own, so the figures are the cost of the link code and the socket.

#include <stdlib.h>

#include <array>
#include <chrono>
#include <cstdio>

#include "emulator/ram_memory.h"
#include "emulator/report_server.h"
#include "station_link/hidlink.h"

namespace {

using Clock = std::chrono::steady_clock;

// The history ring: 3264 records of 20 bytes from address 256 to the top of memory.
// 2176 block reads, one every 30 bytes, cover all of its 65280 bytes.
constexpr int kRingStart = 0x0100;
constexpr int kRingBlocks = 2176;
constexpr int kRingRecordSize = 20;
constexpr int kRingRecords = 3264;

double seconds(Clock::duration duration) {
    return std::chrono::duration<double>(duration).count();
}

bool readRing() {
    std::array<unsigned char, 32> block{};
    for (int i = 0; i < kRingBlocks; ++i) {
        const int offset = (i * 30) % (kRingRecords * kRingRecordSize);
        if (ReadData(kRingStart + offset, block.data()) != 1) {
            return false;
        }
    }
    return true;
}

}  // namespace

int main() {
    nimbra::emulator::RamMemory memory;
    const auto server = nimbra::emulator::ReportServer::inTemporaryFolder(memory);
    ::setenv("NIMBRA_STATION_SOCKET", server->socketPath().c_str(), 1);
    if (CheckHandle() != 1) {
        std::fprintf(stderr, "link_bench: the emulator is not reachable\n");
        return 1;
    }

    constexpr int kReads = 20000;
    std::array<unsigned char, 32> block{};
    const auto readsStart = Clock::now();
    for (int i = 0; i < kReads; ++i) {
        if (ReadData((i * 32) & 0xFFFF, block.data()) != 1) {
            std::fprintf(stderr, "link_bench: read %d failed\n", i);
            return 1;
        }
    }
    const double readSeconds = seconds(Clock::now() - readsStart);
    std::printf("block reads:          %d in %.3f s = %.0f reads/s (%.1f us each)\n", kReads,
                readSeconds, kReads / readSeconds, 1e6 * readSeconds / kReads);

    constexpr int kRingPasses = 5;
    double best = 1e9;
    for (int pass = 0; pass < kRingPasses; ++pass) {
        const auto ringStart = Clock::now();
        if (!readRing()) {
            std::fprintf(stderr, "link_bench: ring read failed\n");
            return 1;
        }
        const double ring = seconds(Clock::now() - ringStart);
        best = ring < best ? ring : best;
    }
    std::printf("whole ring (%d blocks): %.1f ms (best of %d; target under 1000 ms)\n", kRingBlocks,
                best * 1e3, kRingPasses);

    const auto verifiedStart = Clock::now();
    for (int i = 0; i < kRingBlocks; ++i) {
        if (V_ReadData(kRingStart + (i * 30) % (kRingRecords * kRingRecordSize), block.data(), 0) !=
            0) {
            std::fprintf(stderr, "link_bench: verified ring read failed\n");
            return 1;
        }
    }
    std::printf("whole ring, verified: %.1f ms\n", seconds(Clock::now() - verifiedStart) * 1e3);
    return 0;
}
