#include "support/SoakText.h"

#include <cstdio>
#include <iterator>

namespace sorn {
namespace test {

namespace {

template <typename T, size_t N>
const T& pick(const T (&items)[N], std::mt19937& random) {
    return items[random() % N];
}

std::wstring widen(const std::string& text) { return std::wstring(text.begin(), text.end()); }

std::wstring number(std::mt19937& random) {
    const wchar_t* special[] = {L"0",   L"-0",   L"1e30", L"-1e30", L"3.5e38", L"1e39", L"nan", L"inf",
                                L"-inf", L"1,5", L"0x10", L"1e-45", L".",     L"-",    L"+7",  L"12abc"};
    if (random() % 4 == 0)
        return pick(special, random);
    std::uniform_real_distribution<double> value(-1000.0, 1000.0);
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", static_cast<int>(random() % 4), value(random));
    return widen(text);
}

std::wstring integer(std::mt19937& random) {
    const wchar_t* special[] = {L"0", L"-1", L"2147483647", L"2147483648", L"-2147483649", L"99999999999999999999",
                                L"1000000", L"7.9"};
    if (random() % 3 == 0)
        return pick(special, random);
    return std::to_wstring(static_cast<int>(random() % 200) - 20);
}

std::wstring colour(std::mt19937& random) {
    const wchar_t* special[] = {L"255,255,0,0", L"0,0,0,0", L"256,-1,300,9", L"1,2", L"1,2,3,4,5",
                                L"255;255;255;255", L",,,", L"0.5,0.5,0.5,0.5"};
    if (random() % 3 == 0)
        return pick(special, random);
    std::wstring text;
    for (int i = 0; i < 4; ++i)
        text += (i ? L"," : L"") + std::to_wstring(random() % 256);
    return text;
}

std::wstring hostile(std::mt19937& random) {
    const wchar_t* texts[] = {L"%s%s%s%n",        L"<a>&amp;\"'</a>",   L"../../../../etc/passwd",
                              L"\t\r\n",          L"/dev/zero",         L"/",
                              L"\\\\server\\share", L"]]><!--",         L"C:\\con\\aux.png",
                              L"   ",             L"-",                 L"\x7f\x01\x1b[2J"};
    return pick(texts, random);
}

std::wstring huge(std::mt19937& random) {
    const size_t length = 1000 + random() % 20000;
    std::wstring text(length, L'9');
    if (random() % 2)
        text[random() % length] = L'.';
    return text;
}

std::wstring nonAscii(std::mt19937& random) {
    const wchar_t* texts[] = {L"\u00e9t\u00e9 1,5", L"\u4e2d\u6587", L"\u00df\u00e4\u00f6\u00fc",
                              L"\u0661\u0662\u0663", L"\U0001F600", L"\u200b12\u200b", L"\uFFFD\uFEFF"};
    return pick(texts, random);
}

} // namespace

std::wstring fieldText(FieldTextKind kind, std::mt19937& random, const std::vector<std::wstring>& imagePaths) {
    switch (kind) {
    case FieldTextKind::Number:
        return number(random);
    case FieldTextKind::Integer:
        return integer(random);
    case FieldTextKind::Colour:
        return colour(random);
    case FieldTextKind::ImagePath:
        return imagePaths.empty() ? std::wstring() : imagePaths[random() % imagePaths.size()];
    case FieldTextKind::Empty:
        return std::wstring();
    case FieldTextKind::Hostile:
        return hostile(random);
    case FieldTextKind::Huge:
        return huge(random);
    case FieldTextKind::NonAscii:
        return nonAscii(random);
    case FieldTextKind::KindCount:
        break;
    }
    return std::wstring();
}

std::wstring randomFieldText(std::mt19937& random, const std::vector<std::wstring>& imagePaths) {
    // Weights per kind, in the order of FieldTextKind: mostly values a user
    // means, sometimes what a slip of the hand or a paste brings.
    const unsigned weights[] = {30, 12, 12, 12, 8, 10, 4, 8};
    static_assert(std::size(weights) == static_cast<size_t>(FieldTextKind::KindCount), "one weight per kind");
    std::discrete_distribution<int> kind(std::begin(weights), std::end(weights));
    return fieldText(static_cast<FieldTextKind>(kind(random)), random, imagePaths);
}

} // namespace test
} // namespace sorn
