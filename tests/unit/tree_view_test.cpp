#include <gtest/gtest.h>
#include <irrlicht.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "scene/TreeView.h"

using namespace irr;

namespace {

// Records the tree events that reach the user, with the node each one names.
class TreeEventLog : public IEventReceiver {
public:
    bool OnEvent(const SEvent& event) override {
        if (event.EventType != EET_GUI_EVENT)
            return false;
        const char* name = nullptr;
        switch (event.GUIEvent.EventType) {
        case gui::EGET_TREEVIEW_NODE_SELECT: name = "select"; break;
        case gui::EGET_TREEVIEW_NODE_DESELECT: name = "deselect"; break;
        case gui::EGET_TREEVIEW_NODE_EXPAND: name = "expand"; break;
        case gui::EGET_TREEVIEW_NODE_COLLAPSE: name = "collapse"; break;
        default: return false;
        }
        auto* tree = static_cast<gui::IGUITreeView*>(event.GUIEvent.Caller);
        gui::IGUITreeViewNode* node = tree->getLastEventNode();
        gui::IGUITreeViewNode* selected = tree->getSelected();
        text += std::string(name) + " " + (node ? core::stringc(node->getText()).c_str() : "-") + " (selected " +
                (selected ? core::stringc(selected->getText()).c_str() : "-") + ")\n";
        return false;
    }
    std::string text;
};

class TreeViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        device = createDevice(video::EDT_NULL, core::dimension2du(640, 480), 16, false, false, false, &log);
        ASSERT_NE(device, nullptr);
        gui = device->getGUIEnvironment();
    }
    void TearDown() override { device->drop(); }

    gui::IGUITreeView* engineTree() { return gui->addTreeView(kRect, nullptr, 1, false, true, false); }
    gui::IGUITreeView* editorTree() { return sorn::addTreeView(gui, kRect, nullptr, 2, false, true); }

    // n0 .. n(count-1) under the root; n2 holds n2a (holding n2a1) and n2b.
    static void fill(gui::IGUITreeView* tree, int count) {
        for (int i = 0; i < count; ++i) {
            gui::IGUITreeViewNode* item = tree->getRoot()->addChildBack((L"n" + std::to_wstring(i)).c_str());
            if (i == 2) {
                item->addChildBack(L"n2a")->addChildBack(L"n2a1");
                item->addChildBack(L"n2b");
            }
        }
    }

    void draw() { gui->drawAll(); }

    void mouse(EMOUSE_INPUT_EVENT type, s32 x, s32 y, f32 wheel = 0.f) {
        SEvent event;
        event.EventType = EET_MOUSE_INPUT_EVENT;
        event.MouseInput.Event = type;
        event.MouseInput.X = x;
        event.MouseInput.Y = y;
        event.MouseInput.Wheel = wheel;
        event.MouseInput.Shift = event.MouseInput.Control = false;
        event.MouseInput.ButtonStates = type == EMIE_LMOUSE_PRESSED_DOWN ? EMBSM_LEFT : 0;
        device->postEventFromUser(event);
    }
    void click(s32 x, s32 y) {
        mouse(EMIE_MOUSE_MOVED, x, y);
        mouse(EMIE_LMOUSE_PRESSED_DOWN, x, y);
        mouse(EMIE_LMOUSE_LEFT_UP, x, y);
    }
    void key(EKEY_CODE code) {
        SEvent event;
        event.EventType = EET_KEY_INPUT_EVENT;
        event.KeyInput.Key = code;
        event.KeyInput.Char = 0;
        event.KeyInput.Shift = event.KeyInput.Control = false;
        event.KeyInput.PressedDown = true;
        device->postEventFromUser(event);
        event.KeyInput.PressedDown = false;
        device->postEventFromUser(event);
    }

    s32 rowHeight(gui::IGUITreeView*) {
        return static_cast<s32>(gui->getSkin()->getFont()->getDimension(L" ").Height) + 4;
    }
    static gui::IGUIScrollBar* scrollBar(gui::IGUITreeView* tree) {
        for (gui::IGUIElement* child : tree->getChildren())
            if (child->getType() == gui::EGUIET_SCROLL_BAR)
                return static_cast<gui::IGUIScrollBar*>(child);
        return nullptr;
    }

    // The tree as text: one line per item, indented by level, with its state.
    static std::string outline(gui::IGUITreeViewNode* item, int depth = 0) {
        std::string text;
        for (gui::IGUITreeViewNode* child = item->getFirstChild(); child; child = child->getNextSibling()) {
            text += std::string(depth * 2, ' ') + core::stringc(child->getText()).c_str() +
                    (child->getSelected() ? " *" : "") + (child->getExpanded() ? " +" : "") + "\n";
            text += outline(child, depth + 1);
        }
        return text;
    }
    static gui::IGUITreeViewNode* find(gui::IGUITreeViewNode* item, const wchar_t* text) {
        for (gui::IGUITreeViewNode* child = item->getFirstChild(); child; child = child->getNextSibling()) {
            if (core::stringw(child->getText()) == text)
                return child;
            if (gui::IGUITreeViewNode* found = find(child, text))
                return found;
        }
        return nullptr;
    }

    const core::rect<s32> kRect{10, 10, 206, 256};
    TreeEventLog log;
    IrrlichtDevice* device = nullptr;
    gui::IGUIEnvironment* gui = nullptr;
};

