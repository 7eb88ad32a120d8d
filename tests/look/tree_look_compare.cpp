// Draws the engine's tree view and the editor's CTreeView side by side with
// the same items, on the engine's software renderer (its screenshot is the
// frame as drawn), and counts the pixels that differ between the two halves.
// Usage: tree_look_compare OUTPUT_FOLDER [MEDIA_FOLDER]; needs an X display.
// Exit status 0 when every scenario is within the tolerance.
#include <irrlicht.h>

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "scene/TreeView.h"

using namespace irr;

namespace {

// Differing pixels allowed per scenario. Both trees draw through the same
// driver calls, so a correct copy of the look differs nowhere.
constexpr u32 kTolerance = 0;

constexpr s32 kWidth = 196, kHeight = 246;
const core::rect<s32> kEngineRect(4, 4, 4 + kWidth, 4 + kHeight);
const core::rect<s32> kEditorRect(220, 4, 220 + kWidth, 4 + kHeight);

struct Scenario {
    const char* name;
    std::function<void(gui::IGUITreeView*)> fill;
    std::function<void(gui::IGUIEnvironment*)> skin;
    bool background;
    s32 scroll;
};

void editorSkin(gui::IGUIEnvironment* env) {
    const std::pair<gui::EGUI_DEFAULT_COLOR, u32> colours[] = {
        {gui::EGDC_ACTIVE_BORDER, 0xffcbdffe},  {gui::EGDC_ACTIVE_CAPTION, 0xff000000},
        {gui::EGDC_3D_DARK_SHADOW, 0xffaeaeae}, {gui::EGDC_3D_FACE, 0xffefefef},
        {gui::EGDC_3D_SHADOW, 0xffd6d6d6},      {gui::EGDC_HIGH_LIGHT, 0xffcbdffe},
        {gui::EGDC_HIGH_LIGHT_TEXT, 0xff000000}, {gui::EGDC_EDITABLE, 0xffffffff},
        {gui::EGDC_FOCUSED_EDITABLE, 0xffffffff}};
    gui::IGUISkin* skin = env->getSkin();
    for (const auto& c : colours)
        skin->setColor(c.first, video::SColor(c.second));
    for (s32 i = 0; i < gui::EGDC_COUNT; ++i) {
        video::SColor c = skin->getColor(static_cast<gui::EGUI_DEFAULT_COLOR>(i));
        c.setAlpha(255);
        skin->setColor(static_cast<gui::EGUI_DEFAULT_COLOR>(i), c);
    }
}

// Every skin colour different, so a part drawn in the wrong colour shows.
void distinctSkin(gui::IGUIEnvironment* env) {
    for (s32 i = 0; i < gui::EGDC_COUNT; ++i)
        env->getSkin()->setColor(static_cast<gui::EGUI_DEFAULT_COLOR>(i),
                                 video::SColor(255, 40 + i * 8, 200 - i * 7, (i * 53) % 256));
}

void flat(gui::IGUITreeView* tree) {
    gui::IGUITreeViewNode* root = tree->getRoot();
    root->addChildBack(L"Scene", nullptr, 0, -1);
    for (int i = 0; i < 40; ++i) {
        gui::IGUITreeViewNode* item = root->addChildBack((core::stringw(L"Cube ") + core::stringw(i)).c_str(), nullptr, 0, -1);
        if (i == 2)
            item->setSelected(true);
    }
}

void nested(gui::IGUITreeView* tree) {
    gui::IGUITreeViewNode* root = tree->getRoot();
    root->addChildBack(L"Scene", nullptr, 0, -1);
    gui::IGUITreeViewNode* a = root->addChildBack(L"Sphere");
    gui::IGUITreeViewNode* b = a->addChildBack(L"Cube");
    b->addChildBack(L"Light")->addChildBack(L"Billboard");
    b->addChildBack(L"Cone");
    gui::IGUITreeViewNode* c = a->addChildBack(L"Cylinder");
    c->addChildBack(L"Water");
    a->addChildBack(L"Terrain")->addChildBack(L"Sky dome");
    root->addChildBack(L"Plane")->addChildBack(L"Hidden child");
    gui::IGUITreeViewNode* last = root->addChildBack(L"Particles");
    last->addChildBack(L"Text")->setSelected(true);
    a->setExpanded(true);
    b->setExpanded(true);
    b->getFirstChild()->setExpanded(true);
    last->setExpanded(true);
}

void icons(gui::IGUITreeView* tree) {
    gui::IGUITreeViewNode* root = tree->getRoot();
    gui::IGUITreeViewNode* a = root->addChildBack(L"With icon", L"#", -1, -1);
    a->addChildBack(L"Image 0", nullptr, 0, 1);
    a->addChildBack(L"Image 1 and icon", L"*", 1, 0)->setSelected(true);
    a->addChildBack(L"No image", L"@");
    a->setExpanded(true);
}

// Few items (nothing to scroll), a selected item with hidden children.
void few(gui::IGUITreeView* tree) {
    gui::IGUITreeViewNode* root = tree->getRoot();
    root->addChildBack(L"Scene", nullptr, 0, -1);
    gui::IGUITreeViewNode* parent = root->addChildBack(L"Sphere with children", nullptr, 0, -1);
    parent->addChildBack(L"Cube")->addChildBack(L"Light");
    parent->setSelected(true);
    root->addChildBack(L"A name far too long to fit in the scene box's tree", nullptr, 0, -1);
}

void noLines(gui::IGUITreeView* tree) {
    nested(tree);
    tree->setLinesVisible(false);
}

gui::IGUIScrollBar* scrollBarOf(gui::IGUIElement* tree) {
    for (gui::IGUIElement* child : tree->getChildren())
        if (child->getType() == gui::EGUIET_SCROLL_BAR)
            return static_cast<gui::IGUIScrollBar*>(child);
    return nullptr;
}

} // namespace

