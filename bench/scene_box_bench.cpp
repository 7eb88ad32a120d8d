// The scene box with large scenes: a frame pass with the box open against the
// same pass without it and against the engine alone drawing the same cubes,
// the tree's drawing against the engine's tree view, building and rebuilding
// the tree, picking a row, and the per-frame and per-pick bookkeeping. The
// whole editor runs on the null driver from the build's runtime folder.
#include <benchmark/benchmark.h>
#include <irrlicht.h>

#include <vector>

#include "BenchScene.h"
#include "app/EditorState.h"
#include "app/NodeIndex.h"
#include "startup/Startup.h"
#include "app/StatusLine.h"
#include "scene/NodeLifetime.h"
#include "scene/SceneBox.h"
#include "scene/TreeView.h"
#include "toolbox/ToolBox.h"

namespace {

using namespace irr;

// The editor on the null driver with count cubes named "Cube" (see
// bench::addCubes for the shapes), their names indexed.
class BenchEditor : public bench::NullDriverEditor {
public:
    BenchEditor(int count, bench::Shape shape) {
        if (!NullDriverEditor::ok())
            return;
        nodes = bench::addCubes(sorn::editor.sceneManager, count, shape);
        sorn::indexNodeNames(sorn::editor.rootNode);
        ready = true;
    }
    sorn::CTreeView* tree() const {
        return static_cast<sorn::CTreeView*>(sorn::findElement(sorn::ids::SceneBoxTree));
    }

    bool ready = false;
    std::vector<scene::ISceneNode*> nodes;
};

void sizes(benchmark::internal::Benchmark* b) {
    for (int shape : {bench::Flat, bench::Nested})
        for (int count : {1000, 10000, 50000})
            b->Args({count, shape});
    b->Unit(benchmark::kMicrosecond);
}

void frameWith(benchmark::State& state, bool box) {
    BenchEditor session(static_cast<int>(state.range(0)), static_cast<bench::Shape>(state.range(1)));
    if (!bench::started(state, session.ready))
        return;
    bench::QuietStdout quiet;
    if (box)
        sorn::createSceneBox();
    session.passes(3);
    for (auto _ : state)
        sorn::runFramePass(true, true);
}

void BM_FramePassWithoutSceneBox(benchmark::State& state) { frameWith(state, false); }
void BM_FramePassWithSceneBox(benchmark::State& state) { frameWith(state, true); }
BENCHMARK(BM_FramePassWithoutSceneBox)->Apply(sizes);
BENCHMARK(BM_FramePassWithSceneBox)->Apply(sizes);

// The engine alone drawing the same cubes: a bare device on the null driver
// with a Maya camera where the editor's stands, one pass as the editor's
// frame loop draws (scene, GUI) without its sky, grid, windows and read-outs.
void BM_EngineFramePass(benchmark::State& state) {
    IrrlichtDevice* device = bench::nullDevice();
    scene::ISceneManager* smgr = device->getSceneManager();
    bench::addCubes(smgr, static_cast<int>(state.range(0)), static_cast<bench::Shape>(state.range(1)));
    scene::ICameraSceneNode* camera = smgr->addCameraSceneNodeMaya(nullptr, -500.f, 800.f, 1500.f, -1, 70.f, true);
    camera->setFarValue(20000.f);
    camera->setTarget(core::vector3df(0, 30, 0));
    video::IVideoDriver* driver = device->getVideoDriver();
    gui::IGUIEnvironment* gui = device->getGUIEnvironment();
    for (auto _ : state) {
        driver->beginScene(true, true, video::SColor(150, 50, 50, 50));
        smgr->drawAll();
        gui->drawAll();
        driver->endScene();
    }
    device->drop();
}
BENCHMARK(BM_EngineFramePass)->Apply(sizes);

// The scene box tree's own drawing in a frame, on its own.
void BM_SceneBoxTreeDraw(benchmark::State& state) {
    BenchEditor session(static_cast<int>(state.range(0)), static_cast<bench::Shape>(state.range(1)));
    if (!bench::started(state, session.ready))
        return;
    bench::QuietStdout quiet;
    sorn::createSceneBox();
    session.passes(3);
    sorn::CTreeView* tree = session.tree();
    video::IVideoDriver* driver = sorn::editor.device->getVideoDriver();
    driver->beginScene(true, true, video::SColor(0));
    for (auto _ : state)
        tree->draw();
    driver->endScene();
}
BENCHMARK(BM_SceneBoxTreeDraw)->Apply(sizes);

// For comparison: the engine's own tree view with the same number of flat
// items, as the scene box used it before (its drawing walks each sibling
// list from the start for every item).
void BM_EngineTreeDraw(benchmark::State& state) {
    IrrlichtDevice* device = bench::nullDevice();
    gui::IGUIEnvironment* gui = device->getGUIEnvironment();
    gui::IGUITreeView* tree = gui->addTreeView(core::rect<s32>(4, 34, 200, 380), nullptr, -1, false, true, false);
    for (s64 i = 0; i < state.range(0); ++i)
        tree->getRoot()->addChildBack(L"Cube", nullptr, 0, -1);
    for (auto _ : state)
        tree->draw();
    device->drop();
}
BENCHMARK(BM_EngineTreeDraw)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_CreateSceneBox(benchmark::State& state) {
    BenchEditor session(static_cast<int>(state.range(0)), static_cast<bench::Shape>(state.range(1)));
    if (!bench::started(state, session.ready))
        return;
    bench::QuietStdout quiet;
    for (auto _ : state)
        sorn::createSceneBox();
}
BENCHMARK(BM_CreateSceneBox)->Apply(sizes);

// The rebuild and the first frame that draws it (which lays out the rows).
void BM_UpdateTreeview(benchmark::State& state) {
    BenchEditor session(static_cast<int>(state.range(0)), static_cast<bench::Shape>(state.range(1)));
    if (!bench::started(state, session.ready))
        return;
    bench::QuietStdout quiet;
    sorn::createSceneBox();
    for (auto _ : state) {
        sorn::updateTreeview();
        session.tree()->shownRowCount();
    }
}
BENCHMARK(BM_UpdateTreeview)->Apply(sizes);

// A click on a row of the open scene box, from the mouse event to the tool
// box and status line rebuilt; two rows taken in turn so each click changes
// the selection. Scrolled to the middle of the tree.
void pickRows(benchmark::State& state, bool toolBox) {
    BenchEditor session(static_cast<int>(state.range(0)), bench::Flat);
    if (!bench::started(state, session.ready))
        return;
    bench::QuietStdout quiet;
    sorn::createSceneBox();
    if (toolBox)
        sorn::createToolBox();
    session.passes(3);
    sorn::CTreeView* tree = session.tree();
    for (gui::IGUIElement* child : tree->getChildren())
        if (child->getType() == gui::EGUIET_SCROLL_BAR)
            static_cast<gui::IGUIScrollBar*>(child)->setPos(static_cast<s32>(state.range(0)) / 2 * tree->rowHeight());
    session.passes(1);
    const core::rect<s32> area = tree->getAbsolutePosition();
    const s32 x = area.UpperLeftCorner.X + 60;
    const s32 rows[2] = {area.UpperLeftCorner.Y + tree->rowHeight() / 2,
                         area.UpperLeftCorner.Y + tree->rowHeight() * 3 / 2};
    int which = 0;
    for (auto _ : state) {
        session.click(x, rows[which]);
        which ^= 1;
    }
    if (!sorn::editor.selectedNode)
        state.SkipWithError("the clicks selected nothing");
}
void BM_PickRow(benchmark::State& state) { pickRows(state, false); }
void BM_PickRowWithToolBox(benchmark::State& state) { pickRows(state, true); }
BENCHMARK(BM_PickRow)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PickRowWithToolBox)->Arg(1000)->Arg(10000)->Arg(50000)->Unit(benchmark::kMicrosecond);

