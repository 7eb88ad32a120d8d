#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "app/ByteOrderMark.h"
#include "app/SafeXmlFile.h"
#include "support/EditorFixture.h"
#include "support/NullDevice.h"

using namespace irr;
using sorn::editor;
using sorn::test::TempDir;
using sorn::test::writeFile;

namespace {

class SafeXmlFileTest : public sorn::test::NullDeviceTest {
protected:
    // Reads the whole file through the guarded reader; the number of nodes.
    int readAll(const std::string& bytes) {
        writeFile(dir.file("f.xml"), bytes);
        io::IXMLReader* reader = sorn::createGuardedXmlReader(editor.device->getFileSystem(),
                                                              dir.file("f.xml").c_str());
        if (!reader)
            return -1;
        int nodes = 0;
        while (reader->read() && nodes < 1000000) {
            ++nodes;
            reader->getAttributeValueSafe(L"name");
        }
        reader->drop();
        return nodes;
    }
    static std::string encode(const std::string& text, int unitSize, bool bigEndian) {
        std::string out;
        auto unit = [&](unsigned c) {
            for (int i = 0; i < unitSize; ++i) {
                int shift = 8 * (bigEndian ? unitSize - 1 - i : i);
                out += static_cast<char>((c >> shift) & 0xff);
            }
        };
        unit(0xFEFF);
        for (unsigned char c : text)
            unit(c);
        return out;
    }
    TempDir dir;
};

const std::string Sample =
    "<?xml version=\"1.0\"?><!-- settings <b> --><config><prog>"
    "<setting name=\"language\" value=\"fr\"/><setting name='x' value='y'></setting>"
    "<![CDATA[ raw ]]><!DOCTYPE x></prog></config>";

// Every truncation of a well-formed file, in every encoding the reader knows:
// AddressSanitizer reports any read past the buffer.
TEST_F(SafeXmlFileTest, EveryTruncationReadsWithinTheBuffer) {
    const std::pair<int, bool> encodings[] = {{1, false}, {2, false}, {2, true}, {4, false}, {4, true}};
    for (const auto& encoding : encodings) {
        std::string whole = encoding.first == 1 ? Sample : encode(Sample, encoding.first, encoding.second);
        for (size_t cut = 0; cut <= whole.size(); ++cut)
            EXPECT_GE(readAll(whole.substr(0, cut)), 0) << cut;
    }
}

// Inputs that make the engine's own reader read outside its text.
TEST_F(SafeXmlFileTest, KnownBadFormsReadSafely) {
    for (const char* text : {"<a><!DO></a>", "<!>", "<!a>", "<![raw ]]>", "<![x]]><b/>", "</x", "<a b=\"c",
                             "<a b>xyz", "<!-- x", "<a", "<?xml", "<!DOCTYPE x"})
        EXPECT_GE(readAll(text), 0) << text;
}

TEST_F(SafeXmlFileTest, MutatedAndRandomFilesReadWithinTheBuffer) {
    std::mt19937 random(42);
    const char alphabet[] = "<>/=\"' !-?[]abcx\n";
    for (int round = 0; round < 3000; ++round) {
        std::string text = Sample;
        int edits = 1 + random() % 6;
        for (int e = 0; e < edits; ++e) {
            size_t at = random() % text.size();
            if (random() % 2)
                text[at] = alphabet[random() % (sizeof alphabet - 1)];
            else
                text.erase(at, 1 + random() % 8);
            if (text.empty())
                break;
        }
        text = text.substr(0, random() % (text.size() + 1));
        EXPECT_GE(readAll(text), 0);
    }
    for (int round = 0; round < 200; ++round) {
        std::string garbage(random() % 2048, '\0');
        for (char& c : garbage)
            c = static_cast<char>(random());
        EXPECT_GE(readAll(garbage), 0);
    }
}

TEST_F(SafeXmlFileTest, WellFormedFilesReadAsBefore) {
    writeFile(dir.file("f.xml"), Sample);
    io::IXMLReader* plain = editor.device->getFileSystem()->createXMLReader(dir.file("f.xml").c_str());
    io::IXMLReader* guarded = sorn::createGuardedXmlReader(editor.device->getFileSystem(), dir.file("f.xml").c_str());
    ASSERT_NE(plain, nullptr);
    ASSERT_NE(guarded, nullptr);
    int nodes = 0;
    while (plain->read()) {
        ASSERT_TRUE(guarded->read()) << "node " << nodes;
        EXPECT_EQ(plain->getNodeType(), guarded->getNodeType());
        EXPECT_EQ(core::stringw(plain->getNodeName()), core::stringw(guarded->getNodeName()));
        EXPECT_EQ(core::stringw(plain->getAttributeValueSafe(L"name")),
                  core::stringw(guarded->getAttributeValueSafe(L"name")));
        ++nodes;
    }
    EXPECT_FALSE(guarded->read()) << "the guard adds no node";
    EXPECT_GT(nodes, 5);
    plain->drop();
    guarded->drop();
}

TEST_F(SafeXmlFileTest, MissingFilesAndFoldersGiveNoReader) {
    EXPECT_EQ(sorn::createGuardedXmlReader(editor.device->getFileSystem(), dir.file("absent.xml").c_str()), nullptr);
    EXPECT_EQ(sorn::createGuardedXmlReader(editor.device->getFileSystem(), dir.path().c_str()), nullptr);
    EXPECT_EQ(sorn::createGuardedXmlReader(nullptr, "x.xml"), nullptr);
}

// Every "<!" is decided by the few units after it: a file of many unended
// ones is read in one pass (each used to search the rest of the file, which
// for this file meant about ten billion steps) and still read safely.
TEST_F(SafeXmlFileTest, ManyUnendedDeclarationsAreDecidedLocally) {
    std::string text = "<lang>";
    for (int i = 0; i < 50000; ++i)
        text += "<![<!<<";
    EXPECT_GE(readAll(text), 1);
    EXPECT_GE(readAll("<lang><![]]><!-->" + text), 1);
}

} // namespace

