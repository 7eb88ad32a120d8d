#pragma once
// What the engine's scene reader drops or changes, taken from the file during
// the scan so that it can be given back once the engine has read the scene:
// - a particle system's affectors (its reader never gets to them) and the
//   emitter values it clamps (rates to 1..200 a second, a zero direction);
// - an animated mesh's frame loop (setting the mesh resets it);
// - a water surface's mesh name (it keeps a copy the mesh cache does not know);
// - a node name or user-data string whose last character the XML reader
//   drops (one character after the last entity: "R&amp;D" reads "R&").
// Nodes are recorded in the order the engine reports creating them (each
// after everything inside it); user-data blocks in the order it reads them.
// Every sequence is bounded: past a bound the records are given up and the
// scene opens as the engine alone reads it.
#include <cstdint>
#include <string>
#include <vector>

namespace sorn {

// The attribute types of a recorded entry (the engine's element names).
enum class RecordedType : uint8_t { Int, Float, Bool, String, Enum, Color, Colorf, Vector3d, Vector2d, Dimension2d };

// One entry of an attribute block, with its value in full (every character
// of the file, entities decoded, nothing cut).
struct RecordedEntry {
    RecordedType type;
    std::string name;
    std::wstring value;
};

// A node the engine will try to create: its type as the engine reads it, its
// depth below the scene (1 for a node at the top) and its kept entries.
struct NodeRecord {
    uint16_t type;
    uint16_t depth;
    uint32_t firstEntry;
    uint32_t entryCount;
};

// A user-data attribute block; owner is a node record index or kSceneOwner.
struct UserDataRecord {
    uint32_t owner;
    uint32_t firstCut;
    uint32_t cutCount;
};

struct SceneFileRecords {
    static constexpr uint32_t kSceneOwner = 0xFFFFFFFFu;

    std::vector<std::string> typeNames;    // distinct node types, indexed by NodeRecord::type
    std::vector<NodeRecord> nodes;         // in creation order
    std::vector<RecordedEntry> entries;    // kept entries of the nodes
    std::vector<RecordedEntry> sceneEntries; // kept entries of the scene's own block
    std::vector<UserDataRecord> userData;  // in reading order
    std::vector<RecordedEntry> cutStrings; // user-data strings the reader cuts
    bool givenUp = false;                  // a bound was passed: nothing is restored

