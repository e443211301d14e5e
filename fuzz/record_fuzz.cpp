// Any 20 bytes the station hands back as a history record decode to values in range,
// and the rain rule never overflows whatever the counters say.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "station/memory_map.h"
#include "station/record_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace nimbra;
    if (size < memory_map::kMaxRecordSize + 2 * sizeof(std::int32_t)) {
        return 0;
    }
    float offset = 0;
    std::memcpy(&offset, data + memory_map::kMaxRecordSize, sizeof offset);
    const DecodedRecord decoded =
        decodeHistoryRecord(RecordBytes(data, memory_map::kMaxRecordSize), offset);
    std::int32_t counter = 0;
    std::memcpy(&counter, data + memory_map::kMaxRecordSize + sizeof offset, sizeof counter);
    takeRecordRain(decoded.record.Rcount, counter, 0.3f);
    return 0;
}
