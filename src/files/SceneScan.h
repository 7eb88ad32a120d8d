#pragma once
// The scan of a ".irr" scene file, made as the engine's reader is handed its
// bytes (see ScannedSceneFile.h), before the engine parses any of them.
// The engine's scene reader trusts what the file asks for: it recurses once
// per nested node, builds geometry of whatever subdivision a node names,
// smooths a terrain as often as told and looks attributes up one by one. The
// scan refuses a file that is incomplete or foreign, nested too deeply, or
// asking for values beyond the bounds below, and lists the model, texture and
// height-map files the engine would open on the scene's behalf. It reads the
// file in fixed blocks; per node it keeps only a compact record of what the
// engine's reader will drop (see SceneFileRecords.h).
#include <irrlicht.h>

#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "files/check/FileCheck.h"
#include "files/SceneFileRecords.h"

namespace sorn {

// Why a scene file is not opened.
enum class SceneRefusal {
    None,
    Unreadable,       // missing, not a regular file, unreadable, changed while opening
    TooLarge,         // more than the engine's XML reader can hold
    NotAScene,        // truncated, empty, foreign XML or markup the editor does not accept
    NestedTooDeeply,  // more nested nodes or elements than the bounds below
    ValueOutOfBounds, // a value that makes the engine allocate or work without bound
    // Files the user names (scenes, models, archives, images), told precisely:
    Missing,          // neither on disk nor in a mounted archive
    NotAFile,         // a folder, device or pipe
    NoAccess,         // on disk but cannot be opened (the system's reason in the detail)
    NoLoader,         // no loader of the engine takes files with this extension
    NothingLoaded,    // a loader took it and made nothing of it (no mesh, no geometry)
    NotAnArchive,     // no archive loader took it, or it holds no files
};

// Node nesting the engine's recursive reader (and the editor's own walks of
// the scene graph) survive with a wide margin, also in the sanitizer build.
constexpr int kMaxNodeDepth = 1024;
// Elements of any kind: a node holds at most two levels of its own
// (<attributes>, <materials>, <animators> and their entries).
constexpr int kMaxElementDepth = 2 * kMaxNodeDepth + 16;
// Entries in one <attributes> block: the engine looks each numbered entry of
// an animator ("Point1", "Texture1", ...) up by a linear search, so a block of
// n entries costs n * n (30,000 spline points take 17 seconds).
constexpr int kMaxAttributesPerBlock = 4096;

// The largest scene file: the engine reads the whole file into one buffer
// whose size it keeps in a signed 32-bit number, and adds a few bytes.
constexpr unsigned long long kMaxSceneFileSize = 0x7FFFFFFFull - 64;

// A numeric attribute, matched by name without regard to case, and its range.
struct SceneValueBound {
    const char* name;
    double lowest;
    double highest;
};
extern const SceneValueBound kSceneValueBounds[];
extern const size_t kSceneValueBoundCount;

struct SceneScan {
    SceneRefusal refusal = SceneRefusal::Unreadable;
    // For ValueOutOfBounds: what was refused, as name="value".
    std::string detail;
    // Distinct mesh, texture and height-map paths in the order first found,
    // as the engine will open them (each character cut to its low byte),
    // relative to the working directory at load time: the scene's folder.
    std::vector<std::string> referencedFiles;
    // What each of them is, in the same order.
    std::vector<UntrustedKind> referencedKinds;
    // For each of them, the most <materials> entries of any node naming it
    // as its mesh (0 for textures and height maps).
    std::vector<unsigned> referencedMaterialCounts;

    // How the engine is handed the file (see ScannedSceneFile.h).
    long usableBytes = 0;   // byte-order mark and whole code units
    unsigned unitSize = 1;  // 1, 2 or 4 bytes
    bool bigEndian = false;

    // What the engine's reader will drop or change, to be given back after it.
    SceneFileRecords records;

    bool accepted() const { return refusal == SceneRefusal::None; }
};

// Told of each referenced file as the scan first meets its name (the path as
// the scene holds it, narrowed as in referencedFiles), so that its check can
// start before the scan ends.
using SceneReferenceHook = std::function<void(const std::string& path, UntrustedKind kind)>;

// The scan alone of the file at path (on disk or inside a mounted archive),
// read as the engine's reader would be handed it, without the engine.
SceneScan scanSceneFile(irr::io::IFileSystem* fileSystem, const irr::io::path& path);

// The scanner on its own, fed code units as the engine's XML reader sees
// them; finish() gives the verdict.
class SceneScanner {
public:
    SceneScanner();
    void setReferenceHook(SceneReferenceHook hook) { referenceHook_ = std::move(hook); }
    void feed(const uint32_t* units, size_t count);
    // 8-bit text, one byte a code unit.
    void feed(const unsigned char* units, size_t count);
    // Whether the verdict is already a refusal (the rest need not be read).
    bool refused() const { return refused_; }
    // The verdict, once, at the end of the text.
    SceneScan finish();

private:
    enum class State {
        Text, TagStart, Declaration, BangStart, BangDash, Comment, ElementName, InTag,
        SlashInTag, AttributeName, AfterAttributeName, BeforeValue, Value, AfterValue, EndName,
    };
    enum class Capture { None, Name, Value, NodeType, Other };
    // What an open element is to the checks that depend on its place, as
    // flags: a node may name several types, and each is checked.
    enum Kind : uint8_t {
        SkyDomeNode = 1,
        SkyDomeAttributes = 2,
        ParticleSystemNode = 4,
        ParticleSystemAttributes = 8,
    };