// Mouse scripts played on the engine's tree and on the editor's: the events
// the user hears, the selection, the expansion and the scroll position must
// be the same. Digits click that row's text, 'x' the expand button of row 2,
// 'z' below the last row, 'w'/'W' turn the wheel down/up.
struct MouseCase {
    const char* script;
    int items;
};

const MouseCase kMouseCases[] = {
    {"1", 5},    {"12", 5},   {"11", 5},  {"x", 5},     {"xx", 5},  {"2x3", 5}, {"z", 5},
    {"1z", 5},   {"w", 5},    {"w", 40},  {"wwwW", 40}, {"x4x", 5}, {"0x", 5},  {"x3w1", 40},
    {"x3x", 5},  {"ww1", 40}, {"x2", 5},  {"x1x2", 5},
};

TEST_F(TreeViewTest, MouseBehavesAsTheEngineTree) {
    for (const MouseCase& c : kMouseCases) {
        std::string results[2];
        for (int which = 0; which < 2; ++which) {
            gui::IGUITreeView* tree = which == 0 ? engineTree() : editorTree();
            fill(tree, c.items);
            draw();
            const s32 h = rowHeight(tree);
            log.text.clear();
            for (const char* step = c.script; *step; ++step) {
                const s32 top = kRect.UpperLeftCorner.Y;
                if (*step >= '0' && *step <= '9')
                    click(kRect.UpperLeftCorner.X + 60, top + h / 2 + h * (*step - '0'));
                else if (*step == 'x')
                    click(kRect.UpperLeftCorner.X + 8, top + h / 2 + h * 2);
                else if (*step == 'z')
                    click(kRect.UpperLeftCorner.X + 60, kRect.LowerRightCorner.Y - 3);
                else
                    mouse(EMIE_MOUSE_WHEEL, kRect.UpperLeftCorner.X + 60, top + 20, *step == 'w' ? -1.f : 1.f);
                draw();
            }
            gui::IGUIScrollBar* bar = scrollBar(tree);
            results[which] = log.text + outline(tree->getRoot()) + "scroll " +
                             std::to_string(bar ? bar->getPos() : -1) + " of " +
                             std::to_string(bar ? bar->getMax() : -1) + "\nfocus " +
                             std::to_string(gui->hasFocus(tree));
            tree->remove();
        }
        EXPECT_EQ(results[1], results[0]) << "script " << c.script << " with " << c.items << " items";
    }
}

