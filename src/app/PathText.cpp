#include "app/PathText.h"

#include <clocale>
#include <cwchar>
#include <langinfo.h>
#include <locale.h>
#include <vector>

namespace sorn {

namespace {

// Undecodable byte b travels as U+DC00 + b (a lone surrogate, never produced
// by a real decoding), so that it can be written back exactly.
constexpr wchar_t kEscapeBase = 0xDC00;

bool isEscapedByte(wchar_t c) {
    return c >= kEscapeBase + 0x80 && c <= kEscapeBase + 0xFF;
}

// The character handling of the user's locale, made once. A locale that only
// knows ASCII (the "C" locale of a bare environment) cannot name any other
// file, so UTF-8, the file name convention of this platform, stands in.
locale_t fileNameLocale() {
    static locale_t locale = [] {
        locale_t user = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
        if (user) {
            const char* codeset = nl_langinfo_l(CODESET, user);
            bool asciiOnly = codeset && (std::string(codeset) == "ANSI_X3.4-1968" ||
                                         std::string(codeset) == "ASCII");
            if (!asciiOnly)
                return user;
            freelocale(user);
        }
        return newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    }();
    return locale;
}

// Switches the calling thread to the file name locale for the lifetime of the
// object; the process-wide locale (and with it number formatting) is untouched.
class FileNameLocaleScope {
public:
    FileNameLocaleScope() {
        locale_t locale = fileNameLocale();
        if (locale)
            previous_ = uselocale(locale);
    }
    ~FileNameLocaleScope() {
        if (previous_)
            uselocale(previous_);
    }
    FileNameLocaleScope(const FileNameLocaleScope&) = delete;
    FileNameLocaleScope& operator=(const FileNameLocaleScope&) = delete;

private:
    locale_t previous_ = static_cast<locale_t>(0);
};

} // namespace

irr::core::stringw widePath(const std::string& path) {
    FileNameLocaleScope scope;
    irr::core::stringw out;
    out.reserve(static_cast<irr::u32>(path.size() + 1));
    std::mbstate_t state{};
    size_t i = 0;
    while (i < path.size()) {
        wchar_t c = 0;
        size_t used = std::mbrtowc(&c, path.data() + i, path.size() - i, &state);
        if (used == static_cast<size_t>(-1) || used == static_cast<size_t>(-2)) {
            c = kEscapeBase + static_cast<unsigned char>(path[i]);
            used = 1;
            state = std::mbstate_t{};
        } else if (used == 0) {
            break; // an embedded NUL ends a C file name
        }
        out.append(c);
        i += used;
    }
    return out;
}

irr::core::stringw widePath(const char* path) {
    return widePath(std::string(path ? path : ""));
}

std::string narrowPath(const wchar_t* path) {
    std::string out;
    if (!path)
        return out;
    FileNameLocaleScope scope;
    std::mbstate_t state{};
    char bytes[MB_LEN_MAX];
    for (const wchar_t* p = path; *p; ++p) {
        if (isEscapedByte(*p)) {
            out += static_cast<char>(*p - kEscapeBase);
            continue;
        }
        size_t count = std::wcrtomb(bytes, *p, &state);
        if (count == static_cast<size_t>(-1)) {
            out += '?';
            state = std::mbstate_t{};
            continue;
        }
        out.append(bytes, count);
    }
    return out;
}

std::string narrowPath(const irr::core::stringw& path) {
    return narrowPath(path.c_str());
}

std::string lowerAscii(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string fileExtension(const std::string& path) {
    size_t dot = path.rfind('.');
    if (dot == std::string::npos)
        return std::string();
    return lowerAscii(path.substr(dot));
}

std::string collapseDotSegments(const std::string& absolute) {
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= absolute.size()) {
        size_t end = absolute.find('/', start);
        if (end == std::string::npos)
            end = absolute.size();
        const std::string part = absolute.substr(start, end - start);
        if (part == "..") {
            if (!parts.empty())
                parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        start = end + 1;
    }
    std::string out;
    for (const std::string& part : parts)
        out += "/" + part;
    return out.empty() ? "/" : out;
}

} // namespace sorn
