#include "files/NodeProgress.h"

#include <vector>

#include "app/WorkProgress.h"

using namespace irr;

namespace sorn {

void NodeProgressSerializer::count() {
    // The first node ends the reading of the bytes: from here on, nodes count.
    if (counted_++ == 0)
        setWorkTotal(total_, ProgressUnit::Nodes);
    advanceWork(counted_);
}

void NodeProgressSerializer::OnCreateNode(scene::ISceneNode* node) {
    if (inner_)
        inner_->OnCreateNode(node);
    count();
}

void NodeProgressSerializer::OnReadUserData(scene::ISceneNode* forSceneNode, io::IAttributes* userData) {
    if (inner_)
        inner_->OnReadUserData(forSceneNode, userData);
}

io::IAttributes* NodeProgressSerializer::createUserData(scene::ISceneNode* forSceneNode) {
    count();
    return inner_ ? inner_->createUserData(forSceneNode) : nullptr;
}

unsigned long long writtenNodeCount(scene::ISceneNode* root) {
    if (!root)
        return 0;
    unsigned long long count = 0;
    // A list rather than recursion: scenes may nest deeply.
    std::vector<scene::ISceneNode*> open{root};
    while (!open.empty()) {
        scene::ISceneNode* node = open.back();
        open.pop_back();
        ++count;
        for (scene::ISceneNode* child : node->getChildren())
            if (!child->isDebugObject())
                open.push_back(child);
    }
    return count;
}

} // namespace sorn