// The same item operations on both trees give the same structure, and every
// sibling step agrees.
TEST_F(TreeViewTest, StructureOperationsMatchTheEngineTree) {
    using Step = std::function<void(gui::IGUITreeViewNode* root)>;
    const std::pair<const char*, Step> cases[] = {
        {"front and back", [](gui::IGUITreeViewNode* r) { r->addChildBack(L"b"); r->addChildFront(L"a"); }},
        {"insert after", [](gui::IGUITreeViewNode* r) {
             gui::IGUITreeViewNode* a = r->addChildBack(L"a");
             r->addChildBack(L"c");
             r->insertChildAfter(a, L"b");
         }},
        {"insert before", [](gui::IGUITreeViewNode* r) {
             gui::IGUITreeViewNode* c = r->addChildBack(L"c");
             r->insertChildBefore(c, L"b");
             r->insertChildBefore(r->getFirstChild(), L"a");
         }},
        {"insert beside a stranger", [](gui::IGUITreeViewNode* r) {
             gui::IGUITreeViewNode* a = r->addChildBack(L"a");
             gui::IGUITreeViewNode* inner = a->addChildBack(L"inner");
             EXPECT_EQ(r->insertChildAfter(inner, L"x"), nullptr);
             EXPECT_EQ(r->insertChildBefore(nullptr, L"y"), nullptr);
         }},
        {"move up and down", [](gui::IGUITreeViewNode* r) {
             gui::IGUITreeViewNode* a = r->addChildBack(L"a");
             gui::IGUITreeViewNode* b = r->addChildBack(L"b");
             gui::IGUITreeViewNode* c = r->addChildBack(L"c");
             EXPECT_TRUE(r->moveChildUp(c));
             EXPECT_FALSE(r->moveChildUp(a) && false);
             EXPECT_TRUE(r->moveChildDown(a));
             EXPECT_FALSE(r->moveChildDown(b));
         }},
        {"delete", [](gui::IGUITreeViewNode* r) {
             r->addChildBack(L"a");
             gui::IGUITreeViewNode* b = r->addChildBack(L"b");
             b->addChildBack(L"b1");
             r->addChildBack(L"c");
             EXPECT_TRUE(r->deleteChild(b));
             EXPECT_FALSE(r->deleteChild(r->getFirstChild()->getFirstChild()));
         }},
        {"clear", [](gui::IGUITreeViewNode* r) {
             r->addChildBack(L"a")->addChildBack(L"a1");
             r->getFirstChild()->clearChildren();
             r->addChildBack(L"b");
         }},
        {"expand and select", [](gui::IGUITreeViewNode* r) {
             gui::IGUITreeViewNode* a = r->addChildBack(L"a");
             a->addChildBack(L"a1")->setSelected(true);
             a->setExpanded(true);
             r->addChildBack(L"b")->setSelected(true);
         }},
        {"collapse over the selection", [](gui::IGUITreeViewNode* r) {
             gui::IGUITreeViewNode* a = r->addChildBack(L"a");
             a->setExpanded(true);
             a->addChildBack(L"a1")->setSelected(true);
             a->setExpanded(false);
         }},
    };
    for (const auto& c : cases) {
        std::string results[2];
        for (int which = 0; which < 2; ++which) {
            gui::IGUITreeView* tree = which == 0 ? engineTree() : editorTree();
            c.second(tree->getRoot());
            std::string walk = outline(tree->getRoot());
            // Backwards along the siblings, and down the visible items.
            for (gui::IGUITreeViewNode* n = tree->getRoot()->getLastChild(); n; n = n->getPrevSibling())
                walk += core::stringc(n->getText()).c_str() + std::string(" ");
            walk += "|";
            for (gui::IGUITreeViewNode* n = tree->getRoot()->getFirstChild(); n; n = n->getNextVisible())
                walk += core::stringc(n->getText()).c_str() + std::string(" ") + std::to_string(n->getLevel()) +
                        (n->isVisible() ? "v " : " ");
            walk += "| children " + std::to_string(tree->getRoot()->getChildCount());
            results[which] = walk;
            tree->remove();
        }
        EXPECT_EQ(results[1], results[0]) << c.first;
    }
}

TEST_F(TreeViewTest, RootAndOwner) {
    gui::IGUITreeView* tree = editorTree();
    gui::IGUITreeViewNode* root = tree->getRoot();
    EXPECT_TRUE(root->isRoot());
    EXPECT_EQ(root->getParent(), nullptr);
    EXPECT_EQ(root->getLevel(), 0);
    gui::IGUITreeViewNode* child = root->addChildBack(L"a");
    EXPECT_FALSE(child->isRoot());
    EXPECT_EQ(child->getOwner(), tree);
    EXPECT_EQ(child->getParent(), root);
    EXPECT_EQ(tree->getType(), gui::EGUIET_TREE_VIEW);
    EXPECT_EQ(tree->getID(), 2);
}

TEST_F(TreeViewTest, DataAndReferenceCountedData) {
    gui::IGUITreeView* tree = editorTree();
    int payload = 0;
    gui::IGUIElement* holder = gui->addStaticText(L"", core::rect<s32>(0, 0, 1, 1));
    holder->grab();
    const s32 before = holder->getReferenceCount();
    gui::IGUITreeViewNode* item = tree->getRoot()->addChildBack(L"a", L"i", 3, 4, &payload, holder);
    EXPECT_EQ(item->getData(), &payload);
    EXPECT_EQ(item->getData2(), holder);
    EXPECT_EQ(holder->getReferenceCount(), before + 1) << "the item holds its second datum";
    EXPECT_EQ(core::stringw(item->getIcon()), core::stringw(L"i"));
    EXPECT_EQ(item->getImageIndex(), 3u);
    EXPECT_EQ(item->getSelectedImageIndex(), 4u);
    item->setData(nullptr);
    EXPECT_EQ(item->getData(), nullptr);
    tree->getRoot()->clearChildren();
    EXPECT_EQ(holder->getReferenceCount(), before) << "released with the item";
    holder->drop();
}

