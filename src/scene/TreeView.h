#pragma once
// The scene box's tree: the engine's tree view interfaces with siblings kept
// in a doubly linked list (every sibling step is one pointer) and the rows
// shown kept in an array rebuilt only after the tree changes, so a frame
// draws only the rows in view and a click finds its row at once, whatever
// the number of items. An item's children may be left unmade until they are
// first asked for (the tree's child maker makes them), so a large subtree
// added collapsed costs one row.
#include <irrlicht.h>

#include <vector>

namespace sorn {

class CTreeView;

// What the owner of a tree does with the user's edits: a row's text edited in
// place, and rows dragged onto another row. Editing and dragging are offered
// only when the handler is set, and only on rows that carry data.
struct TreeEditHandlers {
    // Enter (or leaving the box) on an edited row: the item and the new text.
    void (*renamed)(irr::gui::IGUITreeViewNode* item, const irr::core::stringw& text) = nullptr;
    // A row dropped onto another (the label row of the tree included).
    void (*dropped)(irr::gui::IGUITreeViewNode* dragged, irr::gui::IGUITreeViewNode* onto) = nullptr;
};

class CTreeViewNode : public irr::gui::IGUITreeViewNode {
public:
    CTreeViewNode(CTreeView* owner, CTreeViewNode* parent);
    ~CTreeViewNode() override;

    irr::gui::IGUITreeView* getOwner() const override;
    irr::gui::IGUITreeViewNode* getParent() const override { return Parent; }
    const wchar_t* getText() const override { return Text.c_str(); }
    void setText(const wchar_t* text) override;
    const wchar_t* getIcon() const override { return Icon.c_str(); }
    void setIcon(const wchar_t* icon) override { Icon = icon; }
    irr::u32 getImageIndex() const override { return ImageIndex; }
    void setImageIndex(irr::u32 imageIndex) override { ImageIndex = imageIndex; }
    irr::u32 getSelectedImageIndex() const override { return SelectedImageIndex; }
    void setSelectedImageIndex(irr::u32 imageIndex) override { SelectedImageIndex = imageIndex; }
    void* getData() const override { return Data; }
    void setData(void* data) override { Data = data; }
    irr::IReferenceCounted* getData2() const override { return Data2; }
    void setData2(irr::IReferenceCounted* data) override;
    irr::u32 getChildCount() const override;
    void clearChildren() override;
    // True for children not made yet too.
    bool hasChildren() const override { return FirstChild != nullptr || ChildrenUnmade; }

    irr::gui::IGUITreeViewNode* addChildBack(const wchar_t* text, const wchar_t* icon = 0, irr::s32 imageIndex = -1,
                                             irr::s32 selectedImageIndex = -1, void* data = 0,
                                             irr::IReferenceCounted* data2 = 0) override;
    irr::gui::IGUITreeViewNode* addChildFront(const wchar_t* text, const wchar_t* icon = 0, irr::s32 imageIndex = -1,
                                              irr::s32 selectedImageIndex = -1, void* data = 0,
                                              irr::IReferenceCounted* data2 = 0) override;
    irr::gui::IGUITreeViewNode* insertChildAfter(irr::gui::IGUITreeViewNode* other, const wchar_t* text,
                                                 const wchar_t* icon = 0, irr::s32 imageIndex = -1,
                                                 irr::s32 selectedImageIndex = -1, void* data = 0,
                                                 irr::IReferenceCounted* data2 = 0) override;
    irr::gui::IGUITreeViewNode* insertChildBefore(irr::gui::IGUITreeViewNode* other, const wchar_t* text,
                                                  const wchar_t* icon = 0, irr::s32 imageIndex = -1,
                                                  irr::s32 selectedImageIndex = -1, void* data = 0,
                                                  irr::IReferenceCounted* data2 = 0) override;

