#include <gtest/gtest.h>

#include <array>
#include <cstdint>

#include "core/station_encoders.h"

namespace nimbra {
namespace {

using Bytes = std::array<std::uint8_t, 3>;

Bytes encode(void (*encoder)(std::uint8_t*, float), float value) {
    Bytes out{0xEE, 0xEE, 0xEE};
    encoder(out.data(), value);
    return out;
}

TEST(StationEncoders, TenthsLittleEndian) {
    struct Case {
        void (*encoder)(std::uint8_t*, float);
        float value;
        Bytes expected;
    };
    const Case cases[] = {
        {EncodeTenths16, 0.0f, {0x00, 0x00, 0xEE}},
        {EncodeTenths16, 1013.2f, {0x94, 0x27, 0xEE}},  // 10132
        {EncodeTenths16, 0.3f, {0x03, 0x00, 0xEE}},     // 3.0000001 rounded to float, then 3
        {EncodeTenths16, 2.99f, {0x1D, 0x00, 0xEE}},    // truncated, not rounded: 29
        {EncodeSignedTenths16, 25.5f, {0xFF, 0x00, 0xEE}},
        {EncodeSignedTenths16, -25.5f, {0xFF, 0x80, 0xEE}},  // sign in bit 15
        {EncodeSignedTenths16, -0.05f, {0x00, 0x00, 0xEE}},  // -0.5 tenths truncates to 0
        {EncodeSignedTenths16, -40.0f, {0x90, 0x81, 0xEE}},  // 400 = 0x190
        {EncodeSignedTenthsLow, 5.0f, {0x32, 0x00, 0xEE}},
        {EncodeSignedTenthsLow, -5.0f, {0xB2, 0x00, 0xEE}},   // sign in bit 7
        {EncodeSignedTenthsLow, -40.0f, {0x90, 0x01, 0xEE}},  // 400 | 0x80 overlaps bit 7
        {EncodeTenths24, 9999.9f, {0x9F, 0x86, 0x01}},        // 99999
        {EncodeTenths24, 0.3f, {0x03, 0x00, 0x00}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(encode(c.encoder, c.value), c.expected) << c.value;
    }
}

TEST(StationEncoders, RoundingToFloatBeforeTruncation) {
    // 0.7f * 10 = 6.99999988 in double; as a float it is 7.0 -> 7 tenths.
    EXPECT_EQ(encode(EncodeTenths16, 0.7f)[0], 7);
    // The 24-bit encoder truncates the double product directly: 6.99999988 -> 6.
    EXPECT_EQ(encode(EncodeTenths24, 0.7f)[0], 6);
}

TEST(StationEncoders, OutOfRangeValuesDoNotOverflow) {
    EXPECT_EQ(encode(EncodeTenths16, 1e20f), (Bytes{0xFF, 0xFF, 0xEE}));
    EXPECT_EQ(encode(EncodeTenths24, 1e20f), (Bytes{0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(encode(EncodeSignedTenths16, -1e20f)[1] & 0x80, 0x80);
}

}  // namespace
}  // namespace nimbra