TEST_F(TreeViewTest, RemovingTheSelectedItemOrItsAncestorClearsTheSelection) {
    gui::IGUITreeView* tree = editorTree();
    gui::IGUITreeViewNode* root = tree->getRoot();
    gui::IGUITreeViewNode* a = root->addChildBack(L"a");
    gui::IGUITreeViewNode* a1 = a->addChildBack(L"a1");
    a1->setSelected(true);
    EXPECT_EQ(tree->getSelected(), a1);
    root->deleteChild(a);
    EXPECT_EQ(tree->getSelected(), nullptr);

    root->addChildBack(L"b")->addChildBack(L"b1")->setSelected(true);
    root->clearChildren();
    EXPECT_EQ(tree->getSelected(), nullptr);
    EXPECT_EQ(root->getChildCount(), 0u);

    gui::IGUITreeViewNode* c = root->addChildBack(L"c");
    c->setSelected(true);
    c->setSelected(false);
    EXPECT_EQ(tree->getSelected(), nullptr);
}

// A chain nested far deeper than any stack allows recursion for is built,
// drawn and released without recursing.
TEST_F(TreeViewTest, DeepNestingIsReleasedWithoutRecursion) {
    gui::IGUITreeView* tree = editorTree();
    gui::IGUITreeViewNode* item = tree->getRoot();
    for (int i = 0; i < 200000; ++i) {
        item = item->addChildBack(L"deep");
        item->setExpanded(true);
    }
    draw();
    EXPECT_EQ(static_cast<sorn::CTreeView*>(tree)->shownRowCount(), 200000u);
    tree->getRoot()->clearChildren();
    EXPECT_EQ(static_cast<sorn::CTreeView*>(tree)->shownRowCount(), 0u);
}

// Children left unmade are made, once and in their place, by whatever first
// needs them, and by nothing that only draws or counts the rows shown.
int childrenMade = 0;
void makeTwoChildren(sorn::CTreeViewNode* item) {
    ++childrenMade;
    item->addChildBack(L"m1");
    item->addChildBack(L"m2");
}

TEST_F(TreeViewTest, UnmadeChildrenAreMadeWhenFirstNeeded) {
    const std::pair<const char*, std::function<void(sorn::CTreeView*, sorn::CTreeViewNode*)>> cases[] = {
        {"drawn and counted", [this](sorn::CTreeView* t, sorn::CTreeViewNode*) {
             draw();
             t->shownRowCount();
         }},
        {"expanded", [](sorn::CTreeView*, sorn::CTreeViewNode* a) { a->setExpanded(true); }},
        {"a child added", [](sorn::CTreeView*, sorn::CTreeViewNode* a) { a->addChildBack(L"m3"); }},
        {"filtered", [](sorn::CTreeView* t, sorn::CTreeViewNode*) {
             t->setFilter(L"M2");
             EXPECT_EQ(t->shownRowCount(), 2u) << "m2 and the row above it";
         }},
        {"kept aside and put back", [](sorn::CTreeView* t, sorn::CTreeViewNode* a) {
             auto* root = static_cast<sorn::CTreeViewNode*>(t->getRoot());
             ASSERT_TRUE(root->attachChild(root->detachChild(a), nullptr));
         }},
    };
    const int made[] = {0, 1, 1, 1, 0};
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].first);
        auto* tree = static_cast<sorn::CTreeView*>(editorTree());
        tree->setChildMaker(makeTwoChildren);
        auto* a = static_cast<sorn::CTreeViewNode*>(tree->getRoot()->addChildBack(L"a"));
        a->setChildrenUnmade(true);
        childrenMade = 0;
        cases[i].second(tree, a);
        EXPECT_EQ(childrenMade, made[i]);
        EXPECT_TRUE(a->hasChildren());
        EXPECT_EQ(core::stringw(a->getFirstChild()->getText()), L"m1") << "walking makes them";
        EXPECT_EQ(a->getChildCount(), i == 2 ? 3u : 2u);
        EXPECT_EQ(childrenMade, 1) << "once";
        tree->remove();
    }
}

// Keys, with the tree focused: the engine's tree of this version ignores
// them; these follow the usual tree conventions.
struct KeyCase {
    const char* start;   // selected before the keys
    std::vector<EKEY_CODE> keys;
    const char* selected;
    const char* events;
    const char* expanded; // items expanded afterwards, in order
};

