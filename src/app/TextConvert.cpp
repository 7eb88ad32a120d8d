#include "app/TextConvert.h"

#include <cstdio>

namespace sorn {

namespace {

void appendUtf8(std::string& out, unsigned long cp) {
    if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = 0xFFFD;
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

// Length of the valid UTF-8 sequence at s[i] and its code point, or 0.
size_t decodeUtf8(const std::string& s, size_t i, unsigned long& cp) {
    unsigned char c = s[i];
    size_t len;
    if (c < 0x80) {
        cp = c;
        return 1;
    } else if ((c & 0xE0) == 0xC0) {
        len = 2;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        len = 3;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        len = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + len > s.size())
        return 0;
    for (size_t k = 1; k < len; ++k) {
        unsigned char cc = s[i + k];
        if ((cc & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (cc & 0x3F);
    }
    static const unsigned long minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < minimum[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return len;
}

} // namespace

std::string toNarrowPath(const wchar_t* path) {
    std::string out;
    if (!path)
        return out;
    for (const wchar_t* p = path; *p; ++p)
        appendUtf8(out, static_cast<unsigned long>(*p));
    return out;
}

std::string toNarrowPath(const irr::core::stringw& path) {
    return toNarrowPath(path.c_str());
}

irr::core::stringw toWidePath(const std::string& path) {
    irr::core::stringw out;
    out.reserve(path.size() + 1);
    for (size_t i = 0; i < path.size();) {
        unsigned long cp;
        size_t len = decodeUtf8(path, i, cp);
        if (len == 0) {
            cp = static_cast<unsigned char>(path[i]);
            len = 1;
        }
        out.append(static_cast<wchar_t>(cp));
        i += len;
    }
    return out;
}

irr::core::stringw toWidePath(const char* path) {
    return toWidePath(std::string(path ? path : ""));
}

std::string narrowToBytes(const wchar_t* text) {
    std::string out;
    if (!text)
        return out;
    for (const wchar_t* p = text; *p; ++p) {
        unsigned long c = static_cast<unsigned long>(*p);
        // A character beyond Latin-1 cut to its low byte could turn into a
        // digit ("\u0131" into "1"); it is no part of a number, so it stops one.
        out += c > 0xFF ? '?' : static_cast<char>(c);
    }
    return out;
}

irr::core::stringw formatFloat(irr::f32 value) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%0.6f", static_cast<double>(value));
    return irr::core::stringw(buffer);
}

} // namespace sorn
