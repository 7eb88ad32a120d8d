// The texts typed into the tool box's edit boxes: colour text, dimension
// text, yes/no text and the number fields. The first byte chooses the
// reader; the rest is the typed text. Besides "no crash, no undefined
// behaviour", the readers must give back what the editor writes in a box.
#include <algorithm>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "FuzzSupport.h"
#include "app/TextConvert.h"
#include "toolbox/ColourText.h"
#include "toolbox/EmitterText.h"
#include "toolbox/NumberText.h"

using namespace irr;
using sorn::fuzz::require;

namespace {

u32 bytesToU32(const uint8_t* data, size_t size) {
    u32 value = 0;
    for (size_t i = 0; i < 4 && i < size; ++i)
        value |= static_cast<u32>(data[i]) << (8 * i);
    return value;
}

f32 bytesToF32(const uint8_t* data, size_t size) {
    const u32 bits = bytesToU32(data, size);
    f32 value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// A colour shown in a box reads back as itself, and whatever a box holds
// reads as a colour that shows and reads back unchanged.
void colourText(const uint8_t* data, size_t size) {
    const core::stringw typed = sorn::fuzz::wideText(data, size);
    const video::SColor read = sorn::parseColourText(typed.c_str());
    const video::SColor again = sorn::parseColourText(sorn::formatColourText(read).c_str());
    require(again.color == read.color, "colour text shown after reading reads the same colour");

    const video::SColor shown(bytesToU32(data, size));
    require(sorn::parseColourText(sorn::formatColourText(shown).c_str()).color == shown.color,
            "formatting then parsing a colour gives it back");
    // A light's colour is kept as floats: shown, read and turned to floats
    // and back it must not drift.
    const video::SColorf asFloat = sorn::colourToFloat(shown);
    require(sorn::formatColourText(asFloat) == sorn::formatColourText(shown),
            "a colour kept as floats shows as the same text");

    // Any float colour, NaN and infinities included, shows as four bytes.
    const video::SColorf floats(bytesToF32(data, size), bytesToF32(data + (size > 4 ? 4 : size), size > 4 ? size - 4 : 0),
                                0.5f, 1.f);
    const core::stringw floatText = sorn::formatColourText(floats);
    const video::SColor floatRead = sorn::parseColourText(floatText.c_str());
    require(sorn::formatColourText(floatRead) == floatText, "a float colour's text reads back as itself");
}

// Width and height shown with "%0.6f" read back within the rounding of six decimals.
void dimensionText(const uint8_t* data, size_t size) {
    const std::string typed = sorn::narrowToBytes(sorn::fuzz::wideText(data, size).c_str());
    const sorn::DimensionReading reading = sorn::parseDimensionText(typed);
    require(reading.hasSlash == (typed.find('/') != std::string::npos), "the slash is found where it is");
    if (!reading.hasSlash)
        require(reading.height == 0.0, "no slash gives no height");

    const core::dimension2df shown(bytesToF32(data, size), bytesToF32(data + (size > 4 ? 4 : size), size > 4 ? size - 4 : 0));
    if (!std::isfinite(shown.Width) || !std::isfinite(shown.Height))
        return;
    const core::stringw text = sorn::formatDimensionText(shown);
    const sorn::DimensionReading back = sorn::parseDimensionText(sorn::narrowToBytes(text.c_str()));
    require(back.hasSlash, "dimension text holds its slash");
    // Formatting into a fixed buffer must keep the height: a cut text would read another size.
    require(std::fabs(back.width - shown.Width) <= 0.5e-6 * (1 + std::fabs(shown.Width)) &&
                std::fabs(back.height - shown.Height) <= 0.5e-6 * (1 + std::fabs(shown.Height)),
            "dimension text reads back as the size shown");
}

// Yes/no text: the flag written as "1" or "0" reads back; any text reads as
// "some leading digit after an optional plus is not 0" or a yes word.
void yesNoText(const uint8_t* data, size_t size) {
    const std::string typed(reinterpret_cast<const char*>(data), size);
    const bool yes = sorn::parseYesNoText(typed);
    const bool yesWord = typed == "true" || typed == "True" || typed == "tru" || typed == "Tru";
    size_t i = !typed.empty() && typed[0] == '+' ? 1 : 0;
    const size_t digits = typed.find_first_not_of("0123456789", i);
    const std::string leading = typed.substr(i, digits == std::string::npos ? std::string::npos : digits - i);
    const bool positive = leading.find_first_not_of('0') != std::string::npos;
    require(yes == (yesWord || positive), "yes/no text reads as a yes word or a positive integer");
    require(sorn::parseYesNoText("1") && !sorn::parseYesNoText("0"), "the written flags read back");
}

// Numbers: a float shown with "%0.6f" reads back; any text reads as a finite
// f32 or is refused, never as infinity or NaN.
void numberText(const uint8_t* data, size_t size) {
    const core::stringw typed = sorn::fuzz::wideText(data, size);
    f32 value = 12345.f;
    if (sorn::parseFiniteNumber(typed.c_str(), value))
        require(std::isfinite(value), "an accepted number is finite");
    else
        require(value == 12345.f, "a refused number leaves the value untouched");

    const f32 shown = bytesToF32(data, size);
    if (!std::isfinite(shown))
        return;
    f32 back = 0.f;
    require(sorn::parseFiniteNumber(sorn::formatFloat(shown).c_str(), back), "a shown float reads as a number");
    require(std::fabs(back - shown) <= 0.5e-6f + std::fabs(shown) * 1e-6f, "a shown float reads back as itself");
}

// Leading blanks, an optional sign and the leading digits, held to the int
// range as it is read: what atoi gives where it is defined.
long long saturatedDecimal(const std::string& bytes) {
    size_t i = 0;
    while (i < bytes.size() && (bytes[i] == ' ' || (bytes[i] >= '\t' && bytes[i] <= '\r')))
        ++i;
    const bool negative = i < bytes.size() && bytes[i] == '-';
    if (i < bytes.size() && (bytes[i] == '-' || bytes[i] == '+'))
        ++i;
    long long magnitude = 0;
    for (; i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9'; ++i)
        magnitude = std::min(magnitude * 10 + (bytes[i] - '0'), 1LL << 32);
    const long long value = negative ? -magnitude : magnitude;
    return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : value;
}

// Integers read like atoi, saturating: the same for narrow and wide text,
// and an integer written in decimal reads back as itself.
void integerText(const uint8_t* data, size_t size) {
    const core::stringw typed = sorn::fuzz::wideText(data, size);
    const std::string bytes = sorn::narrowToBytes(typed.c_str());
    const s32 wide = sorn::parseIntegerLikeAtoi(typed.c_str());
    require(wide == sorn::parseIntegerLikeAtoi(bytes.c_str()), "wide and narrow integer text agree");
    require(wide == saturatedDecimal(bytes), "integer text reads like atoi and saturates");

    const s32 shown = static_cast<s32>(bytesToU32(data, size));
    require(sorn::parseIntegerLikeAtoi(std::to_string(shown).c_str()) == shown, "a shown integer reads back");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    switch (data[0] % 5) {
    case 0: colourText(data + 1, size - 1); break;
    case 1: dimensionText(data + 1, size - 1); break;
    case 2: yesNoText(data + 1, size - 1); break;
    case 3: numberText(data + 1, size - 1); break;
    default: integerText(data + 1, size - 1); break;
    }
    return 0;
}
