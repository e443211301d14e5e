#include "station/field_codec.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>

#include "core/absent.h"
#include "core/ole_date.h"

namespace nimbra {
namespace {

using Bytes2 = std::array<std::uint8_t, 2>;
using Bytes3 = std::array<std::uint8_t, 3>;

Bytes2 bytesOf(std::uint32_t raw) {
    return {static_cast<std::uint8_t>(raw), static_cast<std::uint8_t>(raw >> 8)};
}

std::uint32_t rawOf(const Bytes2& b) {
    return b[0] | (b[1] << 8);
}

// Every two-byte pattern decodes to a value that encodes back to the same pattern, so
// nothing read from the station changes when it is written back.
TEST(FieldCodec, SixteenBitFieldsRoundTripEveryPattern) {
    struct Format {
        const char* name;
        float (*decode)(const std::uint8_t*);
        void (*encode)(std::uint8_t*, float);
    };
    const Format formats[] = {{"S16", decodeS16Tenths, encodeS16Tenths},
                              {"U16", decodeU16Tenths, encodeU16Tenths},
                              {"W16", decodeW16Tenths, encodeW16Tenths}};
    for (const Format& f : formats) {
        int mismatches = 0;
        for (std::uint32_t raw = 0; raw <= 0xFFFF; ++raw) {
            if (f.encode == encodeS16Tenths && raw == 0x8000) {
                continue;  // "minus zero" is written back as plain zero
            }
            const Bytes2 in = bytesOf(raw);
            Bytes2 out{};
            f.encode(out.data(), f.decode(in.data()));
            if (out != in && ++mismatches < 5) {
                ADD_FAILURE() << f.name << " pattern " << raw << " came back as " << rawOf(out);
            }
        }
        EXPECT_EQ(mismatches, 0) << f.name;
    }
}

TEST(FieldCodec, MinusZeroDecodesAsZero) {
    const Bytes2 in = bytesOf(0x8000);
    EXPECT_EQ(decodeS16Tenths(in.data()), 0.0f);
    EXPECT_FALSE(std::signbit(decodeS16Tenths(in.data())));
}

TEST(FieldCodec, TwentyFourBitTenthsRoundTripWhereAFloatCanHoldThem) {
    int mismatches = 0;
    for (std::uint32_t raw = 0; raw < 0xFFFFFF; ++raw) {
        const Bytes3 in = {static_cast<std::uint8_t>(raw), static_cast<std::uint8_t>(raw >> 8),
                           static_cast<std::uint8_t>(raw >> 16)};
        Bytes3 out{};
        encodeU24Tenths(out.data(), decodeU24Tenths(in.data()));
        const std::int64_t back = out[0] | (out[1] << 8) | (out[2] << 16);
        // Above a million lux a float no longer tells neighbouring tenths apart.
        const std::int64_t tolerance = raw < 10'000'000 ? 0 : 1;
        if (raw == 655350) {
            continue;  // 65535.0 lux is the absent marker itself
        }
        if (std::abs(back - static_cast<std::int64_t>(raw)) > tolerance && ++mismatches < 5) {
            ADD_FAILURE() << raw << " came back as " << back;
        }
    }
    EXPECT_EQ(mismatches, 0);
    const Bytes3 absent = {0xFF, 0xFF, 0xFF};
    EXPECT_EQ(decodeU24Tenths(absent.data()), kAbsent);
    Bytes3 out{};
    encodeU24Tenths(out.data(), kAbsent);
    EXPECT_EQ(out, absent);
}

TEST(FieldCodec, WindAndRainWidthsRoundTripEveryValue) {
    for (std::uint16_t raw = 0; raw <= 0xFFF; ++raw) {
        ASSERT_EQ(encodeWind12Tenths(decodeWind12Tenths(raw)), raw);
    }
    for (std::uint32_t raw = 0; raw <= 0xFFFFF; ++raw) {
        Bytes2 low{};
        const std::uint8_t high = encodeRain20Tenths(
            low.data(), decodeRain20Tenths(static_cast<std::uint16_t>(raw), raw >> 16));
        ASSERT_EQ(rawOf(low) | (static_cast<std::uint32_t>(high) << 16), raw);
    }
}

TEST(FieldCodec, ByteFieldsRoundTripTheirValues) {
    for (int byte = 0; byte <= 0xFF; ++byte) {
        const auto b = static_cast<std::uint8_t>(byte);
        EXPECT_EQ(encodeU8(decodeU8(b)), b);
        EXPECT_EQ(encodeBcd(decodeBcd(encodeBcd(byte % 100))), encodeBcd(byte % 100));
    }
    for (std::int32_t v = 0; v <= 15; ++v) {
        EXPECT_EQ(decodeDirection(encodeDirection(v)), v);
        EXPECT_EQ(decodeUvIndex(encodeUvIndex(v)), v);
    }
    for (std::int32_t v = 0; v <= 99; ++v) {
        EXPECT_EQ(decodeBcd(encodeBcd(v)), v);
    }
    EXPECT_EQ(encodeBcd(45), 0x45);
    EXPECT_EQ(encodeBcd(7), 0x07);
}

TEST(FieldCodec, StationPatternsDecodeAsTheConsoleMeansThem) {
    struct Case {
        std::uint32_t raw;
        float s16;
        float u16;
        float w16;
    };
    const Case cases[] = {
        {0x8005, -0.5f, 3277.3f, 3277.3f},   {0xFFFF, kAbsent, kAbsent, 6553.5f},
        {0x7FFF, 3276.7f, 3276.7f, 3276.7f}, {0x0FFF, 409.5f, 409.5f, kAbsent},
        {0x0000, 0.0f, 0.0f, 0.0f},
    };
    for (const Case& c : cases) {
        const Bytes2 b = bytesOf(c.raw);
        EXPECT_FLOAT_EQ(decodeS16Tenths(b.data()), c.s16) << c.raw;
        EXPECT_FLOAT_EQ(decodeU16Tenths(b.data()), c.u16) << c.raw;
        EXPECT_FLOAT_EQ(decodeW16Tenths(b.data()), c.w16) << c.raw;
    }
    EXPECT_EQ(decodeDirection(0x8F), kAbsentInt);
    EXPECT_EQ(decodeDirection(0x0F), 15);
    EXPECT_EQ(decodeUvIndex(0x10), kAbsentInt);
    EXPECT_EQ(decodeUvIndex(0xFF), kAbsentInt);
    EXPECT_EQ(decodeU8(0xFF), kAbsentInt);
}

// A value the field cannot hold must not wrap into a different one: a wrapped
// temperature would change sign, a wrapped negative magnitude would read as absent.
TEST(FieldCodec, OutOfRangeValuesSaturate) {
    struct Case {
        void (*encode)(std::uint8_t*, float);
        float value;
        std::uint32_t raw;
    };
    const Case cases[] = {
        {encodeS16Tenths, 5000.0f, 0x7FFF}, {encodeS16Tenths, -5000.0f, 0xFFFE},
        {encodeS16Tenths, -12.3f, 0x807B},  {encodeU16Tenths, -3.0f, 0x0000},
        {encodeU16Tenths, 9000.0f, 0xFFFE}, {encodeW16Tenths, 409.5f, 0x0FFE},
        {encodeW16Tenths, -1.0f, 0x0000},   {encodeS16Tenths, kAbsent, 0xFFFF},
        {encodeU16Tenths, kAbsent, 0xFFFF}, {encodeW16Tenths, kAbsent, 0x0FFF},
    };
    for (const Case& c : cases) {
        Bytes2 out{};
        c.encode(out.data(), c.value);
        EXPECT_EQ(rawOf(out), c.raw) << c.value;
    }
    EXPECT_EQ(encodeU8(300), 0xFE);
    EXPECT_EQ(encodeU8(-4), 0x00);
    EXPECT_EQ(encodeU8(kAbsentInt), 0xFF);
    EXPECT_EQ(encodeDirection(16), 0xFF);
    EXPECT_EQ(encodeUvIndex(-1), 0xFF);
    EXPECT_EQ(encodeBcd(123), 0x99);
    EXPECT_EQ(encodeWind12Tenths(1000.0f), 0xFFE);
}

TEST(FieldCodec, BcdDateTimesRoundTripAcrossTheCentury) {
    std::array<std::uint8_t, kBcdDateTimeSize> bytes{};
    for (int year = 2000; year <= 2099; year += 7) {
        for (int month = 1; month <= 12; month += 5) {
            const OleDate date = OleDate::fromCivil(year, month, 28, (year + month) % 24, 59);
            encodeBcdDateTime(bytes.data(), date.value());
            EXPECT_EQ(decodeBcdDateTime(bytes.data()), date.value()) << date.toQueryText();
        }
    }
    const OleDate sample = OleDate::fromCivil(2024, 7, 5, 23, 45);
    encodeBcdDateTime(bytes.data(), sample.value());
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 5>{0x24, 0x07, 0x05, 0x23, 0x45}));
}

TEST(FieldCodec, TimesTheCalendarRejectsReadAsZeroAndNoTimeIsWrittenBlank) {
    const std::array<std::array<std::uint8_t, 5>, 4> rejected = {{
        {0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
        {0x24, 0x13, 0x01, 0x00, 0x00},
        {0x23, 0x02, 0x29, 0x12, 0x00},
        {0x24, 0x01, 0x01, 0x24, 0x00},
    }};
    for (const auto& bytes : rejected) {
        EXPECT_EQ(decodeBcdDateTime(bytes.data()), 0.0);
    }
    const std::array<std::uint8_t, 5> blank = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    for (double none :
         {0.0, static_cast<double>(kAbsent), OleDate::fromCivil(1999, 12, 31).value()}) {
        std::array<std::uint8_t, 5> bytes{};
        encodeBcdDateTime(bytes.data(), none);
        EXPECT_EQ(bytes, blank) << none;
    }
}

}  // namespace
}  // namespace nimbra