// Bookkeeping looked at on its own: the frame read-out (two look-ups by id
// every frame, with the tool box open) and the liveness check of a pick.
int countElements(gui::IGUIElement* element) {
    int count = 1;
    for (gui::IGUIElement* child : element->getChildren())
        count += countElements(child);
    return count;
}

void BM_FrameReadoutWithToolBox(benchmark::State& state) {
    BenchEditor session(static_cast<int>(state.range(0)), bench::Flat);
    if (!bench::started(state, session.ready))
        return;
    bench::QuietStdout quiet;
    sorn::createSceneBox();
    sorn::createToolBox();
    session.passes(3);
    // An animated mesh selected, so the tool box shows the read-out row.
    scene::ISceneManager* smgr = sorn::editor.sceneManager;
    scene::IMesh* cube = smgr->getGeometryCreator()->createCubeMesh();
    auto* animated = new scene::SAnimatedMesh(cube);
    cube->drop();
    sorn::editor.selectedNode = smgr->addAnimatedMeshSceneNode(animated);
    animated->drop();
    sorn::editor.nodeSelected = true;
    sorn::updateToolBox();
    session.passes(1);
    if (!sorn::editor.selectedNode || !sorn::findElement(sorn::ids::FrameReadout)) {
        state.SkipWithError("no read-out in the tool box");
        return;
    }
    for (auto _ : state)
        sorn::updateFrameReadout();
    state.counters["gui_elements"] = static_cast<double>(countElements(sorn::editor.device->getGUIEnvironment()->getRootGUIElement()));
}
BENCHMARK(BM_FrameReadoutWithToolBox)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_NameIndex(benchmark::State& state) {
    BenchEditor session(static_cast<int>(state.range(0)), bench::Flat);
    if (!bench::started(state, session.ready))
        return;
    for (auto _ : state)
        sorn::indexNodeNames(sorn::editor.rootNode);
}
BENCHMARK(BM_NameIndex)->Arg(10000)->Arg(50000)->Unit(benchmark::kMicrosecond);

} // namespace
