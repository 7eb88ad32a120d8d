#include "support/EditorFixture.h"

#include "scene/TreeView.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>

#include "app/MenuBar.h"
#include "app/WorkProgress.h"
#include "startup/Startup.h"

using namespace irr;
namespace fs = std::filesystem;

namespace sorn {
namespace test {

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "sorn-test-XXXXXX").string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    char* made = mkdtemp(buffer.data());
    path_ = made ? made : "";
}

TempDir::~TempDir() {
    std::error_code ignored;
    if (!path_.empty())
        fs::remove_all(path_, ignored);
}

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bool fileExists(const std::string& path) {
    std::error_code ignored;
    return fs::exists(path, ignored);
}

void prepareAppFolder(const std::string& folder, const std::string* configText) {
    const fs::path runtime(SORN_RUNTIME_DIR);
    for (const char* sub : {"media", "lang", "doc"})
        fs::create_directory_symlink(runtime / sub, fs::path(folder) / sub);
    if (configText)
        writeFile(folder + "/config.xml", *configText);
    else
        fs::copy_file(runtime / "config.xml", fs::path(folder) / "config.xml");
}

void EditorTest::SetUp() {
    char cwd[4096];
    previousDirectory_ = getcwd(cwd, sizeof cwd) ? cwd : ".";
    ASSERT_FALSE(appFolder.path().empty());
    if (startInSetUp)
        start();
}

void EditorTest::start(const std::vector<std::string>& args) {
    prepareAppFolder(appFolder.path(), configText.empty() ? nullptr : &configText);
    if (!writeConfig)
        fs::remove(appFolder.file("config.xml"));
    ASSERT_EQ(chdir(appFolder.path().c_str()), 0);

    argStorage_.assign(1, "sorn-editor");
    argStorage_.insert(argStorage_.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : argStorage_)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    ASSERT_TRUE(startEditor(static_cast<int>(argStorage_.size()), argv.data(), video::EDT_NULL, &receiver));
}

void EditorTest::TearDown() {
    shutdownEditor();
    if (!previousDirectory_.empty())
        (void)chdir(previousDirectory_.c_str());
}

namespace {

void collectMessageBoxes(gui::IGUIElement* element, std::vector<gui::IGUIElement*>& boxes) {
    for (gui::IGUIElement* child : element->getChildren()) {
        if (child->getType() == gui::EGUIET_MESSAGE_BOX)
            boxes.push_back(child);
        collectMessageBoxes(child, boxes);
    }
}

} // namespace

std::vector<std::wstring> EditorTest::messageBoxes() {
    std::vector<gui::IGUIElement*> boxes;
    collectMessageBoxes(gui()->getRootGUIElement(), boxes);
    std::vector<std::wstring> texts;
    for (gui::IGUIElement* box : boxes) {
        std::wstring text = std::wstring(box->getText()) + L"\n";
        for (gui::IGUIElement* child : box->getChildren())
            if (child->getType() == gui::EGUIET_STATIC_TEXT)
                text += child->getText();
        texts.push_back(text);
    }
    return texts;
}

void EditorTest::closeMessageBoxes() {
    std::vector<gui::IGUIElement*> boxes;
    collectMessageBoxes(gui()->getRootGUIElement(), boxes);
    for (gui::IGUIElement* box : boxes) {
        gui::IGUIElement* parent = box->getParent();
        (parent && parent->getType() == gui::EGUIET_MODAL_SCREEN ? parent : box)->remove();
    }
}

void EditorTest::activePasses(int n) {
    for (int i = 0; i < n; ++i)
        runFramePass(true, true);
}

bool EditorTest::postGuiEvent(gui::EGUI_EVENT_TYPE type, gui::IGUIElement* caller) {
    SEvent event;
    event.EventType = EET_GUI_EVENT;
    event.GUIEvent.Caller = caller;
    event.GUIEvent.Element = nullptr;
    event.GUIEvent.EventType = type;
    return receiver.OnEvent(event);
}