const KeyCase kKeyCases[] = {
    {nullptr, {KEY_DOWN}, "n0", "select n0 (selected n0)\n", ""},
    {"n0", {KEY_DOWN, KEY_DOWN}, "n2", "deselect n0 (selected n1)\nselect n1 (selected n1)\n"
                                        "deselect n1 (selected n2)\nselect n2 (selected n2)\n", ""},
    {"n0", {KEY_UP}, "n0", "", ""},
    {"n3", {KEY_HOME}, "n0", "deselect n3 (selected n0)\nselect n0 (selected n0)\n", ""},
    {"n3", {KEY_END}, "n39", "deselect n3 (selected n39)\nselect n39 (selected n39)\n", ""},
    {"n2", {KEY_RIGHT}, "n2", "expand n2 (selected n2)\n", "n2 "},
    {"n2", {KEY_RIGHT, KEY_RIGHT, KEY_DOWN}, "n2b",
     "expand n2 (selected n2)\ndeselect n2 (selected n2a)\nselect n2a (selected n2a)\n"
     "deselect n2a (selected n2b)\nselect n2b (selected n2b)\n", "n2 "},
    {"n2", {KEY_RIGHT, KEY_LEFT}, "n2", "expand n2 (selected n2)\ncollapse n2 (selected n2)\n", ""},
    {"n2", {KEY_RIGHT, KEY_DOWN, KEY_LEFT}, "n2",
     "expand n2 (selected n2)\ndeselect n2 (selected n2a)\nselect n2a (selected n2a)\n"
     "deselect n2a (selected n2)\nselect n2 (selected n2)\n", "n2 "},
    {"n1", {KEY_LEFT, KEY_RIGHT}, "n1", "", ""},
    // A page is the rows in view less one: 17 rows of the built-in font here.
    {"n0", {KEY_NEXT}, "n16", "deselect n0 (selected n16)\nselect n16 (selected n16)\n", ""},
    {"n39", {KEY_PRIOR, KEY_PRIOR, KEY_PRIOR, KEY_PRIOR}, "n0", nullptr, ""},
};

TEST_F(TreeViewTest, KeysMoveTheSelectionExpandAndCollapse) {
    for (const KeyCase& c : kKeyCases) {
        gui::IGUITreeView* tree = editorTree();
        fill(tree, 40);
        if (c.start)
            find(tree->getRoot(), std::wstring(c.start, c.start + std::strlen(c.start)).c_str())->setSelected(true);
        gui->setFocus(tree);
        draw();
        log.text.clear();
        for (EKEY_CODE k : c.keys)
            key(k);
        const std::string label = std::string("from ") + (c.start ? c.start : "nothing");
        ASSERT_NE(tree->getSelected(), nullptr) << label;
        EXPECT_EQ(core::stringc(tree->getSelected()->getText()), core::stringc(c.selected)) << label;
        if (c.events)
            EXPECT_EQ(log.text, c.events) << label;
        std::string expanded;
        for (gui::IGUITreeViewNode* n = tree->getRoot()->getFirstChild(); n; n = n->getNextVisible())
            if (n->getExpanded())
                expanded += core::stringc(n->getText()).c_str() + std::string(" ");
        EXPECT_EQ(expanded, c.expanded) << label;
        tree->remove();
    }
}

TEST_F(TreeViewTest, KeysAreLeftAloneWithoutTheFocus) {
    gui::IGUITreeView* tree = editorTree();
    fill(tree, 5);
    draw();
    key(KEY_DOWN);
    EXPECT_EQ(tree->getSelected(), nullptr);
    EXPECT_EQ(log.text, "");
}

// Moving the selection with the keys scrolls just enough to show it.
TEST_F(TreeViewTest, ScrollsToTheSelection) {
    gui::IGUITreeView* tree = editorTree();
    fill(tree, 100);
    gui->setFocus(tree);
    draw();
    gui::IGUIScrollBar* bar = scrollBar(tree);
    const s32 h = rowHeight(tree);
    const s32 view = kRect.getHeight();
    key(KEY_END);
    EXPECT_EQ(bar->getPos(), bar->getMax());
    EXPECT_EQ(bar->getMax(), 100 * h - view);
    key(KEY_HOME);
    EXPECT_EQ(bar->getPos(), 0);
    const s32 rowsInView = view / h;
    for (int i = 0; i < rowsInView; ++i)
        key(KEY_DOWN);
    EXPECT_EQ(bar->getPos(), (rowsInView + 1) * h - view) << "the row just below the view comes in at the bottom";
    auto* own = static_cast<sorn::CTreeView*>(tree);
    own->scrollToNode(tree->getRoot()->getFirstChild());
    EXPECT_EQ(bar->getPos(), 0);
}

// Clicks find their row in the row array: the row under the pointer, with
// the tree scrolled, is the item clicked.
TEST_F(TreeViewTest, NodeAtFollowsTheScrollPosition) {
    gui::IGUITreeView* tree = editorTree();
    fill(tree, 1000);
    draw();
    auto* own = static_cast<sorn::CTreeView*>(tree);
    const s32 h = own->rowHeight();
    scrollBar(tree)->setPos(500 * h + 3);
    sorn::CTreeViewNode* node = own->nodeAt(kRect.UpperLeftCorner.X + 50, kRect.UpperLeftCorner.Y + 1);
    ASSERT_NE(node, nullptr);
    EXPECT_EQ(core::stringc(node->getText()), core::stringc("n500"));
    EXPECT_EQ(own->nodeAt(kRect.UpperLeftCorner.X - 1, kRect.UpperLeftCorner.Y + 1), nullptr) << "outside";
}

