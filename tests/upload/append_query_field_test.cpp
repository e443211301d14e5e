#include "upload/append_query_field.h"

#include <gtest/gtest.h>

#include <optional>

namespace nimbra {
namespace {

struct FieldCase {
    std::int64_t value;
    int decimals;
    std::optional<std::string_view> absentText;
    const char* expected;
};

TEST(AppendQueryField, WritesImpliedDecimalsSignAndAbsentText) {
    const FieldCase cases[] = {
        {5, 0, std::nullopt, "f=5&"},
        {5, 1, std::nullopt, "f=0.5&"},
        {5, 2, std::nullopt, "f=0.05&"},
        {-3, 1, std::nullopt, "f=-0.3&"},
        {-3, 2, std::nullopt, "f=-0.03&"},
        {1234, 2, std::nullopt, "f=12.34&"},
        {100, 1, std::nullopt, "f=10.0&"},
        {0, 1, std::nullopt, "f=0.0&"},
        {0, 2, std::nullopt, "f=0.00&"},
        {245, 0, std::nullopt, "f=245&"},
        {2450, 1, std::nullopt, "f=245.0&"},
        {-40, 1, std::nullopt, "f=-4.0&"},
        {9999999, 2, std::nullopt, "f=99999.99&"},
        {2147483646, 0, std::nullopt, "f=2147483646&"},
        // The absent marker, with and without an absent text.
        {0x7FFF, 1, std::nullopt, "f=&"},
        {0x7FFF, 1, "-9999", "f=-9999&"},
        {0x7FFF, 0, "-32768", "f=-32768&"},
    };
    for (const FieldCase& c : cases) {
        std::string out;
        AppendQueryField(out, "f", c.value, c.decimals, 0x7FFF, c.absentText);
        EXPECT_EQ(out, c.expected) << c.value << " with " << c.decimals << " decimals";
    }
}

TEST(AppendQueryField, CallsChainOntoTheQuery) {
    std::string out = "GET /x?";
    AppendQueryField(out, "tempf", 707, 1, 0x7FFF, "-9999");
    AppendQueryField(out, "humidity", 0x7F, 0, 0x7F, "-9999");
    AppendQueryField(out, "rain", 0x7FFFFFFF, 2, 0x7FFFFFFF);
    EXPECT_EQ(out, "GET /x?tempf=70.7&humidity=-9999&rain=&");
}

TEST(AppendQueryField, MostNegativeValueKeepsItsMagnitude) {
    std::string out;
    AppendQueryField(out, "v", INT64_MIN, 2, 0);
    EXPECT_EQ(out, "v=-92233720368547758.08&");
}

}  // namespace
}  // namespace nimbra
