#include "scene/SceneBox.h"

#include <cstdio>
#include <unordered_set>

#include "app/EditorState.h"
#include "app/TextConvert.h"
#include "app/Translate.h"
#include "app/WindowPlaces.h"
#include "scene/NodeLifetime.h"
#include "scene/NodeName.h"
#include "scene/SceneBoxRows.h"
#include "scene/SelectedNodes.h"
#include "scene/TreeView.h"

using namespace irr;

namespace sorn {

namespace {

TreeEditHandlers sceneBoxHandlers;

// The rows open before a rebuild are open after it (by the node they show).
void collectExpanded(gui::IGUITreeViewNode* item, std::unordered_set<void*>& open) {
    for (gui::IGUITreeViewNode* n = item->getFirstChild(); n; n = n->getNextVisible())
        if (n->getExpanded() && n->getData())
            open.insert(n->getData());
}

void reopen(gui::IGUITreeViewNode* item, const std::unordered_set<void*>& open) {
    std::vector<gui::IGUITreeViewNode*> pending{item};
    while (!pending.empty()) {
        gui::IGUITreeViewNode* n = pending.back();
        pending.pop_back();
        for (gui::IGUITreeViewNode* child = n->getFirstChild(); child; child = child->getNextSibling())
            if (child->hasChildren() && open.count(child->getData())) {
                child->setExpanded(true);
                pending.push_back(child);
            }
    }
}

void resetTree(gui::IGUITreeView* tree) {
    gui::IGUITreeViewNode* root = tree->getRoot();
    std::unordered_set<void*> open;
    collectExpanded(root, open);
    root->clearChildren();
    root->addChildBack(translate(L"window_scenebox_scene").c_str(), nullptr, 0, -1, nullptr, nullptr);
    fillTree(editor.sceneManager->getRootSceneNode(), root);
    reopen(root, open);
    markSelectionInTree(false);
    rowsBroughtUpToDate();
}

// Marks every item whose node is selected; returns the primary's item.
gui::IGUITreeViewNode* markItems(gui::IGUITreeViewNode* item, const std::unordered_set<scene::ISceneNode*>& chosen) {
    gui::IGUITreeViewNode* primary = nullptr;
    // Only the rows made so far: those made later are marked as they are made.
    for (CTreeViewNode* child = static_cast<CTreeViewNode*>(item)->firstMadeChild(); child;
         child = static_cast<CTreeViewNode*>(child->getNextSibling())) {
        auto* node = static_cast<scene::ISceneNode*>(child->getData());
        child->setMarked(node && chosen.count(node));
        if (node && node == editor.selectedNode)
            primary = child;
        if (gui::IGUITreeViewNode* below = markItems(child, chosen))
            primary = below;
    }
    return primary;
}

// The rows under a collapsed row are made when first asked for: the row's
// node's children, marked as the selection says.
void makeChildRows(CTreeViewNode* item) {
    auto* node = static_cast<scene::ISceneNode*>(item->getData());
    if (!node || !editor.sceneManager)
        return;
    fillTree(node, item);
    const std::vector<scene::ISceneNode*> nodes = selectedNodes();
    if (nodes.empty())
        return;
    const std::unordered_set<scene::ISceneNode*> chosen(nodes.begin(), nodes.end());
    for (CTreeViewNode* child = item->firstMadeChild(); child; child = static_cast<CTreeViewNode*>(child->getNextSibling()))
        child->setMarked(chosen.count(static_cast<scene::ISceneNode*>(child->getData())) > 0);
}

// The item of the node by the path of its ancestors, making the rows along
// it; null when the node is not in the scene or not shown.
gui::IGUITreeViewNode* itemOnPath(CTreeView* tree, scene::ISceneNode* node) {
    scene::ISceneNode* root = editor.sceneManager->getRootSceneNode();
    std::vector<scene::ISceneNode*> path;
    scene::ISceneNode* n = node;
    for (; n && n != root; n = n->getParent())
        path.push_back(n);
    if (n != root)
        return nullptr;
    gui::IGUITreeViewNode* item = tree->getRoot();
    for (auto it = path.rbegin(); it != path.rend() && item; ++it) {
        gui::IGUITreeViewNode* child = item->getFirstChild();
        while (child && child->getData() != *it)
            child = child->getNextSibling();
        item = child;
    }
    return item;
}

void addImageButton(gui::IGUIElement* window, const core::rect<s32>& rect, s32 id, const wchar_t* icon) {
    gui::IGUIEnvironment* gui = editor.device->getGUIEnvironment();
    gui::IGUIButton* button = gui->addButton(rect, window, id, L" ", nullptr);
    video::ITexture* image = editor.device->getVideoDriver()->getTexture(narrowPath(mediaPath(icon)).c_str());
    button->setImage(image, core::rect<s32>(0, 0, 16, 16));
    button->setUseAlphaChannel(true);
}

} // namespace

void labelItem(gui::IGUITreeViewNode* item, scene::ISceneNode* node) {
    const core::stringw name = nodeNameText(node);
    item->setText(name.empty() ? unnamedNodeLabel(node).c_str() : name.c_str());
    static_cast<CTreeViewNode*>(item)->setDimmed(name.empty());
}

bool hasShownChildren(scene::ISceneNode* node) {
    for (scene::ISceneNode* child : node->getChildren())
        if (!child->isDebugObject())
            return true;
    return false;
}

void fillTree(scene::ISceneNode* node, gui::IGUITreeViewNode* treeItem) {
    for (scene::ISceneNode* child : node->getChildren()) {
        if (child->isDebugObject())
            continue;
        auto* item = static_cast<CTreeViewNode*>(treeItem->addChildBack(L"", nullptr, 0, -1, nullptr, nullptr));
        labelItem(item, child);
        item->setSelected(child == editor.selectedNode);
        holdNodeInTreeItem(item, child);
        // Its own rows wait until they are asked for (see makeChildRows).
        item->setChildrenUnmade(hasShownChildren(child));
    }
    // The tree root carries the scene's root node, which lives as long as the
    // scene manager; every other item holds its node (see liveNodeOfTreeItem).
    if (node == editor.sceneManager->getRootSceneNode())
        treeItem->setData(node);
    else
        holdNodeInTreeItem(treeItem, node);
}

void createSceneBox() {
    std::puts("createSceneBox()");
    if (!editor.device)
        return;
    if (gui::IGUIElement* old = findElement(ids::SceneBoxWindow)) {
        rememberWindowPlace(old);
        old->remove();
    }

    gui::IGUIEnvironment* gui = editor.device->getGUIEnvironment();
    gui::IGUIWindow* window = gui->addWindow(core::rect<s32>(0, 50, 215, 450), false,
                                             translate(L"window_scenebox_caption").c_str(), nullptr,
                                             ids::SceneBoxWindow);
    window->setToolTipText(L"Select item from tree and then place it on the map.");
    openWindowWhereLeft(window);
    gui::IGUITabControl* tabs =
        gui->addTabControl(core::rect<s32>(2, 25, 210, 395), window, true, true, ids::SceneBoxTabControl);
    gui::IGUITab* tab = tabs->addTab(translate(L"window_scenebox_tab").c_str(), -1);
    CTreeView* tree = addTreeView(gui, core::rect<s32>(4, 34, 200, 380), tab, ids::SceneBoxTree, false, true);
    tree->setToolTipText(L"Show the current Scenegraph");
    tree->setWheelRows(3);
    tree->setKeepsFocus(true);
    tree->setEditHandlers(sceneBoxHandlers);
    tree->setChildMaker(makeChildRows);
    resetTree(tree);
    gui::IGUIEditBox* filter = gui->addEditBox(L"", core::rect<s32>(4, 8, 200, 28), true, tab, ids::SceneBoxFilter);
    filter->setToolTipText(translate(L"window_scenebox_filter").c_str());

    addImageButton(window, core::rect<s32>(4, 40, 24, 60), ids::SceneBoxAdd, L"list-add.png");
    addImageButton(window, core::rect<s32>(30, 40, 50, 60), ids::SceneBoxDuplicate, L"list-arrow.png");
    addImageButton(window, core::rect<s32>(56, 40, 76, 60), ids::SceneBoxRemove, L"list-remove.png");
}

void updateTreeview() {
    std::puts("updateTreeview()");
    gui::IGUIElement* window = findElement(ids::SceneBoxWindow);
    if (!window)
        return;
    gui::IGUIElement* tree = window->getElementFromId(ids::SceneBoxTree, true);
    if (!tree) {
        rowsBroughtUpToDate();
        return;
    }
    // Changes already shown row by row need only the selection marks.
    if (rowsNeedRebuild())
        resetTree(static_cast<gui::IGUITreeView*>(tree));
    else
        markSelectionInTree(false);
    rowsBroughtUpToDate();
}

void markSelectionInTree(bool reveal) {
    CTreeView* tree = sceneBoxTree();
    if (!tree || !editor.sceneManager)
        return;
    const std::vector<scene::ISceneNode*> nodes = selectedNodes();
    const std::unordered_set<scene::ISceneNode*> chosen(nodes.begin(), nodes.end());
    gui::IGUITreeViewNode* primary = markItems(tree->getRoot(), chosen);
    // The primary's row may not be made yet: shown, it is.
    if (!primary && reveal && editor.selectedNode) {
        primary = itemOnPath(tree, editor.selectedNode);
        if (primary)
            static_cast<CTreeViewNode*>(primary)->setMarked(true);
    }
    if (!primary) {
        // A row of a node that is no longer selected stops being the tree's
        // selection; the "Scene" row stays, it stands for no selection.
        gui::IGUITreeViewNode* selected = tree->getSelected();
        if (selected && selected->getData())
            selected->setSelected(false);
        return;
    }
    primary->setSelected(true);
    if (!reveal)
        return;
    for (gui::IGUITreeViewNode* a = primary->getParent(); a && !a->isRoot(); a = a->getParent())
        a->setExpanded(true);
    tree->scrollToNode(primary);
}

void setSceneBoxEditHandlers(const TreeEditHandlers& handlers) { sceneBoxHandlers = handlers; }

CTreeView* sceneBoxTree() {
    gui::IGUIElement* window = findElement(ids::SceneBoxWindow);
    gui::IGUIElement* tree = window ? window->getElementFromId(ids::SceneBoxTree, true) : nullptr;
    return static_cast<CTreeView*>(tree);
}

void applySceneBoxFilter() {
    CTreeView* tree = sceneBoxTree();
    gui::IGUIElement* box = tree ? findElement(ids::SceneBoxFilter) : nullptr;
    if (box)
        tree->setFilter(box->getText());
}

gui::IGUITreeViewNode* treeItemOfNode(scene::ISceneNode* node) {
    CTreeView* tree = sceneBoxTree();
    if (!tree || !node || !editor.sceneManager)
        return nullptr;
    if (gui::IGUITreeViewNode* item = itemOnPath(tree, node))
        return item;
    // A row still showing a node out of the scene is found among the rows made.
    std::vector<CTreeViewNode*> pending{static_cast<CTreeViewNode*>(tree->getRoot())};
    while (!pending.empty()) {
        CTreeViewNode* item = pending.back();
        pending.pop_back();
        for (CTreeViewNode* child = item->firstMadeChild(); child;
             child = static_cast<CTreeViewNode*>(child->getNextSibling())) {
            if (child->getData() == node)
                return child;
            pending.push_back(child);
        }
    }
    return nullptr;
}

void revealNodeInTree(scene::ISceneNode* node) {
    gui::IGUITreeViewNode* item = treeItemOfNode(node);
    if (!item)
        return;
    for (gui::IGUITreeViewNode* above = item->getParent(); above && !above->isRoot(); above = above->getParent())
        above->setExpanded(true);
    sceneBoxTree()->scrollToNode(item);
}

void showNodeNameInTree(scene::ISceneNode* node) {
    if (gui::IGUITreeViewNode* item = treeItemOfNode(node))
        labelItem(item, node);
}

void closeSceneBox() {
    std::puts("closeSceneBox()");
    if (gui::IGUIElement* window = findElement(ids::SceneBoxWindow)) {
        rememberWindowPlace(window);
        window->remove();
    }
}

} // namespace sorn