// An image list's images and icon texts do not change the rows' layout
// rules: images of a larger list make the rows taller.
TEST_F(TreeViewTest, ImageListSetsTheRowHeight) {
    gui::IGUITreeView* tree = editorTree();
    auto* own = static_cast<sorn::CTreeView*>(tree);
    const s32 plain = own->rowHeight();
    video::IImage* image = device->getVideoDriver()->createImage(video::ECF_A8R8G8B8, core::dimension2du(64, 40));
    video::ITexture* texture = device->getVideoDriver()->addTexture("images", image);
    image->drop();
    gui::IGUIImageList* list = gui->createImageList(texture, core::dimension2di(32, 40), true);
    ASSERT_NE(list, nullptr);
    tree->setImageList(list);
    list->drop();
    EXPECT_EQ(tree->getImageList(), list);
    EXPECT_EQ(own->rowHeight(), std::max(plain, 41));
    tree->setImageLeftOfIcon(false);
    EXPECT_FALSE(tree->getImageLeftOfIcon());
    tree->getRoot()->addChildBack(L"with image", L"#", 1, 0);
    draw();
    EXPECT_EQ(own->shownRowCount(), 1u);
}

// ---- The scene box's behaviour beside the engine's --------------------------

// What the edit handlers heard, for the tests below.
struct HeardEdits {
    std::string text;
    gui::IGUITreeViewNode* dragged = nullptr;
    gui::IGUITreeViewNode* onto = nullptr;
};
HeardEdits heard;

void heardRename(gui::IGUITreeViewNode* item, const core::stringw& text) {
    heard.text += std::string("rename ") + core::stringc(item->getText()).c_str() + " to " +
                  core::stringc(text).c_str() + "\n";
}
void heardDrop(gui::IGUITreeViewNode* dragged, gui::IGUITreeViewNode* onto) {
    heard.dragged = dragged;
    heard.onto = onto;
    heard.text += std::string("drop ") + core::stringc(dragged->getText()).c_str() + " onto " +
                  core::stringc(onto->getText()).c_str() + "\n";
}

class EditorTreeTest : public TreeViewTest {
public:
    using TreeViewTest::click;

protected:
    void SetUp() override {
        TreeViewTest::SetUp();
        heard = HeardEdits();
        tree = static_cast<sorn::CTreeView*>(editorTree());
        sorn::TreeEditHandlers handlers;
        handlers.renamed = heardRename;
        handlers.dropped = heardDrop;
        tree->setEditHandlers(handlers);
        tree->setKeepsFocus(true);
        tree->setWheelRows(3);
        fill(tree, 40);
        // Rows carry data where a scene node would be: every item but n1.
        for (gui::IGUITreeViewNode* n = tree->getRoot()->getFirstChild(); n; n = n->getNextVisible())
            if (core::stringw(n->getText()) != L"n1")
                n->setData(n);
        draw();
    }

public:
    // The middle of the row's text.
    core::position2di rowPoint(int row) const {
        const s32 h = tree->rowHeight();
        return {kRect.UpperLeftCorner.X + 60, kRect.UpperLeftCorner.Y + h / 2 + h * row - tree->scrollPosition()};
    }
    void keyWithChar(EKEY_CODE code, wchar_t ch) {
        SEvent event;
        event.EventType = EET_KEY_INPUT_EVENT;
        event.KeyInput.Key = code;
        event.KeyInput.Char = ch;
        event.KeyInput.Shift = event.KeyInput.Control = false;
        event.KeyInput.PressedDown = true;
        device->postEventFromUser(event);
        event.KeyInput.PressedDown = false;
        device->postEventFromUser(event);
    }
    std::string shownRows() {
        std::string rows;
        for (u32 i = 0; i < tree->shownRowCount(); ++i) {
            sorn::CTreeViewNode* node = tree->nodeAt(rowPoint(static_cast<int>(i)).X, rowPoint(static_cast<int>(i)).Y);
            rows += node ? core::stringc(node->getText()).c_str() + std::string(" ") : std::string("? ");
        }
        return rows;
    }
    sorn::CTreeView* tree = nullptr;
};

// The filter shows the rows whose text holds it, ignoring case (Latin-1
// letters included), each with its ancestors, open.
struct FilterCase {
    const wchar_t* filter;
    const char* rows;
};

