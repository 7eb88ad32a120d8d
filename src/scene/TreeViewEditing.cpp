// The scene box tree's own behaviour beside the engine's: a row's text
// edited in place, rows dragged onto other rows, and the filter.
#include "scene/TreeView.h"

#include <algorithm>
#include <cstdlib>
#include <cwchar>

using namespace irr;

namespace sorn {

namespace {

// A press moves this far (in pixels, either way) before it becomes a drag.
constexpr s32 kDragThreshold = 4;

void hold(CTreeViewNode*& slot, CTreeViewNode* node) {
    if (node)
        node->grab();
    if (slot)
        slot->drop();
    slot = node;
}

wchar_t foldChar(wchar_t c) {
    if (c >= L'A' && c <= L'Z')
        return static_cast<wchar_t>(c + 32);
    // Latin-1 capitals, but the multiplication sign.
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return static_cast<wchar_t>(c + 32);
    return c;
}

} // namespace

core::stringw CTreeView::foldCase(const core::stringw& text) {
    core::stringw folded(text);
    for (u32 i = 0; i < folded.size(); ++i)
        folded[i] = foldChar(folded[i]);
    return folded;
}

void CTreeView::setFilter(const wchar_t* text) {
    const core::stringw folded = foldCase(text ? text : L"");
    if (folded == Filter)
        return;
    Filter = folded;
    RowsDirty = true;
    if (ScrollBar)
        ScrollBar->setPos(0);
}

// Children are marked before their parents: a depth-first list of every item
// is walked backwards, each item passing its mark up to its parent.
void CTreeView::markFilterMatches() {
    std::vector<CTreeViewNode*> order;
    for (CTreeViewNode* n = Root->FirstChild; n;) {
        order.push_back(n);
        n->FilterShown = false;
        // The filter looks at every item: those not made yet are made now.
        n->makeChildren();
        if (n->FirstChild) {
            n = n->FirstChild;
            continue;
        }
        while (n && !n->NextSibling)
            n = n->Parent && !n->Parent->IsRoot ? n->Parent : nullptr;
        n = n ? n->NextSibling : nullptr;
    }
    const wchar_t* wanted = Filter.c_str();
    for (auto it = order.rbegin(); it != order.rend(); ++it) {
        CTreeViewNode* n = *it;
        if (!n->FilterShown && std::wcsstr(n->FoldedText.c_str(), wanted))
            n->FilterShown = true;
        if (n->FilterShown && n->Parent && !n->Parent->IsRoot)
            n->Parent->FilterShown = true;
    }
}

bool CTreeView::beginRename(gui::IGUITreeViewNode* node) {
    auto* n = static_cast<CTreeViewNode*>(node);
    if (!Handlers.renamed || !n || n->Owner != this || !n->Data)
        return false;
    if (isRenaming())
        endRename(true);
    scrollToNode(n);
    if (RowsDirty)
        rebuildRows();
    if (n->RowStamp != RowStamp)
        return false;
    // Over the row's text, from its indent to the right edge of the rows.
    const s32 top = n->Row * ItemHeight - scrollPosition();
    s32 right = RelativeRect.getWidth() - 1;
    if (ScrollBar && ScrollBar->isVisible())
        right -= Environment->getSkin()->getSize(gui::EGDS_SCROLLBAR_SIZE);
    // A row indented past the tree's width still gets a box wide enough to type in.
    const s32 left = std::max(2, std::min(IndentWidth * n->getLevel() + 1, right - 80));
    const core::rect<s32> area(left - 2, top - 1, right, top + ItemHeight + 1);
    if (!RenameBox) {
        RenameBox = Environment->addEditBox(n->getText(), area, true, this, -1);
        RenameBox->setSubElement(true);
        RenameBox->setTabStop(false);
    } else {
        RenameBox->setRelativePosition(area);
        RenameBox->setText(n->getText());
    }
    RenameBox->setVisible(true);
    hold(RenameItem, n);
    Environment->setFocus(RenameBox);
    return true;
}

void CTreeView::endRename(bool apply) { finishRename(apply, true); }

void CTreeView::finishRename(bool apply, bool refocus) {
    if (!RenameItem)
        return;
    // Taken first: moving the focus below reports the box's loss of it again.
    CTreeViewNode* item = RenameItem;
    RenameItem = nullptr;
    const core::stringw text = RenameBox->getText();
    RenameBox->setVisible(false);
    if (refocus && Environment->getFocus() == RenameBox)
        Environment->setFocus(this);
    // An item the tree let go of while it was edited (a rebuild) is no row now.
    if (apply && item->Owner == this && Handlers.renamed)
        Handlers.renamed(item, text);
    item->drop();
}

void CTreeView::beginDrag(CTreeViewNode* node, s32 x, s32 y) {
    forgetDrag();
    if (!Handlers.dropped || !node || !node->Data)
        return;
    hold(DragItem, node);
    PressPoint = core::position2di(x, y);
}

void CTreeView::forgetDrag() {
    hold(DragItem, nullptr);
    hold(DropTarget, nullptr);
    Dragging = false;
}

bool CTreeView::onEditingEvent(const SEvent& event) {
    if (event.EventType == EET_GUI_EVENT && RenameBox && event.GUIEvent.Caller == RenameBox) {
        if (event.GUIEvent.EventType == gui::EGET_EDITBOX_ENTER) {
            endRename(true);
            return true;
        }
        // Leaving the box keeps what was typed, as a click elsewhere does in
        // a desktop tree.
        // The focus is on its way elsewhere: it is left to go there.
        if (event.GUIEvent.EventType == gui::EGET_ELEMENT_FOCUS_LOST && isRenaming())
            finishRename(true, false);
        return false;
    }
    if (event.EventType == EET_KEY_INPUT_EVENT && isRenaming()) {
        if (event.KeyInput.Key == KEY_ESCAPE) {
            if (event.KeyInput.PressedDown)
                endRename(false);
            return true;
        }
        return false;
    }
    if (event.EventType != EET_MOUSE_INPUT_EVENT)
        return false;
    const s32 x = event.MouseInput.X, y = event.MouseInput.Y;
    switch (event.MouseInput.Event) {
    case EMIE_LMOUSE_PRESSED_DOWN: {
        forgetDrag();
        if (ScrollBar && ScrollBar->isVisible() && ScrollBar->getAbsolutePosition().isPointInside({x, y}))
            return false;
        beginDrag(nodeAt(x, y), x, y);
        return false;
    }
    case EMIE_LMOUSE_DOUBLE_CLICK: {
        CTreeViewNode* node = nodeAt(x, y);
        if (!Handlers.renamed || !node || !node->Data)
            return false;
        forgetDrag();
        return beginRename(node);
    }
    case EMIE_MOUSE_MOVED:
        // DragItem is held from the press to the release alone (the focused
        // tree hears the release wherever it happens).
        if (!DragItem)
            return false;
        if (!Dragging && (std::abs(x - PressPoint.X) > kDragThreshold || std::abs(y - PressPoint.Y) > kDragThreshold))
            Dragging = true;
        if (Dragging)
            hold(DropTarget, nodeAt(x, y));
        return Dragging;
    case EMIE_LMOUSE_LEFT_UP: {
        if (!Dragging) {
            forgetDrag();
            return false;
        }
        CTreeViewNode* dragged = DragItem;
        CTreeViewNode* onto = nodeAt(x, y);
        dragged->grab();
        if (onto)
            onto->grab();
        forgetDrag();
        // The handler may rebuild the rows: nothing of the tree is used after it.
        if (onto && onto != dragged && dragged->Owner == this)
            Handlers.dropped(dragged, onto);
        if (onto)
            onto->drop();
        dragged->drop();
        return true;
    }
    default:
        return false;
    }
}

// The row under the pointer while a drag lasts, outlined.
void CTreeView::drawDropTarget(const core::rect<s32>& clip) {
    CTreeViewNode* target = dropTarget();
    if (!target || target->Owner != this || target->RowStamp != RowStamp)
        return;
    const s32 top = AbsoluteRect.UpperLeftCorner.Y - scrollPosition() + target->Row * ItemHeight;
    core::rect<s32> box(levelLeft(target->getLevel()) + IndentWidth, top, clip.LowerRightCorner.X - 1,
                        top + ItemHeight - 1);
    box.clipAgainst(clip);
    if (box.getWidth() > 0 && box.getHeight() > 0)
        Environment->getVideoDriver()->draw2DRectangleOutline(
            box, Environment->getSkin()->getColor(gui::EGDC_HIGH_LIGHT));
}

} // namespace sorn
