#pragma once
// The scene as 8-bit text, made while the engine's scene writer writes it.
// The engine writes its text as wide characters (UTF-32 here, 4 bytes each,
// a byte-order mark first); this write file sits between that writer and the
// file underneath and passes on each character as one byte or as UTF-8, so
// the file is a quarter of the size and nothing else about the save changes.
//
// The engine's XML reader reads an 8-bit file one byte a character and
// decodes no character references, so each text is written as whoever reads
// it back needs it:
// - the engine's own 8-bit text (node names, mesh and texture paths, enum
//   literals, attribute names) reaches the file as the bytes the engine
//   holds, so its reader gives back exactly those bytes. Paths are the file
//   system's bytes, UTF-8 here, so they are UTF-8 in the file too;
// - the custom property texts of a node's user data (the "string" and
//   "stringwarray" values inside <userData>, a text node's text among them)
//   are wide text that may hold any character: they are written as UTF-8,
//   which the editor decodes when it reads an 8-bit scene;
// - a node name whose bytes the editor's reading would take for UTF-8 (and
//   decode) is written as UTF-8, so that the decoding gives it back;
// - a character beyond 0xFF outside those texts (the engine writes none) is
//   written as UTF-8.
// No byte-order mark is written: the engine's reader and other readers of
// ".irr" files take a file without one as 8-bit text, UTF-8 by default.
#include <irrlicht.h>

#include <cstdint>
#include <string>
#include <vector>

namespace sorn {

class SceneTextWriteFile : public irr::io::IWriteFile {
public:
    // Writes into inner (grabbed; dropped with this file, after the last bytes).
    explicit SceneTextWriteFile(irr::io::IWriteFile* inner);
    ~SceneTextWriteFile() override;

    irr::s32 write(const void* buffer, irr::u32 sizeToWrite) override;
    // The engine's writers only append; moving is refused.
    bool seek(long finalPos, bool relativeMovement = false) override;
    long getPos() const override;
    const irr::io::path& getFileName() const override;

private:
    enum class Input { Unknown, Wide4, Bytes };
    enum class State { Text, TagStart, TagName, InTag, AttributeName, BeforeValue, Value };
    enum class ValueMode { Bytes, Utf8, Name };

    void character(uint32_t c);
    void tagNameDone();
    void valueStarts();
    void valueEnds();
    void putByte(unsigned char b);
    void putUtf8(uint32_t c);
    void putNameValue();
    bool flush();

    irr::io::IWriteFile* inner_;
    Input input_ = Input::Unknown;
    unsigned char partial_[4] = {};
    unsigned partialSize_ = 0;
    std::vector<unsigned char> out_;
    bool failed_ = false;

    State state_ = State::Text;
    std::string tagName_;       // of the tag being read, cut short
    std::string attributeName_; // of the attribute being read, cut short
    std::string entryName_;     // the tag's name="..." value, cut short
    bool capturingEntryName_ = false;
    bool emptyTag_ = false;
    uint32_t quote_ = 0;
    ValueMode mode_ = ValueMode::Bytes;
    std::vector<uint32_t> nameValue_;
    int userDataDepth_ = 0;
};

} // namespace sorn
