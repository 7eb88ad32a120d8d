// The scan a scene file passes before the engine reads it: completeness,
// markup the engine's reader would misread, nesting, value bounds and the
// files the scene names; the same verdict in every encoding the engine reads.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

#include "files/ScannedSceneFile.h"
#include "files/SceneScan.h"
#include "files/SceneScanRuns.h"
#include "support/EditorFixture.h"
#include "support/NullDevice.h"

using namespace irr;
using sorn::SceneRefusal;
using sorn::SceneScan;

namespace {

SceneScan scanUnits(const std::vector<uint32_t>& units, size_t piece) {
    sorn::SceneScanner scanner;
    for (size_t at = 0; at < units.size(); at += piece)
        scanner.feed(units.data() + at, std::min(piece, units.size() - at));
    return scanner.finish();
}

// The scan of units fed in small pieces, so that every construct is cut
// somewhere; fed whole and one unit at a time it must say the same.
SceneScan scanWideText(const std::vector<uint32_t>& units) {
    SceneScan scan = scanUnits(units, 7);
    for (const size_t piece : {size_t{1}, units.size() + 1}) {
        const SceneScan other = scanUnits(units, piece);
        EXPECT_EQ(other.refusal, scan.refusal) << "fed " << piece << " at a time";
        EXPECT_EQ(other.detail, scan.detail) << "fed " << piece << " at a time";
        EXPECT_EQ(other.referencedFiles, scan.referencedFiles) << "fed " << piece << " at a time";
    }
    return scan;
}

SceneScan scanText(const std::string& text) {
    std::vector<uint32_t> units(text.begin(), text.end());
    for (uint32_t& unit : units)
        unit &= 0xFF;
    return scanWideText(units);
}

std::string scene(const std::string& body) {
    return "<?xml version=\"1.0\"?>\n<irr_scene>\n" + body + "</irr_scene>\n";
}

std::string node(const std::string& type, const std::string& attributes, const std::string& inner = "") {
    return "<node type=\"" + type + "\"><attributes>" + attributes + "</attributes>" + inner + "</node>";
}

std::string entry(const std::string& type, const std::string& name, const std::string& value) {
    return "<" + type + " name=\"" + name + "\" value=\"" + value + "\" />";
}

// The same entry with its value written before its name.
std::string entryValueFirst(const std::string& type, const std::string& name, const std::string& value) {
    return "<" + type + " value=\"" + value + "\" name=\"" + name + "\" />";
}

std::string repeat(const std::string& text, int times) {
    std::string out;
    out.reserve(text.size() * times);
    for (int i = 0; i < times; ++i)
        out += text;
    return out;
}

TEST(SceneScanner, MarkupTheEngineReadsAsWrittenIsAcceptedAndTheRestRefused) {
    struct Case {
        const char* what;
        std::string text;
        SceneRefusal refusal;
    };
    const std::string cube = node("cube", entry("float", "Size", "10"));
    const Case cases[] = {
        {"a scene", scene(cube), SceneRefusal::None},
        {"an empty scene element", "<irr_scene/>", SceneRefusal::None},
        {"comments and single quotes", "<!-- saved -->" + scene("<!---->" + cube + "<cube name='a' value='b'/>"),
         SceneRefusal::None},
        {"text after the scene", scene(cube) + " trailing words", SceneRefusal::None},
        {"cut in the middle", scene(cube).substr(0, 60), SceneRefusal::NotAScene},
        {"cut inside a value", scene(cube).substr(0, scene(cube).find("10") + 1), SceneRefusal::NotAScene},
        {"empty", "", SceneRefusal::NotAScene},
        {"another kind of XML", "<lang><string name=\"a\" value=\"b\"/></lang>", SceneRefusal::NotAScene},
        {"two scenes", scene(cube) + scene(cube), SceneRefusal::NotAScene},
        {"an end tag that closes another element", "<irr_scene><node type=\"cube\"></attributes></irr_scene>",
         SceneRefusal::NotAScene},
        {"an end tag the engine reads as another name", "<irr_scene><node type=\"cube\"></node ></irr_scene>",
         SceneRefusal::NotAScene},
        {"a zero inside", scene(cube).insert(30, 1, '\0'), SceneRefusal::NotAScene},
        {"a comment too short for the engine", scene("<!-->" + cube), SceneRefusal::NotAScene},
        {"a comment holding a tag", scene("<!-- <b> -->" + cube), SceneRefusal::NotAScene},
        {"character data", scene("<![CDATA[x]]>" + cube), SceneRefusal::NotAScene},
        {"a document type", "<!DOCTYPE irr>" + scene(cube), SceneRefusal::NotAScene},
        {"a second name", scene("<int name=\"a\" name=\"SubDivideU\" value=\"1\"/>"), SceneRefusal::NotAScene},
        {"an attribute without quotes", scene("<int name=a value=\"1\"/>"), SceneRefusal::NotAScene},
        {"a tag without a name", scene("< node></node>"), SceneRefusal::NotAScene},
    };
    for (const Case& c : cases)
        EXPECT_EQ(scanText(c.text).refusal, c.refusal) << c.what;
}

// The engine's wide reader sees whole units: one beyond a byte whose low byte
// is markup is text. Attribute names are compared by their low bytes, as the
// entry checks read names and values.
TEST(SceneScanner, UnitsBeyondAByteAreNotMarkupAndNamesAreReadByTheirLowBytes) {
    struct Case {
        const char* what;
        std::u32string body;
        SceneRefusal refusal;
    };
    const Case cases[] = {
        {"text units whose low byte is '<' or zero", U"\u013C\u0100<a>\u013C</a>", SceneRefusal::None},
        {"a value unit whose low byte is its quote", U"<int name=\"a\u0122\" value='b\u0127'/>", SceneRefusal::None},
        {"an end tag unit whose low byte is '>'", U"<a></a\u013E>", SceneRefusal::NotAScene},
        {"a declaration unit whose low byte is '>'", U"<?x \u013E<a>?>", SceneRefusal::None},
        {"a name attribute with a wide letter", U"<int \u016Eame=\"SubDivideU\" value=\"100000\"/>",
         SceneRefusal::ValueOutOfBounds},
        {"a value attribute with a wide letter", U"<int name=\"SubDivideU\" \u0176ALUE=\"100000\"/>",
         SceneRefusal::ValueOutOfBounds},
        {"a longer attribute ending in 'name'", U"<int \u0100name=\"a\" name=\"SubDivideU\" value=\"1\"/>",
         SceneRefusal::None},
    };
    for (const Case& c : cases) {
        const std::u32string text = U"<irr_scene><node type=\"empty\"><attributes>" + c.body +
                                    U"</attributes></node></irr_scene>";
        EXPECT_EQ(scanWideText(std::vector<uint32_t>(text.begin(), text.end())).refusal, c.refusal) << c.what;
    }
}

// Runs are looked through several units at a time: the first of the two
// wanted units is found wherever it falls in a block, at any alignment,
// and units that only share its low byte (or a byte that differs in its
// high bit) are passed over.
TEST(SceneScanRuns, FindTheFirstOfTwoUnitsWhereverItFalls) {
    using sorn::scan_runs::findEither;
    for (size_t length = 0; length <= 40; ++length) {
        for (size_t at = 0; at <= length; ++at) {
            for (const uint32_t wanted : {uint32_t{'<'}, uint32_t{0}}) {
                std::vector<uint32_t> wide(length + 1, '<' + 0x100);
                std::vector<unsigned char> bytes(length + 1, '<' | 0x80);
                for (size_t i = 1; i <= length; i += 3)
                    wide[i] = 0x10000, bytes[i] = 'x';
                if (at < length) {
                    wide[1 + at] = wanted;
                    bytes[1 + at] = static_cast<unsigned char>(wanted);
                    if (at + 3 < length)
                        wide[at + 4] = bytes[at + 4] = '<';
                }
                // From the second unit on, so that blocks start off their alignment.
                EXPECT_EQ(findEither(wide.data() + 1, wide.data() + 1 + length, '<', 0) - (wide.data() + 1),
                          static_cast<std::ptrdiff_t>(at))
                    << length << " " << at << " " << wanted;
                EXPECT_EQ(findEither(bytes.data() + 1, bytes.data() + 1 + length, '<', 0) - (bytes.data() + 1),
                          static_cast<std::ptrdiff_t>(at))
                    << length << " " << at << " " << wanted;
            }
        }
    }
}

TEST(SceneScanner, NestingIsBoundedForNodesEvenWhenEmptyAndForAnyElement) {
    const std::string open = "<node type=\"empty\">";
    const int limit = sorn::kMaxNodeDepth;
    EXPECT_EQ(scanText(scene(repeat(open, limit) + repeat("</node>", limit))).refusal, SceneRefusal::None);
    EXPECT_EQ(scanText(scene(repeat(open, limit + 1) + repeat("</node>", limit + 1))).refusal,
              SceneRefusal::NestedTooDeeply);
    // The engine goes a level deeper at every <node/> and only comes back at "</node>".
    EXPECT_EQ(scanText(scene(repeat("<node type=\"empty\"/>", limit + 1))).refusal, SceneRefusal::NestedTooDeeply);
    EXPECT_EQ(scanText(scene(repeat("<node type=\"empty\"></node>", 3 * limit))).refusal, SceneRefusal::None);
    const int elements = sorn::kMaxElementDepth;
    EXPECT_EQ(scanText(scene(repeat("<a>", elements) + repeat("</a>", elements))).refusal,
              SceneRefusal::NestedTooDeeply);
    EXPECT_EQ(scanText(scene(repeat("<a>", elements - 1) + repeat("</a>", elements - 1))).refusal,
              SceneRefusal::None);
}

TEST(SceneScanner, EntriesInOneAttributeBlockAreBounded) {
    const std::string point = entry("vector3d", "Point", "1, 1, 1");
    const auto animator = [&](int points) {
        return scene("<node type=\"empty\"><animators><attributes>" + repeat(point, points) +
                     "</attributes></animators></node>");
    };
    EXPECT_EQ(scanText(animator(sorn::kMaxAttributesPerBlock)).refusal, SceneRefusal::None);
    EXPECT_EQ(scanText(animator(sorn::kMaxAttributesPerBlock + 1)).refusal, SceneRefusal::ValueOutOfBounds);
}

TEST(SceneScanner, EveryBoundedValueIsCheckedWhateverItsTypeCaseOrSpelling) {
    for (size_t i = 0; i < sorn::kSceneValueBoundCount; ++i) {
        const sorn::SceneValueBound& bound = sorn::kSceneValueBounds[i];
        const std::string name = bound.name;
        std::string lower = name;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const auto verdict = [&](const std::string& type, const std::string& as, const std::string& value) {
            return scanText(scene(node("empty", entry(type, as, value)))).refusal;
        };
        const std::string highest = std::to_string(static_cast<long long>(bound.highest));
        const std::string lowest = std::to_string(static_cast<long long>(bound.lowest));
        EXPECT_EQ(verdict("int", name, highest), SceneRefusal::None) << name;
        EXPECT_EQ(verdict("int", name, lowest), SceneRefusal::None) << name;
        EXPECT_EQ(verdict("int", name, std::to_string(static_cast<long long>(bound.highest) + 1)),
                  SceneRefusal::ValueOutOfBounds) << name;
        EXPECT_EQ(verdict("int", lower, "100000000"), SceneRefusal::ValueOutOfBounds) << lower;
        EXPECT_EQ(verdict("int", name, "-1"), SceneRefusal::ValueOutOfBounds) << name;
        EXPECT_EQ(verdict("float", name, ".5e10"), SceneRefusal::ValueOutOfBounds) << name;
        EXPECT_EQ(verdict("string", name, "1e8"), SceneRefusal::ValueOutOfBounds) << name;
        EXPECT_EQ(verdict("int", name, "99999999999999999999999"), SceneRefusal::ValueOutOfBounds) << name;
        // Written value first, the value is read before the name says it is bounded.
        const auto valueFirst = [&](const std::string& value) {
            return scanText(scene(node("empty", entryValueFirst("int", name, value)))).refusal;
        };
        EXPECT_EQ(valueFirst("-1"), SceneRefusal::ValueOutOfBounds) << name;
        EXPECT_EQ(valueFirst(highest), SceneRefusal::None) << name;
    }
    const SceneScan refused = scanText(scene(node("volumeLight", entry("int", "subDivideU", "100000000"))));
    EXPECT_EQ(refused.detail, "subDivideU=\"100000000\"");
    // Other names are not bounded.
    EXPECT_EQ(scanText(scene(node("cube", entry("float", "Size", "1e30")))).refusal, SceneRefusal::None);
}

// A sky dome reads every value from each of its attribute blocks: a vertical
// resolution of 0, also one the block leaves out, makes the engine allocate 8 GB.
TEST(SceneScanner, EverySkyDomeAttributeBlockHoldsAVerticalResolutionOfAtLeastOne) {
    struct Case {
        const char* what;
        std::string body;
        SceneRefusal refusal;
    };
    const std::string both = entry("int", "HorizontalResolution", "16") + entry("int", "VerticalResolution", "8");
    const std::string horizontal = entry("int", "HorizontalResolution", "16");
    const Case cases[] = {
        {"both resolutions", node("skyDome", both), SceneRefusal::None},
        {"no vertical resolution", node("skyDome", horizontal), SceneRefusal::ValueOutOfBounds},
        {"a vertical resolution of 0", node("skyDome", horizontal + entry("int", "VerticalResolution", "0")),
         SceneRefusal::ValueOutOfBounds},
        {"one read as 0", node("skyDome", horizontal + entry("float", "VerticalResolution", "0.5")),
         SceneRefusal::ValueOutOfBounds},
        {"a name the engine does not find", node("skyDome", horizontal + entry("int", "verticalResolution", "8")),
         SceneRefusal::ValueOutOfBounds},
        {"an entry whose name the engine does not see",
         node("skyDome", horizontal + "<int Name=\"VerticalResolution\" value=\"8\"/>"), SceneRefusal::ValueOutOfBounds},
        {"an entry whose value the engine does not see",
         node("skyDome", horizontal + "<int name=\"VerticalResolution\" VALUE=\"8\"/>"), SceneRefusal::ValueOutOfBounds},
        {"an empty block", "<node type=\"skyDome\"><attributes/></node>", SceneRefusal::ValueOutOfBounds},
        {"a second block without it", node("skyDome", both, "<attributes>" + horizontal + "</attributes>"),
         SceneRefusal::ValueOutOfBounds},
        {"a sky dome among several types",
         "<node type=\"skyDome\" Type=\"cube\"><attributes>" + horizontal + "</attributes></node>",
         SceneRefusal::ValueOutOfBounds},
        {"a sky dome with no block keeps its own", "<node type=\"skyDome\"></node>", SceneRefusal::None},
        {"other nodes need none", node("cube", horizontal), SceneRefusal::None},
        {"nor a node inside a sky dome", node("skyDome", both, node("cube", "")), SceneRefusal::None},
        {"nor the dome's materials", node("skyDome", both, "<materials><attributes></attributes></materials>"),
         SceneRefusal::None},
    };
    for (const Case& c : cases) {
        const SceneScan scan = scanText(scene(c.body));
        EXPECT_EQ(scan.refusal, c.refusal) << c.what;
        if (c.refusal == SceneRefusal::ValueOutOfBounds)
            EXPECT_NE(scan.detail.find("VerticalResolution"), std::string::npos) << c.what;
    }
}

// The values of a particle system and its emitter, absurd ones as a hostile
// scene holds them, with the emitter kind and its shape entries. Visible and
// never culled, so that the engine draws (and emits) at every frame.
std::string particleSystem(const std::string& kind, const std::string& shape = "") {
    return node("particleSystem",
                entry("vector3d", "Scale", "1, 1, 1") + entry("bool", "Visible", "true") +
                    entry("int", "AutomaticCulling", "0") + entry("float", "ParticleWidth", "1e39") + entry("float", "ParticleHeight", "nan") +
                    entry("enum", "Emitter", kind) + shape + entry("vector3d", "Direction", "1e39, nan, -1e30") +
                    entry("float", "MinStartSizeWidth", "nan") + entry("float", "MaxStartSizeWidth", "3.4e38") +
                    entry("float", "MaxStartSizeHeight", "-1e39") + entry("int", "MinParticlesPerSecond", "100000") +
                    entry("int", "MaxParticlesPerSecond", "100000") + entry("int", "MinLifeTime", "2147483647") +
                    entry("int", "MaxLifeTime", "-1") + entry("int", "MaxAngleDegrees", "-2147483648"));
}

// Every emitter kind the engine has, with the shape entries it reads, and
// whether a scene may hold it. A mesh emitter read from a scene has no mesh
// (a scene cannot name one): the engine's first frame divides by its vertex
// count, or reads through the missing mesh, whatever the other values.
struct EmitterKindCase {
    const char* kind;
    std::string shape;
    bool admitted;
};
const EmitterKindCase kEmitterKinds[] = {
    {"Point", "", true},
    {"Box", entry("vector3d", "Box", "1e39, nan, 0"), true},
    {"Sphere", entry("vector3d", "Center", "nan, 0, 0") + entry("float", "Radius", "1e39"), true},
    {"Cylinder",
     entry("vector3d", "Normal", "0, 0, 0") + entry("float", "Radius", "nan") + entry("float", "Length", "1e39") +
         entry("bool", "OutlineOnly", "true"),
     true},
    {"Ring", entry("float", "Radius", "-1e39") + entry("float", "RingThickness", "nan"), true},
    {"Mesh", "", false},
    {"AnimatedMesh", "", false},
};

TEST(SceneScanner, ParticleSystemsWithAMeshEmitterAreRefusedWhateverTheSpelling) {
    struct Case {
        const char* what;
        std::string body;
        bool refused;
    };
    const std::string mesh = entry("enum", "Emitter", "Mesh");
    const Case cases[] = {
        {"another case of the kind", node("particleSystem", entry("enum", "Emitter", "animatedmesh")), true},
        {"another entry type", node("particleSystem", entry("string", "Emitter", "MESH")), true},
        {"another case of the name", node("particleSystem", entry("enum", "emitter", "Mesh")), true},
        {"another case of the node type", node("ParticleSystem", mesh), true},
        {"among several type attributes",
         "<node type=\"cube\" Type=\"particleSystem\"><attributes>" + mesh + "</attributes></node>", true},
        {"a sky dome too", "<node type=\"skyDome\" Type=\"particleSystem\"><attributes>" +
                               entry("int", "VerticalResolution", "8") + mesh + "</attributes></node>",
         true},
        {"in a second block", node("particleSystem", entry("enum", "Emitter", "Point"), "<attributes>" + mesh +
                                                                                          "</attributes>"),
         true},
        {"its value written before its name", node("particleSystem", entryValueFirst("enum", "Emitter", "Mesh")), true},
        {"a name the engine gives no emitter", node("particleSystem", entry("enum", "Emitter", "Mesh ")), false},
        {"another node kind", node("cube", mesh), false},
        {"the system's user data", node("particleSystem", "", "<userData><attributes>" + mesh +
                                                                  "</attributes></userData>"),
         false},
        {"the system's materials", node("particleSystem", "", "<materials><attributes>" + mesh +
                                                                  "</attributes></materials>"),
         false},
        {"a node inside the system", node("particleSystem", "", node("empty", mesh)), false},
    };
    for (const Case& c : cases) {
        const SceneScan scan = scanText(scene(c.body));
        EXPECT_EQ(scan.refusal, c.refused ? SceneRefusal::ValueOutOfBounds : SceneRefusal::None) << c.what;
        if (c.refused)
            EXPECT_TRUE(scan.detail.rfind("Emitter=", 0) == 0 || scan.detail.rfind("emitter=", 0) == 0)
                << c.what << ": " << scan.detail;
    }
    for (const EmitterKindCase& k : kEmitterKinds) {
        const SceneScan scan = scanText(scene(particleSystem(k.kind, k.shape)));
        EXPECT_EQ(scan.refusal, k.admitted ? SceneRefusal::None : SceneRefusal::ValueOutOfBounds) << k.kind;
        if (!k.admitted)
            EXPECT_EQ(scan.detail, std::string("Emitter=\"") + k.kind + "\"");
    }
}

TEST(SceneScanner, ListsEachMeshTextureAndHeightMapOnceAsTheEngineWillOpenIt) {
    const std::string body =
        node("mesh", entry("string", "Mesh", "models/ship.3ds"),
             "<materials><attributes>" + entry("texture", "Texture1", "skin.png") +
                 entry("texture", "Texture2", "") + "</attributes></materials>") +
        node("terrain", entry("string", "Heightmap", "/maps/height.bmp")) +
        node("animatedMesh", entry("string", "Mesh", "models/ship.3ds")) +
        node("empty", "", "<animators><attributes>" + entry("texture", "Texture1", "skin.png") +
                              entry("texture", "Texture2", "frame2.png") + "</attributes></animators>") +
        node("mesh", entryValueFirst("string", "mesh", "models/boat.obj"),
             "<materials><attributes>" + entryValueFirst("Texture", "Texture1", "sail.png") +
                 "</attributes></materials>") +
        node("terrain", entryValueFirst("string", "HeightMap", "maps/dunes.bmp")) +
        // A name met before as another kind is checked again as this one.
        node("mesh", entry("string", "Mesh", "skin.png")) + node("terrain", entry("string", "Heightmap", "skin.png"));
    const SceneScan scan = scanText(scene(body));
    ASSERT_EQ(scan.refusal, SceneRefusal::None);
    const std::vector<std::string> expected = {"models/ship.3ds", "skin.png",  "/maps/height.bmp", "frame2.png",
                                               "models/boat.obj", "sail.png", "maps/dunes.bmp", "skin.png", "skin.png"};
    EXPECT_EQ(scan.referencedFiles, expected);
    using K = sorn::UntrustedKind;
    const std::vector<K> kinds = {K::Model, K::Image, K::HeightMap, K::Image, K::Model,
                                  K::Image, K::HeightMap, K::Model, K::HeightMap};
    EXPECT_EQ(scan.referencedKinds, kinds);
}

// The names the records tell apart, spelled exactly as the engine's reader
// compares them; every near miss is an element of no account.
TEST(SceneRecords, ElementsAreKnownByTheirExactNamesOnly) {
    using sorn::SceneElement;
    const struct {
        const char* name;
        SceneElement kind;
    } cases[] = {
        {"irr_scene", SceneElement::Scene},       {"node", SceneElement::Node},
        {"attributes", SceneElement::Attributes}, {"materials", SceneElement::Materials},
        {"animators", SceneElement::Animators},   {"userData", SceneElement::UserData},
        {"int", SceneElement::Int},               {"float", SceneElement::Float},
        {"bool", SceneElement::Bool},             {"string", SceneElement::String},
        {"enum", SceneElement::Enum},             {"color", SceneElement::Color},
        {"colorf", SceneElement::Colorf},         {"vector3d", SceneElement::Vector3d},
        {"vector2d", SceneElement::Vector2d},     {"dimension2d", SceneElement::Dimension2d},
        {"Node", SceneElement::Other},            {"nodes", SceneElement::Other},
        {"nod", SceneElement::Other},             {"userdata", SceneElement::Other},
        {"vector4d", SceneElement::Other},        {"vectorXd", SceneElement::Other},
        {"colorF", SceneElement::Other},          {"irr_scenes", SceneElement::Other},
        {"amimators", SceneElement::Other},       {"texture", SceneElement::Other},
        {"", SceneElement::Other},                {"attributes2", SceneElement::Other},
    };
    for (const auto& c : cases) {
        std::vector<uint32_t> units(c.name, c.name + std::strlen(c.name));
        EXPECT_EQ(sorn::sceneElementNamed(units.data(), units.size()), c.kind) << c.name;
        // The same letters one unit wider are no name the engine knows.
        if (!units.empty()) {
            units.back() |= 0x100;
            EXPECT_EQ(sorn::sceneElementNamed(units.data(), units.size()), SceneElement::Other) << c.name;
        }
    }
}

// The engine's XML reader, as measured: each value as it reads it. Whatever
// it cuts is one character after the last entity.
TEST(SceneRecords, EntitiesDecodeAsTheEnginesReaderDecodesThemAndItsCutIsKnown) {
    struct Case {
        const char* file;
        const wchar_t* engineReads;
    };
    const Case cases[] = {
        {"R&amp;D", L"R&"},       {"x&lt;y", L"x<"},         {"&amp;B", L"&"},
        {"A&amp;BC", L"A&BC"},    {"A&amp;", L"A&"},         {"&amp;&lt;B", L"&<"},
        {"a&b", L"a&b"},          {"a&bc", L"a&bc"},         {"&amp;&x", L"&&x"},
        {"&amp;&xy", L"&&xy"},    {"&amp;x&amp;", L"&x&"},   {"p&quot;q", L"p\""},
        {"&amp;&amp;z", L"&&"},   {"A&amp;B&xyzzz", L"A&B&xyzzz"}, {"&lt;&#65;x", L"<&#65;x"},
        {"&am", L"&am"},          {"&amp;ab&amp;c", L"&ab&"}, {"q&apos;s&gt;t", L"q's>"},
    };
    for (const Case& c : cases) {
        const std::string file = c.file;
        const std::vector<uint32_t> units(file.begin(), file.end());
        bool cut = false;
        std::wstring whole = sorn::decodeEntities(units.data(), units.size(), &cut);
        EXPECT_EQ(cut, whole != c.engineReads) << file;
        if (cut) {
            EXPECT_EQ(whole.back(), static_cast<wchar_t>(file.back())) << file;
            whole.pop_back();
        }
        EXPECT_EQ(whole, c.engineReads) << file;
    }
}

std::vector<std::string> recordedTypes(const sorn::SceneFileRecords& records) {
    std::vector<std::string> types;
    for (const sorn::NodeRecord& node : records.nodes)
        types.push_back(records.typeOf(node) + "@" + std::to_string(node.depth));
    return types;
}

std::vector<std::string> keptEntries(const sorn::SceneFileRecords& records, size_t node) {
    std::vector<std::string> kept;
    const sorn::NodeRecord& record = records.nodes[node];
    for (uint32_t i = 0; i < record.entryCount; ++i) {
        const sorn::RecordedEntry& entry = records.entries[record.firstEntry + i];
        kept.push_back(entry.name + "=" + std::string(entry.value.begin(), entry.value.end()));
    }
    return kept;
}

TEST(SceneRecords, NodesComeInTheEnginesCreationOrderWithWhatItsReaderDrops) {
    const std::string particles =
        entry("string", "Name", "R&amp;D") + entry("enum", "Emitter", "Point") +
        entry("vector3d", "Direction", "0, 0, 0") + entry("int", "MinParticlesPerSecond", "500") +
        entry("int", "MaxParticlesPerSecond", "600") + entry("int", "MinLifeTime", "1000") +
        entry("enum", "Affector", "FadeOut") + entry("color", "TargetColor", "000a141e") +
        entry("int", "Fade&amp;Time", "7") +
        entry("enum", "Affector", "Gravity") + entry("vector3d", "Gravity", "0, -1, 0");
    const std::string userData = "<userData><attributes>" + entry("string", "Text", "x&lt;y") +
                                 entry("string", "Whole", "x&lt;yz") + entry("int", "Cut", "1&amp;2") +
                                 "</attributes></userData>";
    const std::string body =
        node("empty", entry("string", "Name", "a&amp;bc"),
             node("particleSystem", particles, userData) +
                 node("animatedMesh", entry("string", "Name", "m") + entry("int", "StartFrame", "10") +
                                          entry("int", "EndFrame", "40") + entry("int", "StartFrame", "3"))) +
        node("Unknown&amp;Type", "", "<userData><attributes>" + entry("string", "T", "&lt;b") + "</attributes></userData>") +
        // Only the latest attribute block of a node counts.
        node("animatedMesh", entry("int", "StartFrame", "1") + entry("int", "EndFrame", "2"),
             "<attributes>" + entry("string", "Name", "n") + "</attributes>") +
        // An empty node element stays open until an end tag of a node or
        // of the scene: the sphere is read into the cube.
        "<node type=\"cube\"/>" + node("sphere", entry("string", "Name", "S&gt;1"));
    const SceneScan scan = scanText(scene("<attributes>" + entry("string", "Name", "root&amp;1") + "</attributes>" + body));
    ASSERT_EQ(scan.refusal, SceneRefusal::None);
    const sorn::SceneFileRecords& records = scan.records;
    EXPECT_FALSE(records.givenUp);
    const std::vector<std::string> order = {"particleSystem@2", "animatedMesh@2", "empty@1", "Unknown&Type@1",
                                            "animatedMesh@1", "sphere@2", "cube@1"};
    EXPECT_EQ(recordedTypes(records), order);
    ASSERT_EQ(records.nodes.size(), order.size());
    const std::vector<std::string> particleKept = {
        "Name=R&D", "Emitter=Point", "Direction=0, 0, 0", "MinParticlesPerSecond=500", "MaxParticlesPerSecond=600",
        "Affector=FadeOut", "TargetColor=000a141e", "Fade&Time=7", "Affector=Gravity", "Gravity=0, -1, 0"};
    EXPECT_EQ(keptEntries(records, 0), particleKept);
    EXPECT_EQ(keptEntries(records, 1), (std::vector<std::string>{"StartFrame=10", "EndFrame=40"}));
    EXPECT_EQ(keptEntries(records, 2), std::vector<std::string>()) << "two characters after the entity are read";
    EXPECT_EQ(keptEntries(records, 4), std::vector<std::string>());
    EXPECT_EQ(keptEntries(records, 5), std::vector<std::string>{"Name=S>1"});
    ASSERT_EQ(scan.records.sceneEntries.size(), 1u);
    EXPECT_EQ(scan.records.sceneEntries[0].value, L"root&1");

    ASSERT_EQ(records.userData.size(), 2u);
    EXPECT_EQ(records.userData[0].owner, 0u);
    ASSERT_EQ(records.userData[0].cutCount, 1u) << "only strings the reader cuts";
    EXPECT_EQ(records.cutStrings[records.userData[0].firstCut].name, "Text");
    EXPECT_EQ(records.cutStrings[records.userData[0].firstCut].value, L"x<y");
    EXPECT_EQ(records.userData[1].owner, 3u);
}

TEST(SceneRecords, RecordsStayBoundedAndAreGivenUpPastTheirBounds) {
    // 100,000 nodes cost a few bytes each.
    const SceneScan many = scanText(scene(repeat(node("cube", entry("string", "Name", "c")), 100000)));
    ASSERT_EQ(many.refusal, SceneRefusal::None);
    EXPECT_EQ(many.records.nodes.size(), 100000u);
    EXPECT_LE(many.records.nodes.capacity() * sizeof(sorn::NodeRecord), 4u << 20);
    EXPECT_TRUE(many.records.entries.empty());

    std::string types;
    for (size_t i = 0; i <= sorn::kMaxRecordedTypes; ++i)
        types += node("kind" + std::to_string(i), "");
    const SceneScan foreign = scanText(scene(types));
    EXPECT_EQ(foreign.refusal, SceneRefusal::None) << "records never refuse a scene";
    EXPECT_TRUE(foreign.records.givenUp);
    EXPECT_TRUE(foreign.records.nodes.empty());

    // A value longer than a record keeps is left as the engine reads it.
    const std::string longName = repeat("n", static_cast<int>(sorn::kMaxRecordedValueLength)) + "&amp;x";
    const SceneScan longScan = scanText(scene(node("empty", entry("string", "Name", longName))));
    ASSERT_EQ(longScan.records.nodes.size(), 1u);
    EXPECT_EQ(longScan.records.nodes[0].entryCount, 0u);
}

// A mesh that is not there is stood in for with room for the materials the
// scene gives it: the most <attributes> entries in the <materials> of any
// node naming it, counted as the engine's reader counts them.
TEST(SceneScanner, CountsTheMostMaterialsOfAnyNodeNamingEachMesh) {
    const std::string material = "<attributes>" + entry("enum", "Type", "solid") + "</attributes>";
    const auto materials = [&](int count) { return "<materials>" + repeat(material, count) + "</materials>"; };
    const std::string body =
        node("mesh", entry("string", "Mesh", "room.3ds"), materials(2)) +
        // Nested: the child's materials are its own, the parent's come after it.
        node("animatedMesh", entry("string", "Mesh", "ship.b3d"),
             node("mesh", entry("string", "Mesh", "room.3ds"), materials(5)) + materials(1) +
                 "<animators><attributes>" + entry("texture", "Texture1", "frame.png") + "</attributes></animators>") +
        node("mesh", entry("string", "Mesh", "ship.b3d"), "<materials><attributes/><attributes/>" + material +
                                                              "</materials><userData>" + material + "</userData>") +
        node("octTree", entry("string", "Mesh", "bare.obj")) +
        node("cube", "", materials(4));
    const SceneScan scan = scanText(scene(body));
    ASSERT_EQ(scan.refusal, SceneRefusal::None);
    const std::vector<std::string> files = {"room.3ds", "ship.b3d", "frame.png", "bare.obj"};
    ASSERT_EQ(scan.referencedFiles, files);
    const std::vector<unsigned> counts = {5, 3, 0, 0};
    EXPECT_EQ(scan.referencedMaterialCounts, counts);
}

class SceneFileScanTest : public sorn::test::NullDeviceTest {
protected:
    io::IFileSystem* files() const { return sorn::editor.device->getFileSystem(); }
    SceneScan scanFile(const std::string& name, const std::string& bytes) {
        sorn::test::writeFile(dir.file(name), bytes);
        return sorn::scanSceneFile(files(), dir.file(name).c_str());
    }
    sorn::test::TempDir dir;
};

// The text in the encodings the engine's reader tells apart by their mark.
std::string encoded(const std::string& text, int unitSize, bool bigEndian, const std::string& mark) {
    std::string out = mark;
    for (unsigned char c : text)
        for (int k = 0; k < unitSize; ++k) {
            const int shift = 8 * (bigEndian ? unitSize - 1 - k : k);
            out += static_cast<char>(shift == 0 ? c : 0);
        }
    return out;
}

// Every emitter kind the scan admits, with the absurd values of a hostile
// scene, opened by the engine and drawn: frames of 16 ms, one pause of ten
// seconds (the largest burst), and frames again.
TEST_F(SceneFileScanTest, EveryEmitterKindTheScanAdmitsDrawsWithAbsurdValues) {
    scene::ISceneManager* smgr = sorn::editor.sceneManager;
    smgr->addCameraSceneNode(nullptr, core::vector3df(0, 30, -100), core::vector3df(0, 0, 0));
    ITimer* timer = sorn::editor.device->getTimer();
    int drawn = 0;
    for (const EmitterKindCase& k : kEmitterKinds) {
        const SceneScan scan = scanFile("system.irr", scene(particleSystem(k.kind, k.shape)));
        ASSERT_EQ(scan.accepted(), k.admitted) << k.kind;
        if (!scan.accepted())
            continue;
        io::IReadFile* file =
            sorn::openScannedSceneFile(files(), dir.file("system.irr").c_str(), nullptr, nullptr, nullptr);
        ASSERT_NE(file, nullptr);
        EXPECT_TRUE(smgr->loadScene(file)) << k.kind;
        file->drop();
        u32 now = timer->getTime();
        for (int frame = 0; frame < 40; ++frame) {
            now += frame == 20 ? 10000 : 16;
            timer->setTime(now);
            smgr->drawAll();
        }
        core::array<scene::ISceneNode*> systems;
        smgr->getSceneNodesFromType(scene::ESNT_PARTICLE_SYSTEM, systems);
        ASSERT_EQ(systems.size(), 1u) << k.kind;
        ASSERT_NE(static_cast<scene::IParticleSystemSceneNode*>(systems[0])->getEmitter(), nullptr) << k.kind;
        systems[0]->remove();
        ++drawn;
    }
    EXPECT_EQ(drawn, 5);
}

TEST_F(SceneFileScanTest, EveryEncodingGivesTheSameVerdictAcrossBlocks) {
    // More than one read block, so that units and tags straddle blocks.
    const std::string body = repeat(node("mesh", entry("string", "Mesh", "a.obj")), 20000);
    const std::string good = scene(body);
    const std::string deep = scene(repeat("<node type=\"empty\">", 2000) + repeat("</node>", 2000));
    struct Encoding {
        int unitSize;
        bool bigEndian;
        std::string mark;
    };
    const Encoding encodings[] = {
        {4, false, std::string("\xFF\xFE\0\0", 4)}, {4, true, std::string("\0\0\xFE\xFF", 4)},
        {2, false, "\xFF\xFE"}, {2, true, "\xFE\xFF"}, {1, false, "\xEF\xBB\xBF"}, {1, false, ""},
    };
    for (const Encoding& e : encodings) {
        const SceneScan scan = scanFile("good.irr", encoded(good, e.unitSize, e.bigEndian, e.mark));
        EXPECT_EQ(scan.refusal, SceneRefusal::None) << e.unitSize << e.bigEndian << e.mark.size();
        EXPECT_EQ(scan.referencedFiles, std::vector<std::string>{"a.obj"});
        EXPECT_EQ(scan.unitSize, static_cast<unsigned>(e.unitSize));
        EXPECT_EQ(scanFile("deep.irr", encoded(deep, e.unitSize, e.bigEndian, e.mark)).refusal,
                  SceneRefusal::NestedTooDeeply);
        const std::string cut = encoded(good, e.unitSize, e.bigEndian, e.mark);
        EXPECT_EQ(scanFile("cut.irr", cut.substr(0, cut.size() - 3 * e.unitSize - 1)).refusal,
                  SceneRefusal::NotAScene);
    }
}

TEST_F(SceneFileScanTest, SizeBoundIsWhatTheEnginesReaderHoldsNotFiveHundredMegabytes) {
    // Sparse files: no disk space, and a scan that stops at the first block.
    const auto sparse = [&](const std::string& name, unsigned long long size) {
        int fd = ::open(dir.file(name).c_str(), O_CREAT | O_WRONLY, 0600);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(::write(fd, "<irr_scene>", 11), 11);
        EXPECT_EQ(ftruncate(fd, static_cast<off_t>(size)), 0);
        ::close(fd);
        return sorn::scanSceneFile(files(), dir.file(name).c_str()).refusal;
    };
    EXPECT_EQ(sparse("600MiB.irr", 600ull << 20), SceneRefusal::NotAScene) << "read, not refused for its size";
    EXPECT_EQ(sparse("limit.irr", sorn::kMaxSceneFileSize - 16), SceneRefusal::NotAScene);
    EXPECT_EQ(sparse("over.irr", sorn::kMaxSceneFileSize + 1), SceneRefusal::TooLarge);
    EXPECT_EQ(sparse("4GiB.irr", 4ull << 30), SceneRefusal::TooLarge);
}

TEST_F(SceneFileScanTest, MissingFoldersAndPipesAreUnreadable) {
    ASSERT_EQ(mkfifo(dir.file("pipe.irr").c_str(), 0600), 0);
    ASSERT_EQ(mkdir(dir.file("folder.irr").c_str(), 0700), 0);
    for (const char* name : {"pipe.irr", "folder.irr", "missing.irr"})
        EXPECT_EQ(sorn::scanSceneFile(files(), dir.file(name).c_str()).refusal,
                  SceneRefusal::Unreadable)
            << name;
}

// The engine's one read of the whole file is served from the disk and scanned
// as it goes: the text reaches the engine only when the scan accepted it and
// the gate let it through, and the gate has heard every file named before it
// runs; anything else (a refusal, a file cut short or shortened while read, a
// read out of order) hands the engine zeros. 8-bit text reaches it as the
// UTF-32 units its reader would have made of each byte, in one read or many.
TEST_F(SceneFileScanTest, OneReadHandsTheTextOverOnlyWhenTheScanAndTheGateAgree) {
    const std::string utf32Mark("\xFF\xFE\0\0", 4);
    const std::string utf8Mark = "\xEF\xBB\xBF";
    const auto handedAs = [&](const std::string& text) {
        if (text.compare(0, 4, utf32Mark) == 0)
            return text;
        const bool marked = text.compare(0, 3, utf8Mark) == 0;
        return encoded(marked ? text.substr(3) : text, 4, false, utf32Mark);
    };
    const std::string good = scene(node("mesh", entry("string", "Mesh", "a.obj")) +
                                   node("cube", "", "<materials><attributes>" +
                                                        entry("texture", "Texture1", "b.png") +
                                                        "</attributes></materials>"));
    // Longer than what the file's reader buffers when its first bytes are read.
    const std::string padded = good + "<!--" + std::string(1 << 16, 'x') + "-->";
    // Names beyond ASCII, as UTF-8 bytes and as one Latin-1 byte.
    const std::string named = scene(node("empty", entry("string", "Name", "Gr\xC3\xBC\xC3\x9F\xE9")) +
                                    node("mesh", entry("string", "Mesh", "a.obj")) +
                                    node("cube", "", entry("texture", "Texture1", "b.png")));
    enum class Reading { Whole, InPieces, ShortenedMeanwhile, FromTheMiddle };
    struct Case {
        const char* what;
        std::string text;
        bool gateSays;
        Reading reading;
        bool handed;
        SceneRefusal refusal;
        int gateCalls;
    };
    const Case cases[] = {
        {"accepted", good, true, Reading::Whole, true, SceneRefusal::None, 1},
        {"in UTF-32", encoded(good, 4, false, utf32Mark), true, Reading::Whole, true, SceneRefusal::None, 1},
        {"bytes beyond ASCII", named, true, Reading::Whole, true, SceneRefusal::None, 1},
        {"behind a UTF-8 mark, read in pieces", utf8Mark + named, true, Reading::InPieces, true, SceneRefusal::None,
         1},
        {"padded, read in pieces", padded, true, Reading::InPieces, true, SceneRefusal::None, 1},
        {"in UTF-32, read in pieces", encoded(good, 4, false, utf32Mark), true, Reading::InPieces, true,
         SceneRefusal::None, 1},
        {"declined by the gate", good, false, Reading::Whole, false, SceneRefusal::None, 1},
        {"cut at the end", good.substr(0, good.size() - 2), true, Reading::Whole, false, SceneRefusal::NotAScene, 0},
        {"out of bounds", scene(node("sphere", entry("int", "PolyCountX", "65536"))), true, Reading::Whole, false,
         SceneRefusal::ValueOutOfBounds, 0},
        {"shortened while read", padded, true, Reading::ShortenedMeanwhile, false, SceneRefusal::Unreadable, 0},
        {"read out of order", good, true, Reading::FromTheMiddle, false, SceneRefusal::Unreadable, 0},
    };
    for (const Case& c : cases) {
        sorn::test::writeFile(dir.file("level.irr"), c.text);
        int gateCalls = 0;
        std::vector<std::string> heard;
        const sorn::SceneGate gate = [&](const SceneScan& scan) {
            ++gateCalls;
            EXPECT_EQ(heard, scan.referencedFiles) << c.what;
            return c.gateSays;
        };
        const sorn::SceneReferenceHook hook = [&](const std::string& path, sorn::UntrustedKind) {
            heard.push_back(path);
        };
        sorn::ScannedSceneFile* file =
            sorn::openScannedSceneFile(files(), dir.file("level.irr").c_str(), gate, hook, nullptr);
        ASSERT_NE(file, nullptr) << c.what;
        if (c.reading == Reading::ShortenedMeanwhile)
            ASSERT_EQ(truncate(dir.file("level.irr").c_str(), static_cast<off_t>(c.text.size() / 2)), 0);
        if (c.reading == Reading::FromTheMiddle)
            ASSERT_TRUE(file->seek(8));
        const long size = file->getSize() - file->getPos();
        std::string bytes(static_cast<size_t>(size), 'x');
        // Pieces of a size that cuts UTF-32 units: 4 bytes a character handed over.
        const long piece = c.reading == Reading::InPieces ? 37 : size;
        for (long at = 0; at < size; at += piece) {
            const long wanted = std::min(piece, size - at);
            ASSERT_EQ(file->read(&bytes[static_cast<size_t>(at)], static_cast<u32>(wanted)), wanted) << c.what;
        }
        EXPECT_EQ(gateCalls, c.gateCalls) << c.what;
        EXPECT_EQ(file->handedOver(), c.handed) << c.what;
        EXPECT_EQ(file->declined(), c.gateCalls == 1 && !c.handed) << c.what;
        EXPECT_EQ(file->scan().refusal, c.refusal) << c.what;
        if (c.handed) {
            const std::string handed = handedAs(c.text);
            EXPECT_EQ(bytes.substr(0, handed.size()), handed) << c.what;
            EXPECT_EQ(bytes.substr(handed.size(), 4), std::string(4, '\0'))
                << "the guard tail starts with an end of text";
            EXPECT_EQ(heard, (std::vector<std::string>{"a.obj", "b.png"})) << c.what;
        } else {
            EXPECT_EQ(bytes, std::string(bytes.size(), '\0')) << c.what;
        }
        file->drop();
    }
}

} // namespace