    const std::string& typeOf(const NodeRecord& node) const { return typeNames[node.type]; }
};

// Bounds of the records (a 100,000-node scene takes about 1.2 MB).
constexpr size_t kMaxRecordedNodes = 1u << 20;
constexpr size_t kMaxRecordedUserData = 1u << 20;
constexpr size_t kMaxRecordedTypes = 1024;
constexpr size_t kMaxRecordedBytes = 16u << 20;   // kept entries and cut strings together
constexpr size_t kMaxRecordedValueLength = 4096;  // longer values are not kept

// The element names the engine's scene reader tells apart: the scene, its
// nodes and blocks, and the attribute types of the entries the records keep.
// Every other name is Other.
enum class SceneElement : uint8_t {
    Other, Scene, Node, Attributes, Materials, Animators, UserData,
    Int, Float, Bool, String, Enum, Color, Colorf, Vector3d, Vector2d, Dimension2d,
};
// The element an exactly spelled name is.
namespace scene_element_detail {

// Whether units hold word exactly (count is word's length).
inline bool unitsSpell(const uint32_t* units, size_t count, const char* word) {
    for (size_t i = 0; i < count; ++i)
        if (units[i] != static_cast<unsigned char>(word[i]))
            return false;
    return true;
}

inline SceneElement spelled(const uint32_t* units, size_t count, const char* word, SceneElement kind) {
    return unitsSpell(units, count, word) ? kind : SceneElement::Other;
}

} // namespace scene_element_detail

inline SceneElement sceneElementNamed(const uint32_t* u, size_t n) {
    using scene_element_detail::spelled;
    // Told apart by length and a letter, then compared in full: this runs
    // for every element of the file.
    using E = SceneElement;
    switch (n) {
    case 3: return spelled(u, n, "int", E::Int);
    case 4: return u[0] == 'n' ? spelled(u, n, "node", E::Node)
                   : u[0] == 'b' ? spelled(u, n, "bool", E::Bool)
                                 : spelled(u, n, "enum", E::Enum);
    case 5: return u[0] == 'f' ? spelled(u, n, "float", E::Float) : spelled(u, n, "color", E::Color);
    case 6: return u[0] == 's' ? spelled(u, n, "string", E::String) : spelled(u, n, "colorf", E::Colorf);
    case 8: return u[0] == 'u' ? spelled(u, n, "userData", E::UserData)
                   : u[6] == '3' ? spelled(u, n, "vector3d", E::Vector3d)
                                 : spelled(u, n, "vector2d", E::Vector2d);
    case 9: return u[0] == 'm' ? spelled(u, n, "materials", E::Materials)
                   : u[0] == 'a' ? spelled(u, n, "animators", E::Animators)
                                 : spelled(u, n, "irr_scene", E::Scene);
    case 10: return spelled(u, n, "attributes", E::Attributes);
    case 11: return spelled(u, n, "dimension2d", E::Dimension2d);
    default: return E::Other;
    }
}


// A value as the engine's XML reader decodes it (the five entities), and
// whether it drops the last character of that decoding.
std::wstring decodeEntities(const uint32_t* units, size_t count, bool* cut);

// The engine's reading of a scene as a stream of elements: which node each
// attribute block, user-data block and end tag belongs to, as its reader
// treats them (a "<node/>" stays open until a "</node>", a block runs to the
// end tag of its name). Fed by the scene scan.
class SceneRecordsBuilder {
public:
    SceneRecordsBuilder();
    // An element's start: what its name is, and for entries the exactly
    // spelled "name" and "value" (null when absent); for nodes the exact "type".
    struct Element {
        SceneElement kind = SceneElement::Other;
        const std::vector<uint32_t>* entryName = nullptr;
        const std::vector<uint32_t>* entryValue = nullptr;
        const std::vector<uint32_t>* nodeType = nullptr;
    };
    void elementStarted(const Element& element) {
        // Inside a block of no account (a material's, an animator's) only
        // the block's own end matters: most elements of a scene are there.
        if (block_ != Block::Other)
            readElementStart(element);
    }
    // Whether an element starting now is an entry the records may keep: only
    // then are its name and value worth taking down.
    bool keepsEntries() const { return block_ == Block::NodeAttributes || block_ == Block::UserDataAttributes; }
    void elementEnded(SceneElement kind);
    // The end of the text: every node still open is done, inner first.
    SceneFileRecords finish();

private:
    enum class Block : uint8_t { None, NodeAttributes, UserData, UserDataAttributes, Materials, Animators, Other };
    enum class Kind : uint8_t { Other, ParticleSystem, AnimatedMesh, WaterSurface };
    struct Frame {
        uint16_t type;
        Kind kind;
        bool sameNode;                 // a nested scene element: the same node again
        std::vector<RecordedEntry> kept; // from its latest attribute block
        std::vector<uint32_t> userData;  // its user-data blocks, owner still unknown
    };

    void readElementStart(const Element& element);
    void openNode(const std::vector<uint32_t>* type, bool scene);
    void closeNode();
    Frame& readingNode();
    void keepEntry(const Element& element);
    uint16_t typeIndex(const std::string& type);
    bool spend(size_t bytes);
    void giveUp();

    SceneFileRecords records_;
    std::vector<Frame> frames_;
    Block block_ = Block::None;
    Block outer_ = Block::None; // the block an attribute block sits in
    // Entries of the attribute block being read.
    std::vector<RecordedEntry> blockEntries_;
    bool affectorsBegun_ = false;
    size_t spent_ = 0;
    bool sceneOpened_ = false;
};

} // namespace sorn
