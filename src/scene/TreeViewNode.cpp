#include "scene/TreeView.h"

using namespace irr;

namespace sorn {

namespace {

// Takes every child off the node and drops it, level by level without
// recursion, so a tree nested thousands of levels deep cannot exhaust the
// stack. A node someone else still holds lives on, detached and empty.
void releaseChildren(CTreeViewNode* node, std::vector<CTreeViewNode*>& pending) {
    for (CTreeViewNode* child = node->firstMadeChild(); child; child = static_cast<CTreeViewNode*>(child->getNextSibling()))
        pending.push_back(child);
}

} // namespace

CTreeViewNode::CTreeViewNode(CTreeView* owner, CTreeViewNode* parent)
    : Owner(owner), Parent(parent), Level(parent ? parent->Level + 1 : 0) {}

CTreeViewNode::~CTreeViewNode() {
    clearChildren();
    if (Data2)
        Data2->drop();
}

gui::IGUITreeView* CTreeViewNode::getOwner() const { return Owner; }

void CTreeViewNode::setText(const wchar_t* text) {
    Text = text ? text : L"";
    FoldedText = CTreeView::foldCase(Text);
    changed();
}

void CTreeViewNode::setData2(IReferenceCounted* data) {
    if (data)
        data->grab();
    if (Data2)
        Data2->drop();
    Data2 = data;
}

void CTreeViewNode::changed() const {
    if (Owner)
        Owner->rowsChanged();
}

u32 CTreeViewNode::getChildCount() const {
    makeChildren();
    return ChildCount;
}

gui::IGUITreeViewNode* CTreeViewNode::getFirstChild() const {
    makeChildren();
    return FirstChild;
}

gui::IGUITreeViewNode* CTreeViewNode::getLastChild() const {
    makeChildren();
    return LastChild;
}

void CTreeViewNode::makeChildren() const {
    if (!ChildrenUnmade || !Owner || !Owner->ChildMaker)
        return;
    // The walks of the tree see every item as made: the mark goes first, so
    // the maker adds children as to any other item.
    auto* self = const_cast<CTreeViewNode*>(this);
    self->ChildrenUnmade = false;
    Owner->ChildMaker(self);
    changed();
}

void CTreeViewNode::clearChildren() {
    if (ChildrenUnmade) {
        ChildrenUnmade = false;
        changed();
    }
    if (!FirstChild)
        return;
    if (Owner)
        Owner->subtreeRemoved(this);
    changed();
    std::vector<CTreeViewNode*> pending;
    releaseChildren(this, pending);
    FirstChild = LastChild = nullptr;
    ChildCount = 0;
    while (!pending.empty()) {
        CTreeViewNode* node = pending.back();
        pending.pop_back();
        releaseChildren(node, pending);
        node->FirstChild = node->LastChild = nullptr;
        node->ChildCount = 0;
        node->ChildrenUnmade = false;
        node->Parent = node->PrevSibling = node->NextSibling = nullptr;
        node->Owner = nullptr;
        node->Level = 0;
        node->drop();
    }
}

CTreeViewNode* CTreeViewNode::makeChild(const wchar_t* text, const wchar_t* icon, s32 imageIndex,
                                        s32 selectedImageIndex, void* data, IReferenceCounted* data2) {
    auto* child = new CTreeViewNode(Owner, this);
    child->setText(text);
    child->Icon = icon ? icon : L"";
    child->ImageIndex = static_cast<u32>(imageIndex);
    child->SelectedImageIndex = static_cast<u32>(selectedImageIndex);
    child->Data = data;
    child->setData2(data2);
    return child;
}

void CTreeViewNode::link(CTreeViewNode* child, CTreeViewNode* before) {
    // A child added to an item whose children are not made yet goes among them.
    makeChildren();
    child->NextSibling = before;
    child->PrevSibling = before ? before->PrevSibling : LastChild;
    if (child->PrevSibling)
        child->PrevSibling->NextSibling = child;
    else
        FirstChild = child;
    if (before)
        before->PrevSibling = child;
    else
        LastChild = child;
    ++ChildCount;
    changed();
}

void CTreeViewNode::unlink(CTreeViewNode* child) {
    if (child->PrevSibling)
        child->PrevSibling->NextSibling = child->NextSibling;
    else
        FirstChild = child->NextSibling;
    if (child->NextSibling)
        child->NextSibling->PrevSibling = child->PrevSibling;
    else
        LastChild = child->PrevSibling;
    child->PrevSibling = child->NextSibling = nullptr;
    --ChildCount;
    changed();
}

bool CTreeViewNode::isMyChild(gui::IGUITreeViewNode* node) const {
    return node && node->getParent() == this && static_cast<CTreeViewNode*>(node)->Owner == Owner;
}

gui::IGUITreeViewNode* CTreeViewNode::addChildBack(const wchar_t* text, const wchar_t* icon, s32 imageIndex,
                                                   s32 selectedImageIndex, void* data, IReferenceCounted* data2) {
    CTreeViewNode* child = makeChild(text, icon, imageIndex, selectedImageIndex, data, data2);
    link(child, nullptr);
    return child;
}

gui::IGUITreeViewNode* CTreeViewNode::addChildFront(const wchar_t* text, const wchar_t* icon, s32 imageIndex,
                                                    s32 selectedImageIndex, void* data, IReferenceCounted* data2) {
    CTreeViewNode* child = makeChild(text, icon, imageIndex, selectedImageIndex, data, data2);
    link(child, FirstChild);
    return child;
}

gui::IGUITreeViewNode* CTreeViewNode::insertChildAfter(gui::IGUITreeViewNode* other, const wchar_t* text,
                                                       const wchar_t* icon, s32 imageIndex, s32 selectedImageIndex,
                                                       void* data, IReferenceCounted* data2) {
    if (!isMyChild(other))
        return nullptr;
    CTreeViewNode* child = makeChild(text, icon, imageIndex, selectedImageIndex, data, data2);
    link(child, static_cast<CTreeViewNode*>(other)->NextSibling);
    return child;
}

gui::IGUITreeViewNode* CTreeViewNode::insertChildBefore(gui::IGUITreeViewNode* other, const wchar_t* text,
                                                        const wchar_t* icon, s32 imageIndex, s32 selectedImageIndex,
                                                        void* data, IReferenceCounted* data2) {
    if (!isMyChild(other))
        return nullptr;
    CTreeViewNode* child = makeChild(text, icon, imageIndex, selectedImageIndex, data, data2);
    link(child, static_cast<CTreeViewNode*>(other));
    return child;
}

bool CTreeViewNode::deleteChild(gui::IGUITreeViewNode* child) {
    if (!isMyChild(child))
        return false;
    auto* node = static_cast<CTreeViewNode*>(child);
    if (Owner)
        Owner->subtreeRemoved(node);
    unlink(node);
    node->clearChildren();
    node->Parent = nullptr;
    node->Owner = nullptr;
    node->Level = 0;
    node->drop();
    return true;
}

namespace {

// Every item of the subtree once, top first, following the links (no
// recursion, nothing allocated). The visit must not change the links.
template <typename Visit> void eachItem(CTreeViewNode* top, Visit visit) {
    gui::IGUITreeViewNode* node = top;
    while (node) {
        visit(static_cast<CTreeViewNode*>(node));
        if (static_cast<CTreeViewNode*>(node)->firstMadeChild()) {
            node = static_cast<CTreeViewNode*>(node)->firstMadeChild();
            continue;
        }
        while (node != top && !node->getNextSibling())
            node = node->getParent();
        node = node == top ? nullptr : node->getNextSibling();
    }
}

} // namespace

CTreeViewNode* CTreeViewNode::detachChild(gui::IGUITreeViewNode* child) {
    if (!isMyChild(child))
        return nullptr;
    auto* node = static_cast<CTreeViewNode*>(child);
    if (Owner)
        Owner->subtreeRemoved(node);
    unlink(node);
    node->Parent = nullptr;
    eachItem(node, [](CTreeViewNode* item) { item->Owner = nullptr; });
    return node;
}

bool CTreeViewNode::attachChild(CTreeViewNode* subtree, gui::IGUITreeViewNode* before) {
    if (!subtree || subtree->Parent || subtree->Owner || subtree->IsRoot || (before && !isMyChild(before)))
        return false;
    const s32 shift = Level + 1 - subtree->Level;
    eachItem(subtree, [this, shift](CTreeViewNode* item) {
        item->Owner = Owner;
        item->Level += shift;
        item->Expanded = false;
        item->Marked = false;
    });
    subtree->Parent = this;
    link(subtree, static_cast<CTreeViewNode*>(before));
    return true;
}

bool CTreeViewNode::moveChildUp(gui::IGUITreeViewNode* child) {
    if (!isMyChild(child))
        return false;
    auto* node = static_cast<CTreeViewNode*>(child);
    CTreeViewNode* before = node->PrevSibling;
    if (!before)
        return false;
    unlink(node);
    link(node, before);
    return true;
}

bool CTreeViewNode::moveChildDown(gui::IGUITreeViewNode* child) {
    if (!isMyChild(child))
        return false;
    auto* node = static_cast<CTreeViewNode*>(child);
    CTreeViewNode* after = node->NextSibling;
    if (!after)
        return false;
    unlink(node);
    link(node, after->NextSibling);
    return true;
}

void CTreeViewNode::setExpanded(bool expanded) {
    if (expanded)
        makeChildren();
    if (Expanded == expanded)
        return;
    Expanded = expanded;
    if (FirstChild)
        changed();
}

bool CTreeViewNode::getSelected() const { return Owner && Owner->Selected == this; }

void CTreeViewNode::setSelected(bool selected) {
    if (!Owner)
        return;
    if (selected) {
        // Chosen by the program, not by a click with modifiers.
        Owner->Selected = this;
        Owner->PickControl = Owner->PickShift = false;
    } else if (Owner->Selected == this)
        Owner->Selected = nullptr;
}

bool CTreeViewNode::isVisible() const {
    for (const CTreeViewNode* n = Parent; n; n = n->Parent)
        if (!n->Expanded)
            return false;
    return true;
}

CTreeViewNode* CTreeViewNode::nextVisible() const {
    if (Expanded && FirstChild)
        return FirstChild;
    for (const CTreeViewNode* n = this; n; n = n->Parent) {
        if (n->NextSibling)
            return n->NextSibling;
    }
    return nullptr;
}

CTreeViewNode* CTreeViewNode::prevVisible() const {
    if (!PrevSibling)
        return Parent && !Parent->IsRoot ? Parent : nullptr;
    CTreeViewNode* n = PrevSibling;
    while (n->Expanded && n->LastChild)
        n = n->LastChild;
    return n;
}

} // namespace sorn