bool EditorTest::clickButton(s32 id) {
    gui::IGUIElement* button = findElement(id);
    EXPECT_NE(button, nullptr) << "no button with id " << std::hex << id;
    if (!button)
        return false;
    return postGuiEvent(gui::EGET_BUTTON_CLICKED, button);
}

namespace {

unsigned long long slowClockNow = 0;
unsigned long long slowClockStep = 0;
SlowWork* slowWork = nullptr;

unsigned long long slowClock() {
    return slowClockNow += slowClockStep;
}

void recordRedraw() {
    gui::IGUIElement* caption = findElement(ids::ProgressText);
    gui::IGUIElement* figures = findElement(ids::ProgressFigures);
    slowWork->shown.emplace_back(caption ? caption->getText() : L"", figures ? figures->getText() : L"");
    if (slowWork->onRedraw)
        slowWork->onRedraw();
}

} // namespace

SlowWork::SlowWork(unsigned long long step, std::function<void()> onRedraw) : onRedraw(std::move(onRedraw)) {
    slowClockStep = step;
    slowWork = this;
    setWorkClockForTesting(slowClock);
    setWorkRedrawHookForTesting(recordRedraw);
}

SlowWork::~SlowWork() {
    setWorkClockForTesting(nullptr);
    setWorkRedrawHookForTesting(nullptr);
}

namespace {

SEvent mouse(EMOUSE_INPUT_EVENT type, s32 x, s32 y) {
    SEvent event;
    event.EventType = EET_MOUSE_INPUT_EVENT;
    event.MouseInput.Event = type;
    event.MouseInput.X = x;
    event.MouseInput.Y = y;
    event.MouseInput.Wheel = 0.f;
    event.MouseInput.Shift = false;
    event.MouseInput.Control = false;
    event.MouseInput.ButtonStates = type == EMIE_LMOUSE_PRESSED_DOWN ? EMBSM_LEFT : 0;
    return event;
}

} // namespace

gui::IGUIContextMenu* EditorTest::menuHolding(s32 commandId, s32* index) {
    s32 found = -1;
    gui::IGUIContextMenu* menu = menuHoldingCommand(commandId, found);
    if (index)
        *index = found;
    return menu;
}

bool EditorTest::isMenuItemChecked(s32 commandId) {
    s32 index = -1;
    gui::IGUIContextMenu* menu = menuHolding(commandId, &index);
    EXPECT_NE(menu, nullptr);
    return menu && menu->isItemChecked(index);
}

void EditorTest::chooseMenuCommand(s32 commandId) {
    // The chain of (menu, index) from the menu bar down to the item.
    std::vector<std::pair<gui::IGUIContextMenu*, s32>> path;
    std::function<bool(gui::IGUIContextMenu*)> find = [&](gui::IGUIContextMenu* menu) {
        for (u32 i = 0; menu && i < menu->getItemCount(); ++i) {
            path.emplace_back(menu, static_cast<s32>(i));
            if (menu->getItemCommandId(i) == commandId || find(menu->getSubMenu(i)))
                return true;
            path.pop_back();
        }
        return false;
    };
    auto* bar = static_cast<gui::IGUIContextMenu*>(findElement(ids::MenuBar));
    ASSERT_TRUE(find(bar)) << "no menu item " << std::hex << commandId;

    // Open the menu bar with a click on its first entry, as a user would.
    const core::rect<s32> barArea = bar->getAbsolutePosition();
    const s32 barY = barArea.getCenter().Y;
    s32 x = barArea.UpperLeftCorner.X + 8, y = barY;
    mouseEvent(EMIE_MOUSE_MOVED, x, y);
    mouseEvent(EMIE_LMOUSE_PRESSED_DOWN, x, y);
    mouseEvent(EMIE_LMOUSE_LEFT_UP, x, y);
    ASSERT_TRUE(gui()->hasFocus(bar)) << "the menu bar did not take the click";

    // Move the pointer over each entry of the chain in turn; entries with a
    // sub-menu open it when highlighted.
    for (size_t level = 0; level < path.size(); ++level) {
        gui::IGUIContextMenu* menu = path[level].first;
        const s32 wanted = path[level].second;
        const core::rect<s32> area = menu->getAbsolutePosition();
        bool found = false;
        if (level == 0) {
            for (x = area.UpperLeftCorner.X; x <= area.LowerRightCorner.X && !found; ++x) {
                mouseEvent(EMIE_MOUSE_MOVED, x, barY);
                found = menu->getSelectedItem() == wanted;
            }
            y = barY;
        } else {
            x = area.UpperLeftCorner.X + 10;
            for (y = area.UpperLeftCorner.Y; y <= area.LowerRightCorner.Y && !found; ++y) {
                mouseEvent(EMIE_MOUSE_MOVED, x, y);
                found = menu->getSelectedItem() == wanted;
            }
        }
        ASSERT_TRUE(found) << "menu entry " << wanted << " at level " << level << " could not be highlighted";
        --(level == 0 ? x : y);
    }
    ASSERT_GT(path.size(), 1u) << "top entries open menus; they are no commands";
    mouseEvent(EMIE_LMOUSE_PRESSED_DOWN, x, y);
    mouseEvent(EMIE_LMOUSE_LEFT_UP, x, y);
}

