#include "app/SafeXmlFile.h"

#include "app/ByteOrderMark.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace irr;

namespace sorn {

namespace {

using Units = std::vector<uint32_t>;

// The text as the engine's reader sees it: code units told apart by the
// byte-order mark, which is not part of the text. A unit that is a byte
// sign-extended (0xFFFFFF80 and up) is read as that byte, as the editor's
// writes store it (AtomicWriteFile): a file read, saved and read again reads
// the same.
Units decodeUnits(const std::vector<unsigned char>& bytes) {
    const TextEncoding encoding = detectEncoding(bytes.data(), bytes.size());
    Units units;
    decodeCodeUnits(bytes.data() + encoding.markSize, bytes.size() - encoding.markSize, encoding, units);
    if (encoding.unitSize == 4)
        for (uint32_t& unit : units)
            if (unit >= 0xFFFFFF80u)
                unit &= 0xFFu;
    return units;
}

bool endsCdataAt(const Units& units, size_t p) {
    return p < units.size() && units[p] == '>' && units[p - 1] == ']' && units[p - 2] == ']';
}

// The reader mis-measures two short forms of "<!" and copies a text of
// negative length. "<![" is CDATA to it: it skips eight units from the "!"
// and ends at the first "]]>" whose '>' lies at or after that point, which
// may start before it. Other "<!" are comments whose text runs from two units
// after the "!" to three before the balancing '>', so fewer than four units
// between them. Both become "<?", a declaration it skips. Only a few units
// after each "<!" decide it, so the whole text costs one pass.
void defuseShortDeclarations(Units& units) {
    const size_t n = units.size();
    for (size_t i = 0; i + 1 < n; ++i) {
        if (units[i] != '<' || units[i + 1] != '!')
            continue;
        bool defuse = false;
        if (i + 2 < n && units[i + 2] == '[') {
            // Its text starts at i + 9; a "]]>" ending at i + 9 or i + 10 starts before.
            defuse = endsCdataAt(units, i + 9) || endsCdataAt(units, i + 10);
        } else {
            // The balancing '>' within the next four units makes a comment too short.
            int depth = 1;
            for (size_t p = i + 2; p < n && p <= i + 5 && depth; ++p) {
                if (units[p] == '>')
                    --depth;
                else if (units[p] == '<')
                    ++depth;
            }
            defuse = depth == 0;
        }
        if (defuse)
            units[i + 1] = '?';
    }
}

// The entities the reader decodes and the characters they stand for. Each
// reaches the reader as a code point of the last private-use plane.
struct Entity {
    const char* text;
    wchar_t character;
};
const Entity kEntities[] = {{"&amp;", L'&'}, {"&lt;", L'<'}, {"&gt;", L'>'}, {"&quot;", L'"'}, {"&apos;", L'\''}};
constexpr uint32_t kFirstEntityUnit = 0x10FFF0;
constexpr size_t kEntityCount = sizeof kEntities / sizeof kEntities[0];

bool entityAt(const Units& units, size_t at, const char* text) {
    for (size_t k = 0; text[k]; ++k)
        if (at + k >= units.size() || units[at + k] != static_cast<unsigned char>(text[k]))
            return false;
    return true;
}

void shieldEntities(Units& units) {
    size_t out = 0;
    for (size_t in = 0; in < units.size();) {
        size_t entity = kEntityCount;
        if (units[in] == '&')
            for (size_t e = 0; e < kEntityCount && entity == kEntityCount; ++e)
                if (entityAt(units, in, kEntities[e].text))
                    entity = e;
        if (entity == kEntityCount) {
            units[out++] = units[in++];
        } else {
            units[out++] = kFirstEntityUnit + static_cast<uint32_t>(entity);
            in += std::strlen(kEntities[entity].text);
        }
    }
    units.resize(out);
}

} // namespace

core::stringw guardedXmlText(const wchar_t* text) {
    core::stringw out;
    for (const wchar_t* p = text; p && *p; ++p) {
        const uint32_t unit = static_cast<uint32_t>(*p);
        const bool entity = unit >= kFirstEntityUnit && unit < kFirstEntityUnit + kEntityCount;
        out.append(entity ? kEntities[unit - kFirstEntityUnit].character : *p);
    }
    return out;
}

io::IReadFile* openGuardedXmlFile(io::IFileSystem* fileSystem, const io::path& path) {
    if (!fileSystem)
        return nullptr;
    io::IReadFile* file = fileSystem->createAndOpenFile(path);
    if (!file)
        return nullptr;
    long size = file->getSize();
    if (size < 0 || size > MaxXmlFileSize) {
        file->drop();
        return nullptr;
    }
    std::vector<unsigned char> bytes(static_cast<size_t>(size));
    s32 read = size > 0 ? file->read(bytes.data(), static_cast<u32>(size)) : 0;
    file->drop();
    if (read != size)
        return nullptr;

    Units units = decodeUnits(bytes);
    bytes.clear();
    bytes.shrink_to_fit();
    shieldEntities(units);
    defuseShortDeclarations(units);
    const size_t openings = static_cast<size_t>(std::count(units.begin(), units.end(), uint32_t('<')));

    // End the text, then a guard tail: a name scan stops at the blank or '=',
    // a value scan finds its quotes, and one '>' more than there are '<' ends
    // any end tag, declaration or (nesting) comment scan.
    units.push_back(0);
    for (uint32_t c : {' ', '=', '"', '"'})
        units.push_back(c);
    units.insert(units.end(), openings + 2, uint32_t('>'));
    units.push_back(0);

    // Handed over as UTF-32 little-endian, the engine's own wide characters,
    // so it converts nothing and every unit keeps its value.
    const size_t total = 4 + units.size() * 4;
    if (total > static_cast<size_t>(INT32_MAX))
        return nullptr;
    char* memory = new char[total];
    const unsigned char bom[4] = {0xFF, 0xFE, 0, 0};
    std::memcpy(memory, bom, 4);
    for (size_t i = 0; i < units.size(); ++i)
        encodeCodeUnit(units[i], 4, false, reinterpret_cast<unsigned char*>(memory) + 4 + i * 4);
    return fileSystem->createMemoryReadFile(memory, static_cast<s32>(total), path, true);
}

io::IXMLReader* createGuardedXmlReader(io::IFileSystem* fileSystem, const io::path& path) {
    io::IReadFile* file = openGuardedXmlFile(fileSystem, path);
    if (!file)
        return nullptr;
    io::IXMLReader* reader = fileSystem->createXMLReader(file);
    file->drop();
    return reader;
}

} // namespace sorn
