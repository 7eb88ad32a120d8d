#include "scene/TreeView.h"

#include <algorithm>

using namespace irr;

namespace sorn {

namespace {

// Scroll steps of the engine's tree: the wheel and the arrows of the bar
// move 10 pixels, a click beside the thumb 50.
constexpr s32 kSmallScrollStep = 10;
constexpr s32 kLargeScrollStep = 50;
// Gap between a tree line's end and the expand button or the text.
constexpr s32 kLineGap = 3;

// Fills the part of the rectangle inside the clip; nothing when none is left
// (the software driver still draws a line for a rectangle clipped to nothing).
void fillClipped(video::IVideoDriver* driver, video::SColor colour, core::rect<s32> area,
                 const core::rect<s32>& clip) {
    area.clipAgainst(clip);
    if (area.getWidth() > 0 && area.getHeight() > 0)
        driver->draw2DRectangle(colour, area);
}

} // namespace

CTreeView* addTreeView(gui::IGUIEnvironment* environment, const core::rect<s32>& rectangle, gui::IGUIElement* parent,
                       s32 id, bool drawBackground, bool scrollBarVertical) {
    if (!parent)
        parent = environment->getRootGUIElement();
    auto* tree = new CTreeView(environment, parent, id, rectangle, drawBackground, scrollBarVertical);
    tree->drop();
    return tree;
}

CTreeView::CTreeView(gui::IGUIEnvironment* environment, gui::IGUIElement* parent, s32 id, core::rect<s32> rectangle,
                     bool drawBackground, bool scrollBarVertical)
    : gui::IGUITreeView(environment, parent, id, rectangle), Root(new CTreeViewNode(this, nullptr)),
      DrawBackground(drawBackground) {
    Root->IsRoot = true;
    Root->Expanded = true;
    if (scrollBarVertical) {
        const s32 width = Environment->getSkin()->getSize(gui::EGDS_SCROLLBAR_SIZE);
        const s32 w = RelativeRect.getWidth(), h = RelativeRect.getHeight();
        ScrollBar = Environment->addScrollBar(false, core::rect<s32>(w - width, 0, w, h), this, -1);
        ScrollBar->setSubElement(true);
        ScrollBar->setTabStop(false);
        ScrollBar->setAlignment(gui::EGUIA_LOWERRIGHT, gui::EGUIA_LOWERRIGHT, gui::EGUIA_UPPERLEFT,
                                gui::EGUIA_LOWERRIGHT);
        ScrollBar->setSmallStep(kSmallScrollStep);
        ScrollBar->setLargeStep(kLargeScrollStep);
        ScrollBar->setMin(0);
        ScrollBar->setMax(0);
        ScrollBar->setPos(0);
    }
    updateMetrics();
}

CTreeView::~CTreeView() {
    forgetDrag();
    if (RenameItem)
        RenameItem->drop();
    RenameItem = nullptr;
    Selected = nullptr;
    Root->clearChildren();
    Root->Owner = nullptr;
    Root->drop();
    if (IconFont)
        IconFont->drop();
    if (Font)
        Font->drop();
    if (ImageList)
        ImageList->drop();
}

void CTreeView::setIconFont(gui::IGUIFont* font) {
    if (font)
        font->grab();
    if (IconFont)
        IconFont->drop();
    IconFont = font;
    updateMetrics();
}

void CTreeView::setImageList(gui::IGUIImageList* imageList) {
    if (imageList)
        imageList->grab();
    if (ImageList)
        ImageList->drop();
    ImageList = imageList;
    updateMetrics();
}

// Row height and indent follow the skin's font, so they are looked at again
// whenever it may have changed (the editor sets its font after start-up).
void CTreeView::updateMetrics() {
    gui::IGUIFont* font = Environment->getSkin()->getFont();
    if (font != Font) {
        if (font)
            font->grab();
        if (Font)
            Font->drop();
        Font = font;
    }
    s32 height = Font ? static_cast<s32>(Font->getDimension(L" ").Height) + 4 : 10;
    if (IconFont)
        height = std::max(height, static_cast<s32>(IconFont->getDimension(L" ").Height) + 4);
    if (ImageList)
        height = std::max(height, ImageList->getImageSize().Height + 1);
    if (height != ItemHeight)
        RowsDirty = true;
    ItemHeight = height;
    IndentWidth = std::min(std::max(ItemHeight, 9), 15);
    if (IndentWidth % 2 == 0)
        --IndentWidth;
}

void CTreeView::subtreeRemoved(CTreeViewNode* top) {
    RowsDirty = true;
    for (CTreeViewNode* n = Selected; n; n = n->Parent) {
        if (n == top && n != Root) {
            Selected = nullptr;
            return;
        }
    }
    // Clearing the children of an ancestor of the selection also removes it.
    for (CTreeViewNode* n = Selected ? Selected->Parent : nullptr; n; n = n->Parent) {
        if (n == top) {
            Selected = nullptr;
            return;
        }
    }
}

void CTreeView::rebuildRows() {
    Rows.clear();
    ++RowStamp;
    auto addRow = [this](CTreeViewNode* n) {
        n->Row = static_cast<s32>(Rows.size());
        n->RowStamp = RowStamp;
        Rows.push_back(n);
    };
    if (filtering()) {
        markFilterMatches();
        // Every item the filter shows, depth first, without recursion.
        CTreeViewNode* n = Root->FirstChild;
        while (n) {
            if (n->FilterShown) {
                addRow(n);
                if (n->FirstChild) {
                    n = n->FirstChild;
                    continue;
                }
            }
            while (n && !n->NextSibling)
                n = n->Parent && !n->Parent->IsRoot ? n->Parent : nullptr;
            n = n ? n->NextSibling : nullptr;
        }
    } else {
        for (CTreeViewNode* n = Root->FirstChild; n; n = n->nextVisible())
            addRow(n);
    }
    RowsDirty = false;
    updateScrollBar();
}

u32 CTreeView::shownRowCount() {
    if (RowsDirty)
        rebuildRows();
    return static_cast<u32>(Rows.size());
}

s32 CTreeView::viewHeight() const { return AbsoluteRect.getHeight(); }

s32 CTreeView::scrollPosition() const { return ScrollBar ? ScrollBar->getPos() : 0; }

void CTreeView::updateScrollBar() {
    if (!ScrollBar)
        return;
    const s32 total = static_cast<s32>(Rows.size()) * ItemHeight;
    ScrollBar->setMax(std::max(0, total - viewHeight()));
}

s32 CTreeView::levelLeft(s32 level) const {
    return AbsoluteRect.UpperLeftCorner.X + 1 + IndentWidth * (level - 1);
}

CTreeViewNode* CTreeView::nodeAt(s32 x, s32 y) {
    if (!AbsoluteClippingRect.isPointInside(core::position2di(x, y)))
        return nullptr;
    if (RowsDirty)
        rebuildRows();
    const s32 offset = y - AbsoluteRect.UpperLeftCorner.Y + scrollPosition();
    if (offset < 0)
        return nullptr;
    const size_t row = static_cast<size_t>(offset / ItemHeight);
    return row < Rows.size() ? Rows[row] : nullptr;
}

void CTreeView::scrollToNode(gui::IGUITreeViewNode* node) {
    auto* n = static_cast<CTreeViewNode*>(node);
    if (!ScrollBar || !n || n->Owner != this)
        return;
    if (RowsDirty)
        rebuildRows();
    if (n->RowStamp != RowStamp)
        return;
    const s32 top = n->Row * ItemHeight;
    const s32 pos = ScrollBar->getPos();
    if (top < pos)
        ScrollBar->setPos(top);
    else if (top + ItemHeight > pos + viewHeight())
        ScrollBar->setPos(top + ItemHeight - viewHeight());
}

std::vector<CTreeViewNode*> CTreeView::rowsBetween(gui::IGUITreeViewNode* from, gui::IGUITreeViewNode* to) {
    auto* a = static_cast<CTreeViewNode*>(from);
    auto* b = static_cast<CTreeViewNode*>(to);
    if (!a || !b || a->Owner != this || b->Owner != this || !a->isVisible() || !b->isVisible())
        return {};
    if (RowsDirty)
        rebuildRows();
    if (a->RowStamp != RowStamp || b->RowStamp != RowStamp)
        return {};
    const s32 first = std::min(a->Row, b->Row), last = std::max(a->Row, b->Row);
    return std::vector<CTreeViewNode*>(Rows.begin() + first, Rows.begin() + last + 1);
}

void CTreeView::sendEvent(gui::EGUI_EVENT_TYPE type, CTreeViewNode* node) {
    LastEventNode = node;
    if (Parent) {
        SEvent event;
        event.EventType = EET_GUI_EVENT;
        event.GUIEvent.Caller = this;
        event.GUIEvent.Element = nullptr;
        event.GUIEvent.EventType = type;
        Parent->OnEvent(event);
    }
    LastEventNode = nullptr;
}

// As the engine's tree does: the new item is selected before the old one
// hears that it was deselected, and picking the selected item again says
// nothing, unless Control or Shift adds it to or takes it from several.
void CTreeView::selectByUser(CTreeViewNode* node) {
    if (!node)
        return;
    if (node == Selected) {
        // A plain click on the selected row among several marked ones picks
        // it alone, which the receiver must hear too.
        if (PickControl || PickShift || otherMarked(node))
            sendEvent(gui::EGET_TREEVIEW_NODE_SELECT, node);
        return;
    }
    CTreeViewNode* old = Selected;
    Selected = node;
    if (old)
        sendEvent(gui::EGET_TREEVIEW_NODE_DESELECT, old);
    // A receiver may have cleared the tree while hearing of the deselection.
    if (Selected == node)
        sendEvent(gui::EGET_TREEVIEW_NODE_SELECT, node);
}

bool CTreeView::otherMarked(const CTreeViewNode* node) const {
    // Depth first without recursion: every item, shown or not.
    for (const CTreeViewNode* n = Root->FirstChild; n;) {
        if (n->Marked && n != node)
            return true;
        if (n->FirstChild) {
            n = n->FirstChild;
            continue;
        }
        while (n && !n->NextSibling)
            n = n->Parent && !n->Parent->IsRoot ? n->Parent : nullptr;
        if (n)
            n = n->NextSibling;
    }
    return false;
}

void CTreeView::toggleByUser(CTreeViewNode* node) {
    // A filtered tree shows every match open: there is nothing to fold.
    if (!node || !node->hasChildren() || filtering())
        return;
    node->setExpanded(!node->Expanded);
    sendEvent(node->Expanded ? gui::EGET_TREEVIEW_NODE_EXPAND : gui::EGET_TREEVIEW_NODE_COLLAPSE, node);
    if (node->Expanded)
        return;
    // As the engine's tree does: an item hidden by the user's collapse stops
    // being the selection, and hears so.
    for (CTreeViewNode* n = Selected ? Selected->Parent : nullptr; n; n = n->Parent) {
        if (n == node) {
            CTreeViewNode* hidden = Selected;
            Selected = nullptr;
            sendEvent(gui::EGET_TREEVIEW_NODE_DESELECT, hidden);
            return;
        }
    }
}

bool CTreeView::onKey(EKEY_CODE key) {
    PickControl = PickShift = false;
    if (RowsDirty)
        rebuildRows();
    if (Rows.empty())
        return false;
    CTreeViewNode* current = Selected && Selected->RowStamp == RowStamp ? Selected : nullptr;
    const s32 last = static_cast<s32>(Rows.size()) - 1;
    const s32 page = std::max(1, viewHeight() / ItemHeight - 1);
    CTreeViewNode* target = nullptr;
    switch (key) {
    case KEY_DOWN:
        target = current ? Rows[std::min(current->Row + 1, last)] : Rows.front();
        break;
    case KEY_UP:
        target = current ? Rows[std::max(current->Row - 1, 0)] : Rows.front();
        break;
    case KEY_HOME:
        target = Rows.front();
        break;
    case KEY_END:
        target = Rows.back();
        break;
    case KEY_NEXT:
        target = current ? Rows[std::min(current->Row + page, last)] : Rows.front();
        break;
    case KEY_PRIOR:
        target = current ? Rows[std::max(current->Row - page, 0)] : Rows.front();
        break;
    case KEY_RIGHT:
        if (!current)
            return false;
        if (current->hasChildren() && !current->Expanded)
            toggleByUser(current);
        else
            target = current->FirstChild;
        break;
    case KEY_F2:
        if (!current || !Handlers.renamed)
            return false;
        beginRename(current);
        return true;
    case KEY_LEFT:
        if (!current)
            return false;
        if (current->hasChildren() && current->Expanded)
            toggleByUser(current);
        else if (!current->Parent->IsRoot)
            target = current->Parent;
        break;
    default:
        return false;
    }
    if (target) {
        selectByUser(target);
        scrollToNode(target);
    }
    return true;
}

bool CTreeView::OnEvent(const SEvent& event) {
    if (!isEnabled())
        return IGUIElement::OnEvent(event);
    if (onEditingEvent(event))
        return true;
    switch (event.EventType) {
    case EET_GUI_EVENT:
        // The bar's own moves concern the tree alone.
        if (event.GUIEvent.EventType == gui::EGET_SCROLL_BAR_CHANGED && event.GUIEvent.Caller == ScrollBar)
            return true;
        break;
    case EET_KEY_INPUT_EVENT:
        if (event.KeyInput.PressedDown && onKey(event.KeyInput.Key))
            return true;
        break;
    case EET_MOUSE_INPUT_EVENT: {
        const core::position2di at(event.MouseInput.X, event.MouseInput.Y);
        switch (event.MouseInput.Event) {
        case EMIE_MOUSE_WHEEL:
            if (ScrollBar) {
                const s32 step = WheelRows > 0 ? WheelRows * ItemHeight : kSmallScrollStep;
                ScrollBar->setPos(ScrollBar->getPos() - static_cast<s32>(event.MouseInput.Wheel) * step);
            }
            return true;
        case EMIE_LMOUSE_PRESSED_DOWN:
            return true;
        case EMIE_LMOUSE_LEFT_UP: {
            if (ScrollBar && ScrollBar->isVisible() && ScrollBar->getAbsolutePosition().isPointInside(at))
                return ScrollBar->OnEvent(event);
            // The engine's tree hands the focus back after a click, so the
            // keys keep steering the camera after a pick; the scene box's
            // keeps it, so the keys move the selection.
            if (!KeepsFocus)
                Environment->removeFocus(this);
            PickControl = event.MouseInput.Control;
            PickShift = event.MouseInput.Shift;
            CTreeViewNode* node = nodeAt(at.X, at.Y);
            if (!node)
                return true;
            const s32 expanderLeft = levelLeft(node->getLevel());
            if (node->hasChildren() && at.X >= expanderLeft && at.X < expanderLeft + IndentWidth)
                toggleByUser(node);
            else
                selectByUser(node);
            return true;
        }
        default:
            break;
        }
        break;
    }
    default:
        break;
    }
    return IGUIElement::OnEvent(event);
}

void CTreeView::draw() {
    if (!IsVisible)
        return;
    updateMetrics();
    if (RowsDirty)
        rebuildRows();
    else
        updateScrollBar();

    gui::IGUISkin* skin = Environment->getSkin();
    skin->draw3DSunkenPane(this, skin->getColor(gui::EGDC_3D_HIGH_LIGHT), true, DrawBackground, AbsoluteRect,
                           &AbsoluteClippingRect);

    core::rect<s32> clip = AbsoluteClippingRect;
    // Rows stay off the frame's bottom edge and the scroll bar.
    clip.LowerRightCorner.Y = std::min(clip.LowerRightCorner.Y, AbsoluteRect.LowerRightCorner.Y - 1);
    if (ScrollBar && ScrollBar->isVisible())
        clip.LowerRightCorner.X = std::min(clip.LowerRightCorner.X, ScrollBar->getAbsolutePosition().UpperLeftCorner.X);

    const s32 top = AbsoluteRect.UpperLeftCorner.Y - scrollPosition();
    const s32 first = std::max(0, (clip.UpperLeftCorner.Y - top) / ItemHeight);
    for (size_t row = static_cast<size_t>(first); row < Rows.size(); ++row) {
        const s32 rowTop = top + static_cast<s32>(row) * ItemHeight;
        if (rowTop >= clip.LowerRightCorner.Y)
            break;
        drawRow(Rows[row], rowTop, clip);
    }
    drawDropTarget(clip);
    // The frame's light bottom edge runs under the dark left edge's last pixel.
    const core::rect<s32>& r = AbsoluteRect;
    fillClipped(Environment->getVideoDriver(), skin->getColor(gui::EGDC_3D_HIGH_LIGHT),
                core::rect<s32>(r.UpperLeftCorner.X, r.LowerRightCorner.Y - 1, r.UpperLeftCorner.X + 1,
                                r.LowerRightCorner.Y),
                AbsoluteClippingRect);
    IGUIElement::draw();
}

void CTreeView::drawRow(CTreeViewNode* node, s32 top, const core::rect<s32>& clip) {
    gui::IGUISkin* skin = Environment->getSkin();
    video::IVideoDriver* driver = Environment->getVideoDriver();
    const s32 level = node->getLevel();
    const s32 expanderLeft = levelLeft(level);
    s32 left = expanderLeft + IndentWidth;
    const s32 right = clip.LowerRightCorner.X;
    const bool selected = node == Selected || node->Marked;

    if (selected)
        fillClipped(driver, skin->getColor(gui::EGDC_HIGH_LIGHT), core::rect<s32>(left, top, right, top + ItemHeight),
                    clip);

    if (node->hasChildren()) {
        const s32 size = IndentWidth - 4;
        // The outline covers both corners given, so the box is size pixels wide.
        const core::rect<s32> box(expanderLeft + 2, top + (ItemHeight - size) / 2, expanderLeft + 1 + size,
                                  top + (ItemHeight - size) / 2 + size - 1);
        const video::SColor lineColour = skin->getColor(gui::EGDC_3D_SHADOW);
        driver->draw2DRectangleOutline(box, lineColour);
        const video::SColor signColour = skin->getColor(gui::EGDC_BUTTON_TEXT);
        const s32 cx = box.UpperLeftCorner.X + size / 2, cy = box.UpperLeftCorner.Y + size / 2;
        fillClipped(driver, signColour,
                    core::rect<s32>(box.UpperLeftCorner.X + 2, cy, box.LowerRightCorner.X - 1, cy + 1), clip);
        if (!shownExpanded(node))
            fillClipped(driver, signColour,
                        core::rect<s32>(cx, box.UpperLeftCorner.Y + 2, cx + 1, box.LowerRightCorner.Y - 1), clip);
    }
    if (LinesVisible)
        drawLines(node, top, node->hasChildren() ? expanderLeft + 2 : left, clip);

    const video::SColor textColour = skin->getColor(
        selected ? gui::EGDC_HIGH_LIGHT_TEXT : (node->Dimmed ? gui::EGDC_GRAY_TEXT : gui::EGDC_BUTTON_TEXT));
    const u32 image = selected && node->SelectedImageIndex != static_cast<u32>(-1) ? node->SelectedImageIndex
                                                                                   : node->ImageIndex;
    const bool hasImage = ImageList && image < static_cast<u32>(ImageList->getImageCount());
    auto drawImage = [&] {
        if (!hasImage)
            return;
        const s32 h = ImageList->getImageSize().Height;
        ImageList->draw(static_cast<s32>(image), core::position2di(left, top + (ItemHeight - h) / 2), &clip);
        left += ImageList->getImageSize().Width + 3;
    };
    auto drawIcon = [&] {
        if (!IconFont || node->Icon.empty())
            return;
        const core::rect<s32> area(left, top, right, top + ItemHeight);
        IconFont->draw(node->Icon, area, textColour, false, true, &clip);
        left += static_cast<s32>(IconFont->getDimension(node->Icon.c_str()).Width) + 3;
    };
    if (ImageLeftOfIcon) {
        drawImage();
        drawIcon();
    } else {
        drawIcon();
        drawImage();
    }
    if (Font)
        Font->draw(node->Text, core::rect<s32>(left, top, right, top + ItemHeight), textColour, false, true, &clip);
}

// Lines are drawn row by row so that only the rows in view cost anything: the
// horizontal line from the parent's column to the item, the item's own column
// from the sibling above down to its middle (and on down when a sibling
// follows), and the columns of ancestors that still have siblings below.
void CTreeView::drawLines(CTreeViewNode* node, s32 top, s32 end, const core::rect<s32>& clip) {
    gui::IGUISkin* skin = Environment->getSkin();
    video::IVideoDriver* driver = Environment->getVideoDriver();
    const video::SColor colour = skin->getColor(gui::EGDC_3D_SHADOW);
    const s32 bottom = top + ItemHeight;
    const s32 middle = top + ItemHeight / 2;
    auto vertical = [&](s32 x, s32 from, s32 to) {
        fillClipped(driver, colour, core::rect<s32>(x, from, x + 1, to), clip);
    };
    s32 level = node->getLevel();
    s32 column = levelLeft(level) + IndentWidth / 2 - IndentWidth;
    fillClipped(driver, colour, core::rect<s32>(column, middle, end - kLineGap + 1, middle + 1), clip);
    vertical(column, node->PrevSibling ? top : top - 1, middle + 1);
    if (node->NextSibling)
        vertical(column, middle, bottom);
    // Columns further left than the clip are not drawn: the walk up stops there.
    for (CTreeViewNode* a = node->Parent; a && !a->IsRoot && column >= clip.UpperLeftCorner.X; a = a->Parent) {
        column -= IndentWidth;
        if (a->NextSibling)
            vertical(column, top, bottom);
    }
}

} // namespace sorn