int main(int argc, char** argv) {
    const std::string out = argc > 1 ? argv[1] : ".";
    const std::string media = argc > 2 ? argv[2] : "media";
    IrrlichtDevice* device = createDevice(video::EDT_BURNINGSVIDEO, core::dimension2du(440, 260), 32);
    if (!device) {
        std::puts("no device (is DISPLAY set?)");
        return 2;
    }
    gui::IGUIEnvironment* env = device->getGUIEnvironment();
    video::IVideoDriver* driver = device->getVideoDriver();
    gui::IGUIFont* font = env->getFont((media + "/fonthaettenschweiler.bmp").c_str());
    if (!font) {
        std::puts("the editor's font is missing");
        device->drop();
        return 2;
    }
    env->getSkin()->setFont(font);

    const Scenario scenarios[] = {
        {"flat", flat, editorSkin, false, 0},
        {"flat-scrolled", flat, editorSkin, false, 37},
        {"flat-distinct-colours", flat, distinctSkin, false, 0},
        {"nested", nested, editorSkin, false, 0},
        {"nested-distinct-colours", nested, distinctSkin, true, 0},
        {"nested-no-lines", noLines, distinctSkin, false, 0},
        {"few", few, editorSkin, false, 0},
        {"few-distinct-colours", few, distinctSkin, true, 0},
        {"icons", icons, distinctSkin, false, 0},
    };
    int failures = 0;
    for (const Scenario& scenario : scenarios) {
        scenario.skin(env);
        gui::IGUITreeView* engineTree = env->addTreeView(kEngineRect, nullptr, -1, scenario.background, true, false);
        gui::IGUITreeView* editorTree =
            sorn::addTreeView(env, kEditorRect, nullptr, -1, scenario.background, true);
        video::ITexture* images = driver->getTexture((media + "/list-add.png").c_str());
        gui::IGUIImageList* list = images ? env->createImageList(images, core::dimension2di(8, 16), true) : nullptr;
        for (gui::IGUITreeView* tree : {engineTree, editorTree}) {
            tree->setIconFont(env->getBuiltInFont());
            if (list)
                tree->setImageList(list);
            scenario.fill(tree);
        }
        if (list)
            list->drop();
        // One frame lets both trees size their scroll bars before scrolling.
        for (int frame = 0; frame < 2; ++frame) {
            device->run();
            driver->beginScene(true, true, video::SColor(255, 50, 60, 70));
            env->drawAll();
            driver->endScene();
            for (gui::IGUIElement* tree : {static_cast<gui::IGUIElement*>(engineTree),
                                           static_cast<gui::IGUIElement*>(editorTree)})
                if (gui::IGUIScrollBar* bar = scrollBarOf(tree))
                    bar->setPos(scenario.scroll);
        }
        video::IImage* shot = driver->createScreenShot();
        u32 differing = 0;
        for (s32 y = 0; shot && y < kHeight; ++y)
            for (s32 x = 0; x < kWidth; ++x) {
                const video::SColor a = shot->getPixel(kEngineRect.UpperLeftCorner.X + x, kEngineRect.UpperLeftCorner.Y + y);
                const video::SColor b = shot->getPixel(kEditorRect.UpperLeftCorner.X + x, kEditorRect.UpperLeftCorner.Y + y);
                if ((a.color & 0xffffff) != (b.color & 0xffffff)) {
                    if (differing < 8)
                        std::printf("  %s: (%d,%d) engine %08x editor %08x\n", scenario.name, x, y, a.color, b.color);
                    ++differing;
                }
            }
        if (shot) {
            driver->writeImageToFile(shot, (out + "/tree-" + scenario.name + ".png").c_str());
            shot->drop();
        }
        const bool ok = shot && differing <= kTolerance;
        std::printf("%s %s: %u of %d pixels differ (tolerance %u)\n", ok ? "same" : "DIFFERENT", scenario.name,
                    differing, kWidth * kHeight, kTolerance);
        failures += !ok;
        engineTree->remove();
        editorTree->remove();
    }
    device->drop();
    return failures ? 1 : 0;
}
