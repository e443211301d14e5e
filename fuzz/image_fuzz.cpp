// Any 96 bytes read as a record image write back as the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/history_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using nimbra::HistoryRecord;
    if (size < HistoryRecord::kImageSize) {
        return 0;
    }
    const HistoryRecord record = HistoryRecord::fromImage(data);
    const HistoryRecord::Image image = record.toImage();
    if (std::memcmp(image.data(), data, image.size()) != 0) {
        std::abort();  // the image is not exact
    }
    return 0;
}