    // Both make the children first when they are not made yet.
    irr::gui::IGUITreeViewNode* getFirstChild() const override;
    irr::gui::IGUITreeViewNode* getLastChild() const override;
    irr::gui::IGUITreeViewNode* getPrevSibling() const override { return PrevSibling; }
    irr::gui::IGUITreeViewNode* getNextSibling() const override { return NextSibling; }
    irr::gui::IGUITreeViewNode* getNextVisible() const override { return nextVisible(); }

    bool deleteChild(irr::gui::IGUITreeViewNode* child) override;
    bool moveChildUp(irr::gui::IGUITreeViewNode* child) override;
    bool moveChildDown(irr::gui::IGUITreeViewNode* child) override;

    bool getExpanded() const override { return Expanded; }
    void setExpanded(bool expanded) override;
    bool getSelected() const override;
    void setSelected(bool selected) override;
    bool isRoot() const override { return IsRoot; }
    irr::s32 getLevel() const override { return Level; }
    bool isVisible() const override;

    // Drawn highlighted as one of several selected items (the selected item
    // itself always is).
    void setMarked(bool marked) { Marked = marked; }
    bool isMarked() const { return Marked; }
    // A row drawn in the skin's grey text colour (a placeholder text, such as
    // the type of a node without a name).
    void setDimmed(bool dimmed) { Dimmed = dimmed; }
    bool getDimmed() const { return Dimmed; }

    // Takes a child out with everything under it, kept whole for attachChild:
    // the caller gets the child's reference. Null when it is not a child.
    // A kept subtree belongs to no tree, so it may outlive this one.
    CTreeViewNode* detachChild(irr::gui::IGUITreeViewNode* child);
    // Puts a subtree taken out by detachChild under this item, before the
    // given child (last when null), taking over the reference. Its rows come
    // back collapsed, as new rows are. False (nothing taken) when the
    // subtree is attached somewhere or before is not a child.
    bool attachChild(CTreeViewNode* subtree, irr::gui::IGUITreeViewNode* before);

    // The item has children that its tree's child maker makes when they are
    // first asked for (expanded, walked, or the filter looks at them).
    void setChildrenUnmade(bool unmade) { ChildrenUnmade = unmade && !FirstChild; }
    bool childrenUnmade() const { return ChildrenUnmade; }
    // The first child made so far, without making any (walks that look only
    // at the rows there are).
    CTreeViewNode* firstMadeChild() const { return FirstChild; }
    // Makes the children now when they are not made yet (nothing while the
    // item belongs to no tree).
    void makeChildren() const;

    CTreeViewNode* nextVisible() const;
    // The visible node before this one (its parent when it is a first child).
    CTreeViewNode* prevVisible() const;

private:
    friend class CTreeView;

    CTreeViewNode* makeChild(const wchar_t* text, const wchar_t* icon, irr::s32 imageIndex,
                             irr::s32 selectedImageIndex, void* data, irr::IReferenceCounted* data2);
    // Puts a new child before the given sibling (at the end when null).
    void link(CTreeViewNode* child, CTreeViewNode* before);
    void unlink(CTreeViewNode* child);
    bool isMyChild(irr::gui::IGUITreeViewNode* node) const;
    void changed() const;

    CTreeView* Owner;
    CTreeViewNode* Parent;
    CTreeViewNode* FirstChild = nullptr;
    CTreeViewNode* LastChild = nullptr;
    CTreeViewNode* PrevSibling = nullptr;
    CTreeViewNode* NextSibling = nullptr;
    irr::u32 ChildCount = 0;
    irr::core::stringw Text;
    // The text folded to lower case once, for the filter.
    irr::core::stringw FoldedText;
    irr::core::stringw Icon;
    irr::u32 ImageIndex = static_cast<irr::u32>(-1);
    irr::u32 SelectedImageIndex = static_cast<irr::u32>(-1);
    void* Data = nullptr;
    irr::IReferenceCounted* Data2 = nullptr;
    bool Expanded = false;
    bool IsRoot = false;
    bool Marked = false;
    bool Dimmed = false;
    bool ChildrenUnmade = false;
    // The item or one under it matches the tree's filter (valid while filtering).
    bool FilterShown = false;
    // Items never change parents, so the level is known from the start.
    irr::s32 Level = 0;
    // Row in the owner's row array, valid while RowStamp matches the owner's.
    irr::s32 Row = -1;
    irr::u32 RowStamp = 0;
};

class CTreeView : public irr::gui::IGUITreeView {
public:
    CTreeView(irr::gui::IGUIEnvironment* environment, irr::gui::IGUIElement* parent, irr::s32 id,
              irr::core::rect<irr::s32> rectangle, bool drawBackground, bool scrollBarVertical);
    ~CTreeView() override;

