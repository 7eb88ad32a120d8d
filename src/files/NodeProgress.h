#pragma once
// Progress by nodes for the engine's scene reader and writer, which say
// nothing while they work: the user-data hooks they call once a node are
// passed on, and each call counts as one node of the work (app/WorkProgress.h).
#include <irrlicht.h>

namespace sorn {

class NodeProgressSerializer : public irr::scene::ISceneUserDataSerializer {
public:
    // inner may be null; totalNodes is how many nodes the reader or writer will meet.
    NodeProgressSerializer(irr::scene::ISceneUserDataSerializer* inner, unsigned long long totalNodes)
        : inner_(inner), total_(totalNodes) {}

    void OnCreateNode(irr::scene::ISceneNode* node) override;
    void OnReadUserData(irr::scene::ISceneNode* forSceneNode, irr::io::IAttributes* userData) override;
    irr::io::IAttributes* createUserData(irr::scene::ISceneNode* forSceneNode) override;

    unsigned long long counted() const { return counted_; }

private:
    void count();

    irr::scene::ISceneUserDataSerializer* inner_;
    unsigned long long total_;
    unsigned long long counted_ = 0;
};

// The nodes the engine's scene writer writes from root: root itself and every
// node under it that is not a debug object nor under one.
unsigned long long writtenNodeCount(irr::scene::ISceneNode* root);

} // namespace sorn
