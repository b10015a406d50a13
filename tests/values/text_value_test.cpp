#include "values/text_value.h"

#include <cmath>
#include <gtest/gtest.h>

namespace velmora {
namespace {

TEST(TextValue, ReadsTheNumberAtTheStartWhateverTheLocale) {
    struct Row {
        const char* text;
        double value;
    };
    const Row rows[] = {
        {"", 0},           {"abc", 0},
        {"16.0.5", 16},    {"12,5", 12},
        {"1 2", 12},       {" \t3\n", 3},
        {"12.5", 12.5},    {"007", 7},
        {"160.0000", 160}, {"-5", -5},
        {"+7", 7},         {"- 4", -4},
        {".5", 0.5},       {"5.", 5},
        {".", 0},          {"-", 0},
        {"3abc", 3},       {"12a", 12},
        {"1-2", 1},        {"--1", 0},
        {"\r1", 0},        {"174.0001", 174.0001},
    };
    for (const Row& row : rows)
        EXPECT_DOUBLE_EQ(textValue(row.text), row.value) << '"' << row.text << '"';
}

TEST(TextValue, MoreDigitsThanADoubleHoldsIsInfinite) {
    EXPECT_TRUE(std::isinf(textValue(std::string(400, '9'))));
    EXPECT_LT(textValue("-" + std::string(400, '9')), 0);
    EXPECT_EQ(textValue("0." + std::string(400, '0') + "1"), 0.0);
}

} // namespace
} // namespace velmora
