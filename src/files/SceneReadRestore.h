#pragma once
// Gives back what the engine's scene reader drops or changes, from the
// records the scan took of the file (SceneFileRecords.h). Handed to loadScene
// in place of the user-data hooks it wraps: every call is passed on unchanged,
// except that a user-data string the reader cut is made whole first. It notes
// the nodes the engine creates; restore() then matches them with the records
// and puts back affectors, emitter values, frame loops and names.
#include <irrlicht.h>

#include <vector>

#include "files/SceneFileRecords.h"

namespace sorn {

class SceneReadRestore : public irr::scene::ISceneUserDataSerializer {
public:
    // inner may be null; root is the node the scene is loaded under.
    SceneReadRestore(irr::scene::ISceneManager* sceneManager, const SceneFileRecords& records,
                     irr::scene::ISceneUserDataSerializer* inner, irr::scene::ISceneNode* root);

    void OnCreateNode(irr::scene::ISceneNode* node) override;
    void OnReadUserData(irr::scene::ISceneNode* forSceneNode, irr::io::IAttributes* userData) override;
    irr::io::IAttributes* createUserData(irr::scene::ISceneNode* forSceneNode) override;

    // After loadScene: restores every node created with a record that matches it.
    void restore();

    // The file is 8-bit text: the engine's reader gives each byte as a
    // character of its own, so names and custom property texts that spell
    // UTF-8 (as exporters write it) are decoded to what they spell. Names,
    // which the engine keeps as 8-bit text, only when every character fits.
    void decodeUtf8Text(bool eightBitFile) { decodeUtf8_ = eightBitFile; }

private:
    bool made(size_t record) const { return made_[record]; }
    void restoreRecords();
    void restoreNode(irr::scene::ISceneNode* node, const RecordedEntry* entries, size_t count);

    irr::scene::ISceneManager* sceneManager_;
    const SceneFileRecords& records_;
    irr::scene::ISceneUserDataSerializer* inner_;
    irr::scene::ISceneNode* root_;
    // Per node record: whether the engine can make it (a factory knows its
    // type and it sits under nodes it can make).
    std::vector<bool> made_;
    // The node type of each recorded type name, or ESNT_UNKNOWN.
    std::vector<irr::scene::ESCENE_NODE_TYPE> types_;
    // The user-data blocks the engine will read, in order, and how many it has.
    std::vector<uint32_t> userDataRead_;
    size_t userDataCalls_ = 0;
    bool decodeUtf8_ = false;
    std::vector<irr::scene::ISceneNode*> created_;
    std::vector<uint16_t> createdDepths_;
};

} // namespace sorn