SEvent keyEvent(EKEY_CODE key, bool pressedDown) {
    SEvent event;
    event.EventType = EET_KEY_INPUT_EVENT;
    event.KeyInput.Key = key;
    event.KeyInput.PressedDown = pressedDown;
    event.KeyInput.Char = 0;
    event.KeyInput.Shift = false;
    event.KeyInput.Control = false;
    return event;
}

bool EditorTest::releaseKey(EKEY_CODE key) {
    return editor.device->postEventFromUser(keyEvent(key, false));
}

bool EditorTest::typeCtrlKey(EKEY_CODE key, bool shift) {
    SEvent event = keyEvent(key, true);
    event.KeyInput.Control = true;
    event.KeyInput.Shift = shift;
    const bool consumed = editor.device->postEventFromUser(event);
    event.KeyInput.PressedDown = false;
    event.KeyInput.Control = false;
    editor.device->postEventFromUser(event);
    return consumed;
}

bool answerColourDialog(gui::IGUIElement* dialog, const u32 (&argb)[4]) {
    size_t channel = 0;
    gui::IGUIElement* ok = nullptr;
    for (gui::IGUIElement* child : dialog->getChildren()) {
        if (child->getType() == gui::EGUIET_SPIN_BOX && channel < 4)
            static_cast<gui::IGUISpinBox*>(child)->setValue(static_cast<f32>(argb[channel++]));
        if (child->getType() == gui::EGUIET_BUTTON && std::wstring(child->getText()) == L"OK")
            ok = child;
    }
    if (!ok)
        return false;
    SEvent click;
    click.EventType = EET_GUI_EVENT;
    click.GUIEvent.Caller = ok;
    click.GUIEvent.Element = nullptr;
    click.GUIEvent.EventType = gui::EGET_BUTTON_CLICKED;
    dialog->OnEvent(click);
    return true;
}

void dragWithLeftButton(IrrlichtDevice* device, const std::vector<core::position2di>& points) {
    if (points.empty())
        return;
    auto post = [device](EMOUSE_INPUT_EVENT type, core::position2di at, u32 buttons) {
        SEvent event = mouse(type, at.X, at.Y);
        event.MouseInput.ButtonStates = buttons;
        device->postEventFromUser(event);
    };
    post(EMIE_MOUSE_MOVED, points.front(), 0);
    post(EMIE_LMOUSE_PRESSED_DOWN, points.front(), EMBSM_LEFT);
    for (size_t i = 1; i < points.size(); ++i)
        post(EMIE_MOUSE_MOVED, points[i], EMBSM_LEFT);
    post(EMIE_LMOUSE_LEFT_UP, points.back(), 0);
}