// The one byte-order-mark decoder that the settings, language and scene
// readers share: each mark, its absence and a mark cut short by the file's end.
TEST(ByteOrderMark, TellsEncodingsApartAndDecodesTheirUnits) {
    struct Case {
        const char* name;
        std::string bytes;
        unsigned unitSize;
        bool bigEndian;
        unsigned markSize;
        std::vector<uint32_t> units; // what follows the mark
    };
    using B = std::string;
    const Case cases[] = {
        {"UTF-32 LE", B("\xFF\xFE\0\0<\0\0\0\xE9\0\0\0\x00\x30\x01\0", 16), 4, false, 4, {'<', 0xE9, 0x13000}},
        {"UTF-32 BE", B("\0\0\xFE\xFF\0\0\0<\0\x01\x30\0", 12), 4, true, 4, {'<', 0x13000}},
        {"UTF-16 LE", B("\xFF\xFE<\0\xE9\0\xAC\x20", 8), 2, false, 2, {'<', 0xE9, 0x20AC}},
        {"UTF-16 BE", B("\xFE\xFF\0<\x20\xAC", 6), 2, true, 2, {'<', 0x20AC}},
        {"UTF-16 LE, not UTF-32", B("\xFF\xFE\0\x01", 4), 2, false, 2, {0x100}},
        {"UTF-8 mark", B("\xEF\xBB\xBF<\xC3\xA9"), 1, false, 3, {'<', 0xC3, 0xA9}},
        {"no mark", B("<a/>"), 1, false, 0, {'<', 'a', '/', '>'}},
        {"UTF-8 mark cut short", B("\xEF\xBB"), 1, false, 0, {0xEF, 0xBB}},
        {"UTF-32 BE mark cut short", B("\0\0\xFE", 3), 1, false, 0, {0, 0, 0xFE}},
        {"empty", B(), 1, false, 0, {}},
        {"partial unit left out", B("\xFE\xFF\0<\x20", 5), 2, true, 2, {'<'}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto* bytes = reinterpret_cast<const unsigned char*>(c.bytes.data());
        const sorn::TextEncoding encoding = sorn::detectEncoding(bytes, c.bytes.size());
        EXPECT_EQ(encoding.unitSize, c.unitSize);
        EXPECT_EQ(encoding.bigEndian, c.bigEndian);
        EXPECT_EQ(encoding.markSize, c.markSize);
        std::vector<uint32_t> units{7, 7, 7, 7, 7, 7, 7, 7};
        sorn::decodeCodeUnits(bytes + encoding.markSize, c.bytes.size() - encoding.markSize, encoding, units);
        EXPECT_EQ(units, c.units);
        for (size_t i = 0; i < c.units.size(); ++i)
            EXPECT_EQ(sorn::codeUnitAt(bytes + encoding.markSize + i * encoding.unitSize, encoding), c.units[i]);
        std::string again(c.units.size() * encoding.unitSize, '\0');
        for (size_t i = 0; i < c.units.size(); ++i)
            sorn::encodeCodeUnit(c.units[i], encoding.unitSize, encoding.bigEndian,
                                 reinterpret_cast<unsigned char*>(&again[i * encoding.unitSize]));
        EXPECT_EQ(again, c.bytes.substr(encoding.markSize, again.size()));
    }
}