    irr::gui::IGUITreeViewNode* getRoot() const override { return Root; }
    irr::gui::IGUITreeViewNode* getSelected() const override { return Selected; }
    bool getLinesVisible() const override { return LinesVisible; }
    void setLinesVisible(bool visible) override { LinesVisible = visible; }
    void setIconFont(irr::gui::IGUIFont* font) override;
    void setImageList(irr::gui::IGUIImageList* imageList) override;
    irr::gui::IGUIImageList* getImageList() const override { return ImageList; }
    void setImageLeftOfIcon(bool leftOf) override { ImageLeftOfIcon = leftOf; }
    bool getImageLeftOfIcon() const override { return ImageLeftOfIcon; }
    irr::gui::IGUITreeViewNode* getLastEventNode() const override { return LastEventNode; }

    bool OnEvent(const irr::SEvent& event) override;
    void draw() override;

    // Height of one row in pixels (the font's height plus a margin, at least
    // the height of an image of the image list).
    irr::s32 rowHeight() const { return ItemHeight; }
    // Number of rows the tree shows when scrolled through (expanded items).
    irr::u32 shownRowCount();
    // The node drawn at the given screen position, or null.
    CTreeViewNode* nodeAt(irr::s32 x, irr::s32 y);
    // Scrolls as little as needed to show the node's row in full.
    void scrollToNode(irr::gui::IGUITreeViewNode* node);
    // Current scroll offset in pixels.
    irr::s32 scrollPosition() const;

    // Whether the click that made the last selection held Control or Shift
    // (false for a selection by key).
    bool pickedWithControl() const { return PickControl; }
    bool pickedWithShift() const { return PickShift; }
    // The rows shown from one item to the other, both included, top first;
    // empty when either is not shown.
    std::vector<CTreeViewNode*> rowsBetween(irr::gui::IGUITreeViewNode* from, irr::gui::IGUITreeViewNode* to);
    // The editor's behaviour beside the engine's (all off by default, so the
    // tree acts as the engine's): the wheel scrolls this many rows a notch
    // (0: the engine's 10 pixels), a click leaves the focus on the tree so
    // the keys move the selection, and rows can be renamed and dragged.
    void setWheelRows(irr::s32 rows) { WheelRows = rows; }
    void setKeepsFocus(bool keeps) { KeepsFocus = keeps; }
    void setEditHandlers(const TreeEditHandlers& handlers) { Handlers = handlers; }
    // Makes the children of an item marked as having unmade ones; the item
    // is passed without them and with the mark cleared.
    void setChildMaker(void (*maker)(CTreeViewNode* item)) { ChildMaker = maker; }

    // Shows only the rows whose text contains the filter (ignoring case),
    // with their ancestors, all expanded; an empty filter shows the tree.
    void setFilter(const wchar_t* text);
    const irr::core::stringw& filter() const { return Filter; }

    // Edits the item's text in place in an edit box over its row (F2 and a
    // double click do it for the user). Nothing for an item without data.
    bool beginRename(irr::gui::IGUITreeViewNode* node);
    // Ends the editing: the handler hears the new text when applied.
    void endRename(bool apply);
    bool isRenaming() const { return RenameItem != nullptr; }
    irr::gui::IGUIEditBox* renameBox() const { return RenameBox; }
    // The row being dragged and the row under the pointer, while a drag lasts.
    CTreeViewNode* dragItem() const { return Dragging ? DragItem : nullptr; }
    CTreeViewNode* dropTarget() const { return Dragging ? DropTarget : nullptr; }

