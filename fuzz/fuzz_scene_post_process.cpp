// The post-processing of saved scenes: the decimal commas a decimal-comma
// locale leaves in numbers become points, and nothing else changes. The
// rewriter streams the file in blocks, so the result must not depend on where
// the blocks are cut; the file pipeline must give what the rewriter gives.
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "app/PathText.h"
#include "files/DecimalCommas.h"
#include "files/ScenePostProcess.h"

using sorn::fuzz::require;

namespace {

// The whole text through the rewriter in one call.
std::vector<unsigned char> rewrittenWhole(const uint8_t* data, size_t size, bool& changed) {
    std::vector<unsigned char> text(data, data + size);
    sorn::DecimalCommaRewriter rewriter(sorn::detectEncoding(text.data(), text.size()));
    rewriter.feed(text.data(), text.size());
    rewriter.finish();
    changed = rewriter.changed();
    return text;
}

// The text through the rewriter in pieces whose lengths follow its own bytes,
// each call given the bytes the previous one did not return as final first.
std::vector<unsigned char> rewrittenInPieces(const uint8_t* data, size_t size, bool& changed) {
    std::vector<unsigned char> out;
    std::vector<unsigned char> block;
    sorn::DecimalCommaRewriter rewriter(sorn::detectEncoding(data, size));
    size_t at = 0;
    for (size_t step = 0; at < size; ++step) {
        const size_t piece = 1 + data[step % size] % 23;
        const size_t count = piece < size - at ? piece : size - at;
        block.insert(block.end(), data + at, data + at + count);
        at += count;
        const size_t final = rewriter.feed(block.data(), block.size());
        require(final <= block.size(), "no more bytes are final than were given");
        out.insert(out.end(), block.begin(), block.begin() + final);
        block.erase(block.begin(), block.begin() + final);
    }
    rewriter.finish();
    out.insert(out.end(), block.begin(), block.end());
    changed = rewriter.changed();
    return out;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    sorn::fuzz::startNullDevice(); // only for its quiet standard output
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    bool changedWhole = false, changedPieces = false;
    const std::vector<unsigned char> whole = rewrittenWhole(data, size, changedWhole);
    const std::vector<unsigned char> pieces = rewrittenInPieces(data, size, changedPieces);
    require(whole == pieces, "the rewrite does not depend on the blocks");
    require(changedWhole == changedPieces, "the change is noticed in every cut");

    // Every byte stays where it is; only commas turn into points.
    const sorn::TextEncoding encoding = sorn::detectEncoding(data, size);
    bool differs = false;
    for (size_t i = 0; i < size; ++i) {
        if (whole[i] == data[i])
            continue;
        differs = true;
        require(data[i] == ',' && whole[i] == '.', "only commas become points");
        // The whole code unit is the comma, not a character that holds its byte.
        const size_t unit = i - i % encoding.unitSize;
        require(unit + encoding.unitSize <= size, "a changed byte lies in a whole unit");
        for (size_t k = unit; k < unit + encoding.unitSize; ++k)
            require(k == i || data[k] == 0, "only comma characters change");
    }
    require(differs == changedWhole, "a change is reported exactly when a byte changed");
    if (!sorn::holdsDigitCommaDigit(data, size, 0, encoding))
        require(!changedWhole, "text without a comma between digits is left alone");

    // The file pipeline gives the same bytes and keeps the file's size.
    const std::string path = sorn::fuzz::scratchFile("saved.irr");
    if (!sorn::fuzz::writeBytes(path, data, size))
        return 0;
    require(sorn::postProcessScene(sorn::widePath(path)), "a readable scene file is post-processed");
    const std::string after = sorn::fuzz::readBytes(path);
    require(std::string(whole.begin(), whole.end()) == after,
            "the file holds what the rewriter gives");
    return 0;
}