const FilterCase kFilterCases[] = {
    {L"", "n0 n1 n2 n3 n4 "},
    {L"2a", "n2 n2a n2a1 "},
    {L"N2B", "n2 n2b "},
    {L"a1", "n2 n2a n2a1 "},
    {L"n3", "n3 n30 n31 n32 n33 n34 n35 n36 n37 n38 n39 "},
    {L"zz", ""},
    {L"\u00E9CL", "\xC9" "clair "},
    {L"\u00C9CLAIR", "\xC9" "clair "},
};

TEST_F(EditorTreeTest, FilterShowsMatchesWithTheirAncestors) {
    // Only the first rows of the unfiltered tree are looked at.
    while (tree->getRoot()->getChildCount() > 5)
        tree->getRoot()->deleteChild(tree->getRoot()->getLastChild());
    for (int i = 30; i < 40; ++i)
        tree->getRoot()->addChildBack((L"n" + std::to_wstring(i)).c_str());
    tree->getRoot()->addChildBack(L"\u00C9clair");
    for (const FilterCase& c : kFilterCases) {
        tree->setFilter(c.filter);
        draw();
        std::string rows = shownRows();
        if (*c.filter == 0)
            rows = rows.substr(0, 15);
        EXPECT_EQ(rows, std::string(c.rows)) << core::stringc(c.filter).c_str();
    }
    tree->setFilter(L"");
    EXPECT_EQ(tree->shownRowCount(), 16u) << "the tree comes back folded as it was";
}

TEST_F(EditorTreeTest, FilterKeepsUpWithItemsAddedAndRenamed) {
    tree->setFilter(L"new");
    EXPECT_EQ(tree->shownRowCount(), 0u);
    gui::IGUITreeViewNode* added = find(tree->getRoot(), L"n2a1")->addChildBack(L"NEWS");
    EXPECT_EQ(shownRows(), "n2 n2a n2a1 NEWS ");
    added->setText(L"old");
    EXPECT_EQ(tree->shownRowCount(), 0u);
}

TEST_F(EditorTreeTest, WheelScrollsThreeRowsANotch) {
    scrollBar(tree)->setPos(0);
    const core::position2di inside = kRect.getCenter();
    mouse(EMIE_MOUSE_WHEEL, inside.X, inside.Y, -1.f);
    EXPECT_EQ(tree->scrollPosition(), 3 * tree->rowHeight());
    mouse(EMIE_MOUSE_WHEEL, inside.X, inside.Y, -2.f);
    EXPECT_EQ(tree->scrollPosition(), 9 * tree->rowHeight());
    mouse(EMIE_MOUSE_WHEEL, inside.X, inside.Y, 1.f);
    EXPECT_EQ(tree->scrollPosition(), 6 * tree->rowHeight());
}

TEST_F(EditorTreeTest, AClickKeepsTheFocusSoTheKeysMoveTheSelection) {
    click(rowPoint(3).X, rowPoint(3).Y);
    ASSERT_TRUE(gui->hasFocus(tree));
    key(KEY_DOWN);
    ASSERT_NE(tree->getSelected(), nullptr);
    EXPECT_EQ(core::stringc(tree->getSelected()->getText()), core::stringc("n4"));
    EXPECT_NE(log.text.find("select n4 (selected n4)"), std::string::npos) << log.text;
}

// F2 or a double click opens the edit box over the row; Enter and leaving
// the box apply, Escape cancels; a row without data is not edited.
struct RenameCase {
    const char* name;
    int row;
    bool doubleClick;
    std::function<void(EditorTreeTest&)> finish;
    const char* heard;
};

const RenameCase kRenameCases[] = {
    {"f2_enter", 3, false, [](EditorTreeTest& t) { t.keyWithChar(KEY_RETURN, L'\r'); }, "rename n3 to n3X\n"},
    {"double_click_enter", 4, true, [](EditorTreeTest& t) { t.keyWithChar(KEY_RETURN, L'\r'); },
     "rename n4 to n4X\n"},
    {"escape", 3, false, [](EditorTreeTest& t) { t.keyWithChar(KEY_ESCAPE, 0); }, ""},
    {"click_elsewhere", 3, false,
     [](EditorTreeTest& t) { t.click(t.rowPoint(0).X, t.rowPoint(0).Y); }, "rename n3 to n3X\n"},
    {"row_without_data", 1, false, [](EditorTreeTest& t) { t.keyWithChar(KEY_RETURN, L'\r'); }, ""},
};