    // Case folding of the filter: ASCII and Latin-1 letters (the font's).
    static irr::core::stringw foldCase(const irr::core::stringw& text);

private:
    friend class CTreeViewNode;

    void rowsChanged() { RowsDirty = true; }
    void rebuildRows();
    void updateScrollBar();
    void updateMetrics();
    void sendEvent(irr::gui::EGUI_EVENT_TYPE type, CTreeViewNode* node);
    void selectByUser(CTreeViewNode* node);
    void toggleByUser(CTreeViewNode* node);
    // Whether any item but this one is marked as selected.
    bool otherMarked(const CTreeViewNode* node) const;
    bool onKey(irr::EKEY_CODE key);
    void drawRow(CTreeViewNode* node, irr::s32 top, const irr::core::rect<irr::s32>& clip);
    void drawLines(CTreeViewNode* node, irr::s32 top, irr::s32 rowRight, const irr::core::rect<irr::s32>& clip);
    irr::s32 levelLeft(irr::s32 level) const;
    irr::s32 viewHeight() const;
    // Forgets the selection when it lies in the subtree about to go.
    void subtreeRemoved(CTreeViewNode* top);
    // Marks the items the filter shows.
    void markFilterMatches();
    bool filtering() const { return !Filter.empty(); }
    // Expanded as drawn: every shown row is open while filtering.
    bool shownExpanded(const CTreeViewNode* node) const { return filtering() || node->Expanded; }
    // The mouse and key events of renaming and dragging; true when taken.
    bool onEditingEvent(const irr::SEvent& event);
    void finishRename(bool apply, bool refocus);
    void beginDrag(CTreeViewNode* node, irr::s32 x, irr::s32 y);
    void forgetDrag();
    void drawDropTarget(const irr::core::rect<irr::s32>& clip);

    CTreeViewNode* Root;
    CTreeViewNode* Selected = nullptr;
    CTreeViewNode* LastEventNode = nullptr;
    irr::gui::IGUIScrollBar* ScrollBar = nullptr;
    irr::gui::IGUIFont* Font = nullptr;
    irr::gui::IGUIFont* IconFont = nullptr;
    irr::gui::IGUIImageList* ImageList = nullptr;
    irr::s32 ItemHeight = 0;
    irr::s32 IndentWidth = 0;
    bool DrawBackground;
    bool LinesVisible = true;
    bool ImageLeftOfIcon = true;
    bool RowsDirty = true;
    bool PickControl = false;
    bool PickShift = false;
    irr::u32 RowStamp = 1;
    std::vector<CTreeViewNode*> Rows;

    irr::s32 WheelRows = 0;
    bool KeepsFocus = false;
    TreeEditHandlers Handlers;
    void (*ChildMaker)(CTreeViewNode* item) = nullptr;
    irr::core::stringw Filter; // folded
    irr::gui::IGUIEditBox* RenameBox = nullptr;
    CTreeViewNode* RenameItem = nullptr; // held while editing
    CTreeViewNode* DragItem = nullptr;   // held from the press until the release
    CTreeViewNode* DropTarget = nullptr;
    irr::core::position2di PressPoint;
    bool Dragging = false;
};

// Creates the tree under parent; the parent holds the only reference. The
// tree scrolls vertically only (rows are cut at the right edge, as the scene
// box's tree is asked for).
CTreeView* addTreeView(irr::gui::IGUIEnvironment* environment, const irr::core::rect<irr::s32>& rectangle,
                       irr::gui::IGUIElement* parent, irr::s32 id, bool drawBackground, bool scrollBarVertical);

} // namespace sorn
