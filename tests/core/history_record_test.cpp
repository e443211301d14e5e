#include "core/history_record.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/byte_order.h"
#include "tests/support/sample_records.h"

namespace nimbra {
namespace {

// A value in every field of the image, the live-only yearly rain too.
HistoryRecord distinctRecord() {
    HistoryRecord r = testing::sampleRecord(45000.123456789);
    r.RainYear = 345.6f;
    return r;
}

TEST(HistoryRecordImage, RoundTripKeepsEveryField) {
    const HistoryRecord r = distinctRecord();
    EXPECT_EQ(HistoryRecord::fromImage(r.toImage()), r);
}

TEST(HistoryRecordImage, EveryFieldSitsAtItsOffset) {
    const HistoryRecord r = distinctRecord();
    const auto image = r.toImage();
    EXPECT_EQ(loadLeF64(&image[0]), r.Time);
    struct Field {
        std::size_t offset;
        std::uint32_t bits;
    };
    const auto f = [](float v) { return std::bit_cast<std::uint32_t>(v); };
    const auto i = [](std::int32_t v) { return static_cast<std::uint32_t>(v); };
    const Field fields[] = {
        {8, i(r.Interval)},     {12, f(r.InTemp)},
        {16, i(r.InHumi)},      {20, f(r.OutTemp)},
        {24, i(r.OutHumi)},     {28, f(r.RelPressure)},
        {32, f(r.AbsPressure)}, {36, f(r.Wind)},
        {40, f(r.Gust)},        {44, i(r.WindDirection)},
        {48, f(r.DewPoint)},    {52, f(r.WindChill)},
        {56, f(r.Rain)},        {60, i(r.Rcount)},
        {64, f(r.Rain1)},       {68, f(r.Rain2)},
        {72, f(r.Rain3)},       {76, f(r.Rain4)},
        {80, f(r.Rain5)},       {84, f(r.RainYear)},
        {88, f(r.Light)},       {92, i(r.UV)},
    };
    for (const auto& field : fields) {
        EXPECT_EQ(loadLe32(&image[field.offset]), field.bits) << "offset " << field.offset;
    }
}

TEST(HistoryRecordImage, EachByteChangesOnlyItsOwnField) {
    // A single flipped bit at any offset must change exactly the field that owns it.
    const auto base = distinctRecord().toImage();
    for (std::size_t offset = 0; offset < HistoryRecord::kImageSize; ++offset) {
        auto image = base;
        image[offset] ^= 0x01;
        const auto back = HistoryRecord::fromImage(image).toImage();
        EXPECT_EQ(back, image) << "offset " << offset;
    }
}

TEST(HistoryRecordImage, ReadsAnUnalignedImageWrittenLittleEndian) {
    std::uint8_t buffer[HistoryRecord::kImageSize + 1] = {};
    std::uint8_t* image = buffer + 1;
    image[8] = 0x3C;  // Interval 60, written by hand in little-endian order
    image[92] = 0x07;
    const HistoryRecord r = HistoryRecord::fromImage(image);
    EXPECT_EQ(r.Interval, 60);
    EXPECT_EQ(r.UV, 7);
}

}  // namespace
}  // namespace nimbra
