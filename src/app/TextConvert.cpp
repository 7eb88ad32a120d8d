#include "app/TextConvert.h"

#include <cstring>

#include <cstdio>

namespace sorn {

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

irr::core::stringw widenBytes(const char* bytes) {
    irr::core::stringw text;
    // Room for all of it at once: the engine's string grows one character a time.
    text.reserve(bytes ? static_cast<irr::u32>(std::strlen(bytes)) + 1 : 1);
    for (const char* p = bytes; p && *p; ++p)
        text.append(static_cast<wchar_t>(static_cast<unsigned char>(*p)));
    return text;
}

bool decodeUtf8Bytes(const irr::core::stringw& bytes, irr::core::stringw& decoded) {
    irr::core::stringw out;
    bool beyondAscii = false;
    const irr::u32 size = bytes.size();
    for (irr::u32 i = 0; i < size;) {
        const unsigned long lead = static_cast<unsigned long>(bytes[i]);
        if (lead > 0xFF)
            return false;
        if (lead < 0x80) {
            out.append(static_cast<wchar_t>(lead));
            ++i;
            continue;
        }
        int length = 0;
        unsigned long code = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            code = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            code = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<irr::u32>(length) > size)
            return false;
        for (int k = 1; k < length; ++k) {
            const unsigned long next = static_cast<unsigned long>(bytes[i + static_cast<irr::u32>(k)]);
            if ((next & 0xC0) != 0x80 || next > 0xFF)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and code points past Unicode are not UTF-8.
        if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        out.append(static_cast<wchar_t>(code));
        beyondAscii = true;
        i += static_cast<irr::u32>(length);
    }
    if (!beyondAscii)
        return false;
    decoded = out;
    return true;
}

irr::core::stringw formatFloat(irr::f32 value) {
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, "%0.6f", static_cast<double>(value));
    return irr::core::stringw(buffer);
}

void appendUtf8(std::string& out, std::uint32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        c = 0xFFFD;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

} // namespace sorn
