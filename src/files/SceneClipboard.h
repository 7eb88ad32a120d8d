#pragma once
// Nodes as scene text and back, for copy and paste: the text is an ".irr"
// document written by the same writer and user-data hooks as a save, so a
// node comes back with everything a saved file keeps; text coming back goes
// through the same scan, file checks and restoring of what the engine's
// reader drops as an opened file.
#include <irrlicht.h>

#include <string>
#include <vector>

#include "files/SceneScan.h"

namespace sorn {

// The nodes of the list that no other node of the list holds, each with
// everything under it, as one UTF-8 ".irr" document (empty when there is no
// such node: only the root, editor-owned nodes or nothing). Relative file
// names are written relative to the working directory, where a paste looks.
std::string sceneTextOfNodes(const std::vector<irr::scene::ISceneNode*>& nodes);

// The largest text pasted (a clipboard holding more is refused as TooLarge).
constexpr size_t kMaxPastedTextSize = 256u << 20;

struct PastedNodes {
    // None when nodes were made; NotAScene for text that holds no scene
    // (not even one bare <node> element); otherwise why the text was refused.
    SceneRefusal refusal = SceneRefusal::NotAScene;
    // The nodes made directly under the parent, in the text's order.
    std::vector<irr::scene::ISceneNode*> nodes;
};

// Reads text (UTF-8; a byte that is no part of a UTF-8 character stands for
// itself) holding a whole ".irr" document or bare <node> elements, and puts
// its nodes under parent. Nothing is made unless the whole text passes the
// scan; a referenced model or image the file check refuses is told in a
// message box and nothing is made.
PastedNodes pasteSceneText(const std::string& text, irr::scene::ISceneNode* parent);

// The text as the scan and the engine's reader get it: UTF-32 code units of
// a whole document, a byte-order mark first (bare nodes wrapped in a scene
// element), or empty when it holds no element a scene could start with.
std::vector<uint32_t> sceneDocumentUnits(const std::string& text);

} // namespace sorn
