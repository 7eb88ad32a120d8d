#include "app/UriList.h"

#include <cctype>

namespace sorn {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool startsWithNoCase(const std::string& text, const char* prefix) {
    size_t i = 0;
    for (; prefix[i]; ++i)
        if (i >= text.size() || std::tolower(static_cast<unsigned char>(text[i])) != prefix[i])
            return false;
    return true;
}

bool equalNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// %XX escapes to their bytes; false on a broken escape or an encoded NUL.
bool percentDecode(const std::string& text, std::string& out) {
    out.clear();
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out += text[i];
            continue;
        }
        if (i + 2 >= text.size())
            return false;
        const int high = hexValue(text[i + 1]);
        const int low = hexValue(text[i + 2]);
        if (high < 0 || low < 0 || (high == 0 && low == 0))
            return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return true;
}

// A line without its surrounding blanks (a CR left by the CRLF, spaces).
std::string trimmed(const std::string& line, size_t begin, size_t end) {
    while (begin < end && std::isspace(static_cast<unsigned char>(line[begin])))
        ++begin;
    while (end > begin && std::isspace(static_cast<unsigned char>(line[end - 1])))
        --end;
    return line.substr(begin, end - begin);
}

} // namespace

bool localPathOfFileUri(const std::string& uri, const std::string& localHost, std::string& path) {
    path.clear();
    if (!startsWithNoCase(uri, "file:"))
        return false;
    std::string rest = uri.substr(5);
    // A query or fragment is not part of the file's name ("#" and "?" in a
    // name come escaped).
    const size_t cut = rest.find_first_of("?#");
    if (cut != std::string::npos)
        rest.erase(cut);
    std::string encoded;
    if (rest.compare(0, 2, "//") == 0) {
        const size_t slash = rest.find('/', 2);
        if (slash == std::string::npos)
            return false;
        const std::string host = rest.substr(2, slash - 2);
        if (!host.empty() && !equalNoCase(host, "localhost") && !equalNoCase(host, localHost))
            return false;
        encoded = rest.substr(slash);
    } else {
        encoded = rest; // file:/path
    }
    if (encoded.empty() || encoded[0] != '/')
        return false;
    if (!percentDecode(encoded, path) || path.size() > kMaxDroppedPathLength) {
        path.clear();
        return false;
    }
    return true;
}

DroppedFileList decodeUriList(const std::string& uriList, const std::string& localHost) {
    DroppedFileList list;
    size_t begin = 0;
    while (begin < uriList.size()) {
        size_t end = uriList.find('\n', begin);
        if (end == std::string::npos)
            end = uriList.size();
        const std::string line = trimmed(uriList, begin, end);
        begin = end + 1;
        if (line.empty() || line[0] == '#')
            continue;
        std::string path;
        if (!localPathOfFileUri(line, localHost, path))
            ++list.refused;
        else if (list.paths.size() >= kMaxDroppedFiles)
            ++list.beyondLimit;
        else
            list.paths.push_back(path);
    }
    return list;
}

} // namespace sorn
