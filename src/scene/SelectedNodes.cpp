#include "scene/SelectedNodes.h"

#include <algorithm>
#include <unordered_set>

#include "app/EditorState.h"
#include "scene/NodeLifetime.h"

using namespace irr;

namespace sorn {

namespace {

void primaryFollowsList() {
    editor.selectedNode = editor.selection.empty() ? nullptr : editor.selection.back();
    editor.nodeSelected = editor.selectedNode != nullptr;
}

// Finds which of the wanted nodes lie in the graph under node, none queued
// for deletion on the way; stops once all are found.
struct LiveSearch {
    std::unordered_set<scene::ISceneNode*> wanted;
    std::unordered_set<scene::ISceneNode*> found;

    void walk(scene::ISceneNode* node) {
        if (found.size() == wanted.size() || editor.nodesQueuedForDeletion.count(node))
            return;
        if (wanted.count(node))
            found.insert(node);
        for (scene::ISceneNode* child : node->getChildren())
            walk(child);
    }
};

} // namespace

std::vector<scene::ISceneNode*> liveAmong(const std::vector<scene::ISceneNode*>& list) {
    std::vector<scene::ISceneNode*> nodes;
    nodes.reserve(list.size());
    if (list.size() <= 8 || !editor.sceneManager) {
        for (scene::ISceneNode* node : list)
            if (isLiveSceneNode(node))
                nodes.push_back(node);
        return nodes;
    }
    LiveSearch search;
    search.wanted.insert(list.begin(), list.end());
    search.found.reserve(search.wanted.size());
    search.walk(editor.sceneManager->getRootSceneNode());
    for (scene::ISceneNode* node : list)
        if (search.found.count(node))
            nodes.push_back(node);
    return nodes;
}

namespace {

// Code that sets selectedNode alone (a scene replaced, a single pick) leaves
// the list behind: the primary is what counts.
void listFollowsPrimary() {
    scene::ISceneNode* primary = editor.selectedNode;
    if (!primary) {
        editor.selection.clear();
        return;
    }
    if (!editor.selection.empty() && editor.selection.back() == primary)
        return;
    auto found = std::find(editor.selection.begin(), editor.selection.end(), primary);
    if (found == editor.selection.end()) {
        editor.selection.assign(1, primary);
        return;
    }
    editor.selection.erase(found);
    editor.selection.push_back(primary);
}

} // namespace

std::vector<scene::ISceneNode*> selectedNodes() {
    listFollowsPrimary();
    return liveAmong(editor.selection);
}

std::vector<scene::ISceneNode*> topmostSelectedNodes() {
    const std::vector<scene::ISceneNode*> nodes = selectedNodes();
    const std::unordered_set<scene::ISceneNode*> chosen(nodes.begin(), nodes.end());
    std::vector<scene::ISceneNode*> topmost;
    topmost.reserve(nodes.size());
    for (scene::ISceneNode* node : nodes) {
        bool ancestorChosen = false;
        for (scene::ISceneNode* a = node->getParent(); a && !ancestorChosen; a = a->getParent())
            ancestorChosen = chosen.count(a) != 0;
        if (!ancestorChosen)
            topmost.push_back(node);
    }
    return topmost;
}

bool isNodeSelected(scene::ISceneNode* node) {
    listFollowsPrimary();
    return node && std::find(editor.selection.begin(), editor.selection.end(), node) != editor.selection.end();
}

void setSelectedNodes(const std::vector<scene::ISceneNode*>& nodes) {
    editor.selection.clear();
    for (scene::ISceneNode* node : nodes)
        if (node && std::find(editor.selection.begin(), editor.selection.end(), node) == editor.selection.end())
            editor.selection.push_back(node);
    primaryFollowsList();
}

void toggleNodeSelected(scene::ISceneNode* node) {
    if (!node)
        return;
    listFollowsPrimary();
    auto found = std::find(editor.selection.begin(), editor.selection.end(), node);
    if (found != editor.selection.end())
        editor.selection.erase(found);
    else
        editor.selection.push_back(node);
    primaryFollowsList();
}

bool dropNodesNotInScene() {
    listFollowsPrimary();
    const size_t before = editor.selection.size();
    editor.selection = liveAmong(editor.selection);
    if (editor.selection.size() == before)
        return false;
    primaryFollowsList();
    return true;
}

core::vector3df selectionCentre() {
    const std::vector<scene::ISceneNode*> nodes = topmostSelectedNodes();
    core::vector3df sum;
    for (scene::ISceneNode* node : nodes)
        sum += worldTransformationOf(node).getTranslation();
    return nodes.empty() ? sum : sum / static_cast<f32>(nodes.size());
}

core::matrix4 worldTransformationOf(scene::ISceneNode* node) {
    core::matrix4 world = node->getRelativeTransformation();
    for (scene::ISceneNode* parent = node->getParent(); parent; parent = parent->getParent())
        world = parent->getRelativeTransformation() * world;
    return world;
}

} // namespace sorn