TEST_F(EditorTreeTest, RenameInPlace) {
    for (const RenameCase& c : kRenameCases) {
        heard = HeardEdits();
        click(rowPoint(c.row).X, rowPoint(c.row).Y);
        if (c.doubleClick) {
            mouse(EMIE_LMOUSE_PRESSED_DOWN, rowPoint(c.row).X, rowPoint(c.row).Y);
            mouse(EMIE_LMOUSE_DOUBLE_CLICK, rowPoint(c.row).X, rowPoint(c.row).Y);
            mouse(EMIE_LMOUSE_LEFT_UP, rowPoint(c.row).X, rowPoint(c.row).Y);
        } else {
            key(KEY_F2);
        }
        const bool offered = c.row != 1;
        ASSERT_EQ(tree->isRenaming(), offered) << c.name;
        if (offered) {
            ASSERT_TRUE(gui->hasFocus(tree->renameBox())) << c.name;
            EXPECT_TRUE(tree->renameBox()->isVisible());
            EXPECT_EQ(core::stringw(tree->renameBox()->getText()), core::stringw(tree->getSelected()->getText()));
            EXPECT_EQ(tree->renameBox()->getAbsolutePosition().UpperLeftCorner.Y,
                      rowPoint(c.row).Y - tree->rowHeight() / 2 - 1)
                << "the box lies over the row";
            keyWithChar(KEY_END, 0);
            keyWithChar(KEY_KEY_X, L'X');
        }
        c.finish(*this);
        EXPECT_EQ(heard.text, c.heard) << c.name;
        EXPECT_FALSE(tree->isRenaming()) << c.name;
        EXPECT_FALSE(tree->renameBox() && tree->renameBox()->isVisible()) << c.name;
        // The handler here does not rename: the rows keep their texts.
        EXPECT_EQ(core::stringc(find(tree->getRoot(), L"n3")->getText()), core::stringc("n3"));
    }
}

TEST_F(EditorTreeTest, RenameOfARowRemovedMeanwhileSaysNothing) {
    click(rowPoint(3).X, rowPoint(3).Y);
    key(KEY_F2);
    ASSERT_TRUE(tree->isRenaming());
    tree->getRoot()->clearChildren();
    keyWithChar(KEY_RETURN, L'\r');
    EXPECT_EQ(heard.text, "");
    EXPECT_FALSE(tree->isRenaming());
}

// A press that moves past a few pixels drags its row; the release names the
// row under the pointer and selects nothing. A short move is a click.
TEST_F(EditorTreeTest, DraggingARowOntoAnother) {
    const core::position2di from = rowPoint(3), to = rowPoint(0);
    mouse(EMIE_MOUSE_MOVED, from.X, from.Y);
    mouse(EMIE_LMOUSE_PRESSED_DOWN, from.X, from.Y);
    SEvent move;
    move.EventType = EET_MOUSE_INPUT_EVENT;
    move.MouseInput.Event = EMIE_MOUSE_MOVED;
    move.MouseInput.X = to.X;
    move.MouseInput.Y = to.Y;
    move.MouseInput.Wheel = 0.f;
    move.MouseInput.Shift = move.MouseInput.Control = false;
    move.MouseInput.ButtonStates = EMBSM_LEFT;
    device->postEventFromUser(move);
    ASSERT_NE(tree->dragItem(), nullptr);
    EXPECT_EQ(core::stringc(tree->dragItem()->getText()), core::stringc("n3"));
    ASSERT_NE(tree->dropTarget(), nullptr);
    EXPECT_EQ(core::stringc(tree->dropTarget()->getText()), core::stringc("n0"));
    draw();
    mouse(EMIE_LMOUSE_LEFT_UP, to.X, to.Y);
    EXPECT_EQ(heard.text, "drop n3 onto n0\n");
    EXPECT_EQ(tree->getSelected(), nullptr) << "a drop picks nothing";
    EXPECT_EQ(tree->dragItem(), nullptr);

    heard = HeardEdits();
    mouse(EMIE_LMOUSE_PRESSED_DOWN, from.X, from.Y);
    move.MouseInput.X = from.X + 2;
    move.MouseInput.Y = from.Y + 2;
    device->postEventFromUser(move);
    mouse(EMIE_LMOUSE_LEFT_UP, from.X + 2, from.Y + 2);
    EXPECT_EQ(heard.text, "");
    ASSERT_NE(tree->getSelected(), nullptr);
    EXPECT_EQ(core::stringc(tree->getSelected()->getText()), core::stringc("n3"));

    // A row without data (n1) is not dragged; dropping a row on itself is nothing.
    for (int row : {1, 3}) {
        mouse(EMIE_LMOUSE_PRESSED_DOWN, rowPoint(row).X, rowPoint(row).Y);
        move.MouseInput.X = rowPoint(row).X + 10;
        move.MouseInput.Y = rowPoint(row).Y;
        device->postEventFromUser(move);
        mouse(EMIE_LMOUSE_LEFT_UP, rowPoint(row).X + 10, rowPoint(row).Y);
    }
    EXPECT_EQ(heard.text, "");
}

} // namespace
