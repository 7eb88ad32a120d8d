#include "support/SceneSnapshot.h"

#include <cstdio>
#include <sstream>

#include "scene/TextNodeData.h"
#include "support/EditorFixture.h"

using namespace irr;

namespace sorn {
namespace test {

namespace {

bool isViewAttributeLine(const std::string& line) {
    return line.find("name=\"DebugDataVisible\"") != std::string::npos ||
           line.find("name=\"Visible\"") != std::string::npos;
}

void tally(scene::ISceneManager* smgr, scene::ISceneNode* node, std::map<std::string, unsigned>& counts) {
    for (scene::ISceneNode* child : node->getChildren()) {
        if (child->isDebugObject())
            continue;
        const c8* name = smgr->getSceneNodeTypeName(child->getType());
        ++counts[name ? name : "?"];
        tally(smgr, child, counts);
    }
}

// The engine writes wide characters (four bytes, little-endian, after a
// byte-order mark); the text is read back with every character beyond ASCII
// written as \u{hex}, so it can be compared and printed.
std::string readableText(const std::string& bytes) {
    const bool wide = bytes.size() >= 4 && bytes.compare(0, 4, std::string("\xff\xfe\0\0", 4)) == 0;
    if (!wide)
        return bytes;
    std::string text;
    for (size_t at = 4; at + 4 <= bytes.size(); at += 4) {
        unsigned long c = 0;
        for (int i = 3; i >= 0; --i)
            c = (c << 8) | static_cast<unsigned char>(bytes[at + i]);
        if (c < 128) {
            text += static_cast<char>(c);
        } else {
            char escaped[24];
            std::snprintf(escaped, sizeof escaped, "\\u{%lx}", c);
            text += escaped;
        }
    }
    return text;
}

} // namespace

std::string withoutViewAttributes(const std::string& sceneText) {
    std::istringstream in(sceneText);
    std::string kept, line;
    while (std::getline(in, line))
        if (!isViewAttributeLine(line))
            kept += line + "\n";
    // A value of zero is the same value whatever its sign (the engine writes
    // six decimals): the editor rightly records no step for it.
    const std::string negativeZero = "-0.000000";
    for (size_t at = kept.find(negativeZero); at != std::string::npos; at = kept.find(negativeZero, at))
        kept.erase(at, 1);
    return kept;
}

std::string canonicalSceneText(scene::ISceneManager* smgr, const std::string& scratchFile, f32 gridSize,
                               f32 gridSpacing) {
    if (!smgr->saveScene(scratchFile.c_str(), textNodeUserData()))
        return "<the scene could not be written>";
    std::ostringstream grid;
    grid << "grid " << gridSize << " " << gridSpacing << "\n";
    return withoutViewAttributes(readableText(readFile(scratchFile))) + grid.str();
}

unsigned countUserNodes(scene::ISceneNode* root) {
    unsigned count = 0;
    for (scene::ISceneNode* child : root->getChildren())
        if (!child->isDebugObject())
            count += 1 + countUserNodes(child);
    return count;
}

std::map<std::string, unsigned> tallyUserNodes(scene::ISceneManager* smgr) {
    std::map<std::string, unsigned> counts;
    tally(smgr, smgr->getRootSceneNode(), counts);
    return counts;
}

} // namespace test
} // namespace sorn
