// Dimension text and yes/no text of the emitter rows.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "toolbox/EmitterText.h"

using namespace irr;

namespace sorn {
namespace {

TEST(DimensionText, WidthAndHeightWithSixDecimalsJoinedBySlash) {
    EXPECT_EQ(formatDimensionText(core::dimension2df(5.f, 5.f)), core::stringw(L"5.000000/5.000000"));
    EXPECT_EQ(formatDimensionText(core::dimension2df(0.25f, -12.5f)), core::stringw(L"0.250000/-12.500000"));
}

TEST(DimensionText, ReadsBeforeAndAfterTheFirstSlash) {
    struct Case {
        const char* text;
        double width, height;
        bool hasSlash;
    };
    const Case cases[] = {
        {"5.000000/5.000000", 5.0, 5.0, true},
        {"3/4", 3.0, 4.0, true},
        {"5/6/7", 5.0, 6.0, true},     // several slashes: the height stops at the second
        {"7", 7.0, 0.0, false},        // no slash: no height
        {"", 0.0, 0.0, false},
        {"/", 0.0, 0.0, true},
        {"/9", 0.0, 9.0, true},
        {"abc/def", 0.0, 0.0, true},
        {" 2.5x/ -1e2y", 2.5, -100.0, true}, // atof-like: leading blanks, trailing garbage
        {"1e40/-1e40", 1e40, -1e40, true},   // no f32 holds these: the caller bounds them
    };
    for (const Case& c : cases) {
        const DimensionReading r = parseDimensionText(c.text);
        EXPECT_DOUBLE_EQ(r.width, c.width) << c.text;
        EXPECT_DOUBLE_EQ(r.height, c.height) << c.text;
        EXPECT_EQ(r.hasSlash, c.hasSlash) << c.text;
    }
    EXPECT_TRUE(std::isinf(parseDimensionText("inf/1").width));
    EXPECT_TRUE(std::isnan(parseDimensionText("1/nan").height));
}

TEST(YesNoText, TrueWordsOrAPositiveLeadingInteger) {
    struct Case {
        const char* text;
        bool value;
    };
    const Case cases[] = {
        {"true", true},   {"True", true},   {"tru", true},     {"Tru", true},   {"1", true},
        {"+7", true},     {"2", true},      {"007", true},     {"12abc", true}, {"99999999999999999999", true},
        {"yes", false},   {"TRUE", false},  {"truee", false},  {"", false},     {"0", false},
        {"-1", false},    {"-0", false},    {"+0", false},     {"+", false},    {"-", false},
        {"false", false}, {"no", false},    {"-99999999999999999999", false},   {"x1", false},
        {"+-1", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseYesNoText(c.text), c.value) << '"' << c.text << '"';
}

} // namespace
} // namespace sorn
