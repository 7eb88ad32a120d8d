// Colour text, atoi-like integers and the user texture loader shared by the
// tool box tabs.
#include <gtest/gtest.h>
#include <irrlicht.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "files/UserTexture.h"
#include "support/EditorFixture.h"
#include "support/NullDevice.h"
#include "toolbox/ColourText.h"
#include "toolbox/NumberText.h"

using namespace irr;

namespace sorn {
namespace {

struct ColourCase {
    const wchar_t* text;
    u32 expected;
};

TEST(ColourText, ParsesByTheCommaRule) {
    const ColourCase cases[] = {
        {L"255,255,255,255", 0xFFFFFFFFu},
        {L"255,255,0,0", 0xFFFF0000u},
        {L"255,0,0", 1u},                  // three fields: the value 1
        {L"", 1u},
        {L"no commas", 1u},
        {L"255,0,0,255,9", 0xFF0000FFu},   // the fifth field plays no part
        {L" 128, 1 ,2,3", 0x80010203u},    // atoi skips leading blanks and stops at others
        {L"+7,-1,256,x", 0x07FF0000u},     // -1 & 255 = 255, 256 & 255 = 0, x reads 0
        {L"511,0,0,0", 0xFF000000u},       // A keeps its low 8 bits as well
        {L"1,99999999999,-99999999999,0", 0x01FF0000u}, // saturated: INT_MAX&255, INT_MIN&255
        {L",,,", 0u},
        {L"a,b,c,d", 0u},
    };
    for (const ColourCase& c : cases)
        EXPECT_EQ(parseColourText(c.text).color, c.expected) << core::stringc(c.text).c_str();
}

TEST(ColourText, FormatsIntegerAndFloatColours) {
    EXPECT_EQ(formatColourText(video::SColor(255, 1, 22, 133)), L"255,1,22,133");
    EXPECT_EQ(formatColourText(video::SColorf(1.f, 1.f, 1.f, 1.f)), L"255,255,255,255");
    // 0.5 * 255 = 127.5, rounded to the nearest channel value.
    EXPECT_EQ(formatColourText(video::SColorf(0.5f, 0.f, 1.f, 0.5f)), L"128,128,0,255");
    EXPECT_EQ(formatColourText(video::SColorf(0.498f, 0.f, 1.f, 0.502f)), L"128,127,0,255");
    // Out of range channels wrap through the low byte; NaN and huge read 0.
    EXPECT_EQ(formatColourText(video::SColorf(2.f, -0.5f, NAN, 1e30f)), L"0,254,129,0");
}

// A light keeps its colour as floats (channel / 255), and a saved scene holds
// each with six decimals: every channel value reads back as itself.
TEST(ColourText, EveryChannelValueSurvivesTheSixDecimalsOfASavedScene) {
    for (u32 value = 0; value < 256; ++value) {
        const video::SColorf typed = colourToFloat(video::SColor(value, value, value, value));
        char written[32];
        std::snprintf(written, sizeof written, "%f", typed.r);
        const f32 read = std::strtof(written, nullptr);
        const std::wstring expected = std::to_wstring(value);
        EXPECT_EQ(std::wstring(formatColourText(video::SColorf(read, read, read, read)).c_str()),
                  expected + L"," + expected + L"," + expected + L"," + expected)
            << value << " written as " << written;
    }
}

TEST(ColourText, RoundTripsThroughText) {
    for (u32 value : {0u, 1u, 0x80402010u, 0xFFFFFFFFu, 0x12345678u}) {
        video::SColor colour(value);
        EXPECT_EQ(parseColourText(formatColourText(colour).c_str()).color, value);
    }
}

TEST(NumberText, IntegersReadLikeAtoiAndSaturate) {
    struct Case {
        const char* text;
        s32 expected;
    };
    const Case cases[] = {
        {"42", 42},   {"  -17abc", -17}, {"+8", 8},         {"", 0},
        {"x1", 0},    {"1e9", 1},        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},         {"4294967296", INT_MAX},
        {"-2147483649", INT_MIN},        {"99999999999999999999999", INT_MAX},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseIntegerLikeAtoi(c.text), c.expected) << c.text;
    EXPECT_EQ(parseIntegerLikeAtoi(L"-3"), -3);
    EXPECT_EQ(parseIntegerLikeAtoi(static_cast<const char*>(nullptr)), 0);
}

class UserTextureTest : public test::NullDeviceTest {};

TEST_F(UserTextureTest, RefusesWhatIsNotARegularFile) {
    test::TempDir dir;
    const std::string fifo = dir.file("pipe.png");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    // Each of these would block or never end in the driver's image reader.
    for (const std::string& path : {dir.path(), fifo, std::string("/dev/zero"), std::string()})
        EXPECT_EQ(loadUserTexture(path), nullptr) << path;
}

TEST_F(UserTextureTest, LoadsARegularImage) {
    const std::string image = std::string(SORN_RUNTIME_DIR) + "/media/folder.png";
    video::ITexture* texture = loadUserTexture(image);
    ASSERT_NE(texture, nullptr);
    EXPECT_EQ(std::string(texture->getName().getPath().c_str()), image);
    EXPECT_EQ(loadUserTexture(std::string(SORN_RUNTIME_DIR) + "/media/missing.png"), nullptr);
}

} // namespace
} // namespace sorn
