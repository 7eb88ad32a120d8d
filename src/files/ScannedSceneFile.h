#pragma once
// A ".irr" scene read once. The engine's XML reader asks for the file's size
// and then reads the whole file in one call into a buffer of its own; this
// file serves that call piece by piece (1 MiB), each piece read from the disk
// straight into the engine's buffer, fed to the scene scanner (decoded by the
// byte-order mark as the engine will decode it) and counted for the progress
// window. When the last byte is in, the scan's verdict is known and the
// engine has parsed nothing yet:
// - refused: the engine is handed an empty text (zeros);
// - accepted: the caller's gate runs, still inside the read (the file checks
//   of what the scene names, the caller's own preparation); a gate that says
//   no hands the engine an empty text too.
// Behind the text comes a short guard tail in the same encoding (see
// SceneScanDetail.h). The engine's buffer is the only copy of the bytes.
//
// 8-bit text (what the editor saves, what exporters write) is handed over
// already widened to UTF-32 in this machine's byte order, behind its mark:
// the engine's reader would otherwise read it into a buffer of its own and
// widen it into a second one four times as large, byte by byte. The units
// are the characters it would make (each byte's value), so the engine reads
// the same text either way; the pieces read are scanned as 8-bit text while
// they are still in the cache.
#include <irrlicht.h>

#include <functional>
#include <string>
#include <vector>

#include "app/ByteOrderMark.h"
#include "files/SceneScan.h"

namespace sorn {

// What must come before the engine reads an accepted scene; false keeps the
// scene from the engine (whoever said no has told the user).
using SceneGate = std::function<bool(const SceneScan& scan)>;

class ScannedSceneFile : public irr::io::IReadFile {
public:
    // Takes over the caller's reference to source, read from its start.
    // hook (may be empty) hears each referenced file as the scan meets it.
    ScannedSceneFile(irr::io::IReadFile* source, SceneGate gate, SceneReferenceHook hook);
    ~ScannedSceneFile() override;

    irr::s32 read(void* buffer, irr::u32 sizeToRead) override;
    bool seek(long finalPos, bool relativeMovement = false) override;
    // What the engine's reader is handed: the text as it reads it and the guard tail.
    long getSize() const override { return size_; }
    long getPos() const override { return position_; }
    const irr::io::path& getFileName() const override { return source_->getFileName(); }

    // The bytes of the file itself (its mark and whole code units), for progress.
    long fileBytes() const { return usable_; }

    // The verdict once every byte was read: the scan's refusal, or
    // Unreadable when the bytes could not be read whole and in order.
    const SceneScan& scan() const { return scan_; }
    // Whether the verdict is known (a refusal may be known before the end).
    bool decided() const { return decided_; }
    // Whether the engine was handed the text: accepted and let through by the gate.
    bool handedOver() const { return handedOver_; }
    // Whether the scan accepted the text and the gate said no.
    bool declined() const { return declined_; }

private:
    void feed(const unsigned char* bytes, long count);
    bool readPieces(unsigned char* out, long from, long count);
    bool readWidened(unsigned char* out, long from, long count);
    void decide();

    irr::io::IReadFile* source_;
    SceneGate gate_;
    SceneScanner scanner_;
    SceneScan scan_;
    TextEncoding encoding_;
    unsigned char head_[4] = {};
    long headSize_ = 0;
    long usable_ = 0;   // byte-order mark and whole code units of the file
    bool widened_ = false;  // 8-bit text handed over as UTF-32 units
    long handedText_ = 0;   // the handed bytes before the guard tail
    long size_ = 0;         // handed text and the guard tail
    long position_ = 0;     // what the reader asked for next (handed bytes)
    long readUpTo_ = 0;     // bytes of the file read in order and fed so far
    long handedUpTo_ = 0;   // handed bytes given in order so far
    bool failed_ = false;
    bool decided_ = false;
    bool handedOver_ = false;
    bool declined_ = false;
    // A code unit cut by the end of a piece, and units decoded for the scanner.
    unsigned char carry_[4] = {};
    unsigned carried_ = 0;
    std::vector<uint32_t> units_;
    std::vector<unsigned char> tail_;
    std::vector<unsigned char> piece_; // a piece of 8-bit text before it is widened
    unsigned char cutUnit_[4] = {};    // a widened unit cut by the end of a read
    long cutUnitLeft_ = 0;             // and how many of its bytes are still to give
};

// The scene file at path (on disk or in a mounted archive) opened for one
// read, or null with why set (Unreadable: missing, not a regular file,
// unreadable; TooLarge: more than the engine's reader holds).
ScannedSceneFile* openScannedSceneFile(irr::io::IFileSystem* fileSystem, const irr::io::path& path,
                                       SceneGate gate, SceneReferenceHook hook, SceneScan* why);

} // namespace sorn