bool EditorTest::mouseEvent(EMOUSE_INPUT_EVENT type, s32 x, s32 y) {
    return editor.device->postEventFromUser(mouse(type, x, y));
}

namespace {

gui::IGUITreeViewNode* findItem(gui::IGUITreeViewNode* item, scene::ISceneNode* node) {
    for (gui::IGUITreeViewNode* child = item->getFirstChild(); child; child = child->getNextSibling()) {
        if (child->getData() == node)
            return child;
        if (gui::IGUITreeViewNode* found = findItem(child, node))
            return found;
    }
    return nullptr;
}

} // namespace

gui::IGUITreeViewNode* EditorTest::treeItemFor(scene::ISceneNode* node) {
    auto* tree = static_cast<gui::IGUITreeView*>(findElement(ids::SceneBoxTree));
    if (!tree)
        return nullptr;
    return findItem(tree->getRoot(), node);
}

void EditorTest::clickTreeRow(scene::ISceneNode* node, bool control, bool shift) {
    auto* tree = dynamic_cast<CTreeView*>(findElement(ids::SceneBoxTree));
    ASSERT_NE(tree, nullptr) << "the scene box is not open";
    gui::IGUITreeViewNode* item = node ? findItem(tree->getRoot(), node) : tree->getRoot()->getFirstChild();
    ASSERT_NE(item, nullptr) << "no tree item for the node";
    for (gui::IGUITreeViewNode* a = item->getParent(); a && !a->isRoot(); a = a->getParent())
        a->setExpanded(true);
    tree->scrollToNode(item);
    const std::vector<CTreeViewNode*> rows = tree->rowsBetween(tree->getRoot()->getFirstChild(), item);
    ASSERT_FALSE(rows.empty());
    const core::rect<s32> area = tree->getAbsolutePosition();
    const s32 y = area.UpperLeftCorner.Y + static_cast<s32>(rows.size() - 1) * tree->rowHeight() -
                  tree->scrollPosition() + tree->rowHeight() / 2;
    const s32 x = area.LowerRightCorner.X - 30; // on the text side, clear of the expander
    for (EMOUSE_INPUT_EVENT type : {EMIE_MOUSE_MOVED, EMIE_LMOUSE_PRESSED_DOWN, EMIE_LMOUSE_LEFT_UP}) {
        SEvent event = mouse(type, x, y);
        event.MouseInput.Control = control;
        event.MouseInput.Shift = shift;
        editor.device->postEventFromUser(event);
    }
}

core::position2di EditorTest::screenPointOf(scene::ISceneNode* node) {
    node->updateAbsolutePosition();
    return smgr()->getSceneCollisionManager()->getScreenCoordinatesFrom3DPosition(
        node->getTransformedBoundingBox().getCenter(), smgr()->getActiveCamera());
}

void EditorTest::clickInView(core::position2di at, bool control) {
    for (EMOUSE_INPUT_EVENT type : {EMIE_MOUSE_MOVED, EMIE_LMOUSE_PRESSED_DOWN, EMIE_LMOUSE_LEFT_UP}) {
        SEvent event = mouse(type, at.X, at.Y);
        event.MouseInput.Control = control;
        editor.device->postEventFromUser(event);
    }
}

void EditorTest::pickInTree(scene::ISceneNode* node) {
    auto* tree = static_cast<gui::IGUITreeView*>(findElement(ids::SceneBoxTree));
    ASSERT_NE(tree, nullptr) << "the scene box is not open";
    gui::IGUITreeViewNode* item = node ? findItem(tree->getRoot(), node) : tree->getRoot()->getFirstChild();
    ASSERT_NE(item, nullptr) << "no tree item for the node";
    item->setSelected(true);
    postGuiEvent(gui::EGET_TREEVIEW_NODE_SELECT, tree);
}

} // namespace test
} // namespace sorn
