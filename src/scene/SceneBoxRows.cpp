// The scene box's rows changed in place for nodes put into the scene or taken
// out of it, instead of rebuilding every row.
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "app/EditorState.h"
#include "scene/NodeLifetime.h"
#include "scene/SceneBox.h"
#include "scene/SceneBoxRows.h"
#include "scene/TreeView.h"

using namespace irr;

namespace sorn {

namespace {

// The rows of nodes out of the scene, by node, each a whole subtree of rows
// taken out of the tree. Their items hold their nodes, so a key cannot stand
// for another node while the entry lasts.
std::unordered_map<scene::ISceneNode*, CTreeViewNode*> keptRows;
bool shownInPlace = false;
bool rebuildWanted = false;

// Rows kept for a node nothing else holds any more (the undo step that could
// bring it back is gone) are let go, and the node with them.
void releaseUnheldRows() {
    for (auto it = keptRows.begin(); it != keptRows.end();) {
        if (it->first->getReferenceCount() > 1) {
            ++it;
            continue;
        }
        CTreeViewNode* rows = it->second;
        it = keptRows.erase(it);
        rows->drop();
    }
}

void keepRows(scene::ISceneNode* node, CTreeViewNode* rows) {
    auto [it, added] = keptRows.emplace(node, rows);
    if (!added) {
        it->second->drop();
        it->second = rows;
    }
}

bool isInScene(scene::ISceneNode* node, scene::ISceneNode* root) {
    while (node && node != root)
        node = node->getParent();
    return node == root;
}

// Finds the item of a node by its data, building an index of every item the
// first time a node other than the scene's root is asked for.
class ItemsByNode {
public:
    ItemsByNode(CTreeView* tree, scene::ISceneNode* root) : tree_(tree), root_(root) {}
    gui::IGUITreeViewNode* find(scene::ISceneNode* node) {
        if (node == root_)
            return tree_->getRoot();
        if (!indexed_) {
            indexed_ = true;
            std::vector<gui::IGUITreeViewNode*> pending{tree_->getRoot()};
            while (!pending.empty()) {
                gui::IGUITreeViewNode* item = pending.back();
                pending.pop_back();
                // The rows made so far; a node without one is under a row
                // whose children are made later, from the scene as it is then.
                for (CTreeViewNode* c = static_cast<CTreeViewNode*>(item)->firstMadeChild(); c;
                     c = static_cast<CTreeViewNode*>(c->getNextSibling())) {
                    if (c->getData())
                        items_[c->getData()] = c;
                    pending.push_back(c);
                }
            }
        }
        auto found = items_.find(node);
        return found == items_.end() ? nullptr : found->second;
    }

private:
    CTreeView* tree_;
    scene::ISceneNode* root_;
    bool indexed_ = false;
    std::unordered_map<void*, gui::IGUITreeViewNode*> items_;
};

// The rows of nodes no longer under the parent they had go from its row.
void removeRows(ItemsByNode& items, scene::ISceneNode* parent, const std::unordered_set<void*>& leaving) {
    auto* parentItem = static_cast<CTreeViewNode*>(items.find(parent));
    if (!parentItem)
        return;
    // Rows not made yet are made from the scene as it is then; only whether
    // there are any left to make changes.
    if (parentItem->childrenUnmade()) {
        parentItem->setChildrenUnmade(hasShownChildren(parent));
        return;
    }
    gui::IGUITreeViewNode* next = nullptr;
    for (gui::IGUITreeViewNode* item = parentItem->firstMadeChild(); item; item = next) {
        next = item->getNextSibling();
        if (!leaving.count(item->getData()))
            continue;
        auto* node = static_cast<scene::ISceneNode*>(item->getData());
        if (CTreeViewNode* rows = parentItem->detachChild(item))
            keepRows(node, rows);
    }
}

// The rows of the node, kept or made, before the given row (last when null).
void insertRows(CTreeViewNode* parentItem, scene::ISceneNode* node, gui::IGUITreeViewNode* before) {
    auto kept = keptRows.find(node);
    if (kept != keptRows.end()) {
        CTreeViewNode* rows = kept->second;
        keptRows.erase(kept);
        if (parentItem->attachChild(rows, before))
            return;
        rows->drop();
    }
    gui::IGUITreeViewNode* item = before ? parentItem->insertChildBefore(before, L"", nullptr, 0, -1)
                                         : parentItem->addChildBack(L"", nullptr, 0, -1);
    labelItem(item, node);
    item->setSelected(node == editor.selectedNode);
    holdNodeInTreeItem(item, node);
    // A new row comes collapsed: the rows under it are made when first needed.
    static_cast<CTreeViewNode*>(item)->setChildrenUnmade(hasShownChildren(node));
}

// Rows for the arriving children of the parent that have none, each placed
// after the rows of the siblings before it.
void addRows(ItemsByNode& items, scene::ISceneNode* parent, const std::unordered_set<scene::ISceneNode*>& arriving) {
    auto* parentItem = static_cast<CTreeViewNode*>(items.find(parent));
    // Rows not made yet will show the arrivals when they are made.
    if (!parentItem || parentItem->childrenUnmade())
        return;
    gui::IGUITreeViewNode* cursor = parentItem->getFirstChild();
    // The tree's root starts with the "Scene" label row, which shows no node.
    while (parentItem->isRoot() && cursor && !cursor->getData())
        cursor = cursor->getNextSibling();
    for (scene::ISceneNode* child : parent->getChildren()) {
        if (child->isDebugObject())
            continue;
        if (cursor && cursor->getData() == child) {
            cursor = cursor->getNextSibling();
            continue;
        }
        if (arriving.count(child))
            insertRows(parentItem, child, cursor);
    }
}

} // namespace

void showNodesPlaced(const std::vector<NodePlacement>& placed) {
    CTreeView* tree = sceneBoxTree();
    if (!tree || !editor.sceneManager || placed.empty())
        return;
    scene::ISceneNode* root = editor.sceneManager->getRootSceneNode();
    ItemsByNode items(tree, root);
    // First the rows of nodes that left their parent, then those of nodes
    // now in the scene, so a node moved within one action ends where it is.
    std::unordered_map<scene::ISceneNode*, std::unordered_set<void*>> leaving;
    std::unordered_map<scene::ISceneNode*, std::unordered_set<scene::ISceneNode*>> arriving;
    for (const NodePlacement& p : placed) {
        scene::ISceneNode* parent = p.node->getParent();
        if (p.formerParent && parent != p.formerParent)
            leaving[p.formerParent].insert(p.node);
        if (parent && isInScene(p.node, root))
            arriving[parent].insert(p.node);
    }
    for (const auto& [parent, nodes] : leaving)
        removeRows(items, parent, nodes);
    for (const auto& [parent, nodes] : arriving)
        addRows(items, parent, nodes);
    releaseUnheldRows();
    shownInPlace = true;
}

void requestTreeRebuild() { rebuildWanted = true; }

void forgetKeptRows() {
    std::unordered_map<scene::ISceneNode*, CTreeViewNode*> rows;
    rows.swap(keptRows);
    for (auto& entry : rows)
        entry.second->drop();
}

bool rowsNeedRebuild() { return rebuildWanted || !shownInPlace; }

void rowsBroughtUpToDate() {
    shownInPlace = false;
    rebuildWanted = false;
}

} // namespace sorn