    // The longest element or attribute name the scan accepts.
    static constexpr size_t kMaxNameLength = 64;
    // An element's or attribute's name, read in place: no allocation per
    // name. Its whole length is counted; its first Capacity units are kept.
    template <size_t Capacity>
    class Name {
    public:
        size_t size() const { return length_; }
        uint32_t operator[](size_t i) const { return units_[i]; }
        const uint32_t* begin() const { return units_; }
        const uint32_t* end() const { return units_ + (length_ < Capacity ? length_ : Capacity); }
        void clear() { length_ = 0; }
        template <typename Unit>
        void append(const Unit* from, const Unit* to) {
            const size_t count = static_cast<size_t>(to - from);
            const size_t room = length_ < Capacity ? Capacity - length_ : 0;
            const size_t kept = count < room ? count : room;
            for (size_t i = 0; i < kept; ++i)
                units_[length_ + i] = from[i];
            length_ += count;
        }

    private:
        uint32_t units_[Capacity];
        size_t length_ = 0;
    };

    template <typename Unit>
    void feedUnits(const Unit* p, size_t count);
    template <typename Unit>
    void keepValuePart(const Unit* from, const Unit* to);
    bool refuse(SceneRefusal refusal);
    void elementNameDone();
    void attributeNameDone();
    void elementOpened(bool empty);
    void elementClosed();
    void checkEntry(uint8_t parentKinds);
    // What the checks read an entry's value for, as flags.
    enum EntryValueUse : uint8_t { EmitterKind = 1, BoundedValue = 2, FileName = 4 };
    uint8_t entryValueUses(uint8_t parentKinds) const;
    void refuseMissingVerticalResolution();
    void checkEmitterKind();
    size_t addReferencedFile(const std::string& path, UntrustedKind kind);
    void countMaterialEntry();
    void nodeClosed();
    void recordElement();

    State state_ = State::Text;
    SceneScan result_;
    bool refused_ = false;
    bool rootSeen_ = false;
    bool rootClosed_ = false;
    int nodeDepth_ = 0;
    int attributesDepth_ = -1;
    int attributeEntries_ = 0;
    int commentLength_ = 0;
    int commentDashes_ = 0;

    // The open elements' names one after another, with where each starts.
    std::vector<uint32_t> openNames_;
    std::vector<uint32_t> openStarts_;
    std::vector<uint8_t> openKinds_;
    std::vector<SceneElement> openElements_;
    // A type attribute of the node element, narrowed to bytes, and whether
    // one of them names a sky dome.
    std::string nodeType_;
    bool skyDomeNode_ = false;
    // The same for a particle system.
    bool particleSystemNode_ = false;
    // Whether the open attribute block of a sky dome holds its vertical resolution.
    bool verticalResolutionSeen_ = false;
    Name<kMaxNameLength> name_;             // element name being read
    SceneElement element_ = SceneElement::Other; // what that name is, once read
    // The attribute name being read: only "name", "type" and "value" matter.
    Name<5> attributeName_;
    Capture capture_ = Capture::None;
    uint32_t quote_ = 0;
    // The element's "name" and "value" attributes, narrowed to bytes.
    std::string entryName_;
    std::string entryValue_;
    bool hasEntryName_ = false;
    bool hasEntryValue_ = false;
    // Whether they are spelled "name" and "value", as the engine looks them up.
    bool entryAttributesExact_ = true;
    bool valueOverflow_ = false;
    // What the checks read the entry's value for, once its name is known.
    uint8_t valueUses_ = 0;
    bool valueUsesKnown_ = false;
    std::vector<size_t> boundNameLengths_;
    uint64_t boundLengthMask_ = 0; // bit n: some bounded value's name has n letters

    // The exactly spelled "name", "value" and node "type" of the element in
    // full, as the records need them (the engine looks them up as written).
    enum class RecordCapture { None, Name, Value, Type };
    RecordCapture recordCapture_ = RecordCapture::None;
    std::vector<uint32_t> recordName_;
    std::vector<uint32_t> recordValue_;
    std::vector<uint32_t> recordType_;
    bool recordHasName_ = false;
    bool recordHasValue_ = false;
    bool recordHasType_ = false;
    bool recordValueTooLong_ = false; // the name or the value
    bool recordTypeTooLong_ = false;
    SceneRecordsBuilder records_;
    // Per open node: the mesh file it names (an index into referencedFiles,
    // or -1) and its material entries so far.
    struct NodeMaterials {
        long meshFile = -1;
        unsigned entries = 0;
    };
    std::vector<NodeMaterials> nodeMaterials_;
    // Each referenced file's index in referencedFiles, by kind and name: a
    // scene of thousands of textures finds a name met before in one step.
    std::unordered_map<std::string, size_t> referenceIndex_;
    SceneReferenceHook referenceHook_;
};

} // namespace sorn
