// The scene box with large scenes: a frame pass with the box open against the
// same pass without it, building and rebuilding the tree, picking a row, and
// the per-frame and per-pick bookkeeping. The whole editor runs on the null
// driver from the build's runtime folder.
#include <benchmark/benchmark.h>
#include <irrlicht.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "app/EditorState.h"
#include "app/NodeIndex.h"
#include "startup/Startup.h"
#include "app/StatusLine.h"
#include "events/SornEventReceiver.h"
#include "scene/NodeLifetime.h"
#include "scene/SceneBox.h"
#include "scene/TreeView.h"
#include "toolbox/ToolBox.h"

namespace {

using namespace irr;

// Trace lines go to /dev/null while measuring.
class QuietStdout {
public:
    QuietStdout() {
        std::fflush(stdout);
        saved_ = ::dup(1);
        int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) {
            ::dup2(null, 1);
            ::close(null);
        }
    }
    ~QuietStdout() {
        std::fflush(stdout);
        if (saved_ >= 0) {
            ::dup2(saved_, 1);
            ::close(saved_);
        }
    }

private:
    int saved_ = -1;
};

enum Shape { Flat = 0, Nested = 1 };

// The editor started on the null driver with count cubes: all under the root
// (flat), or ten under the root and every further one under an earlier one,
// ten children each (nested).
class BenchEditor {
public:
    BenchEditor(int count, Shape shape) {
        QuietStdout quiet;
        if (::chdir(SORN_RUNTIME_DIR) != 0)
            return;
        char name[] = "sorn-editor";
        char* argv[] = {name, nullptr};
        if (!sorn::startEditor(1, argv, video::EDT_NULL, &receiver_))
            return;
        nodes.reserve(static_cast<size_t>(count));
        scene::ISceneManager* smgr = sorn::editor.sceneManager;
        for (int i = 0; i < count; ++i) {
            scene::ISceneNode* parent = shape == Nested && i >= 10 ? nodes[static_cast<size_t>(i / 10 - 1)] : nullptr;
            scene::ISceneNode* cube = smgr->addCubeSceneNode(10.f, parent);
            cube->setName("Cube");
            nodes.push_back(cube);
        }
        sorn::indexNodeNames(sorn::editor.rootNode);
        ok = true;
    }
    ~BenchEditor() {
        QuietStdout quiet;
        sorn::shutdownEditor();
    }
    void passes(int n) {
        for (int i = 0; i < n; ++i)
            sorn::runFramePass(true, true);
    }
    sorn::CTreeView* tree() const {
        return static_cast<sorn::CTreeView*>(sorn::findElement(sorn::ids::SceneBoxTree));
    }
    void postMouse(EMOUSE_INPUT_EVENT type, s32 x, s32 y) {
        SEvent event;
        event.EventType = EET_MOUSE_INPUT_EVENT;
        event.MouseInput.Event = type;
        event.MouseInput.X = x;
        event.MouseInput.Y = y;
        event.MouseInput.Wheel = 0.f;
        event.MouseInput.Shift = event.MouseInput.Control = false;
        event.MouseInput.ButtonStates = type == EMIE_LMOUSE_PRESSED_DOWN ? EMBSM_LEFT : 0;
        sorn::editor.device->postEventFromUser(event);
    }
    void click(s32 x, s32 y) {
        postMouse(EMIE_MOUSE_MOVED, x, y);
        postMouse(EMIE_LMOUSE_PRESSED_DOWN, x, y);
        postMouse(EMIE_LMOUSE_LEFT_UP, x, y);
    }

    bool ok = false;
    std::vector<scene::ISceneNode*> nodes;

private:
    sorn::SornEventReceiver receiver_;
};

void sizes(benchmark::internal::Benchmark* b) {
    for (int shape : {Flat, Nested})
        for (int count : {1000, 10000, 50000})
            b->Args({count, shape});
    b->Unit(benchmark::kMicrosecond);
}

void frameWith(benchmark::State& state, bool box) {
    BenchEditor bench(static_cast<int>(state.range(0)), static_cast<Shape>(state.range(1)));
    if (!bench.ok) {
        state.SkipWithError("the editor did not start");
        return;
    }
    QuietStdout quiet;
    if (box)
        sorn::createSceneBox();
    bench.passes(3);
    for (auto _ : state)
        sorn::runFramePass(true, true);
}

void BM_FramePassWithoutSceneBox(benchmark::State& state) { frameWith(state, false); }
void BM_FramePassWithSceneBox(benchmark::State& state) { frameWith(state, true); }
BENCHMARK(BM_FramePassWithoutSceneBox)->Apply(sizes);
BENCHMARK(BM_FramePassWithSceneBox)->Apply(sizes);

// The scene box tree's own drawing in a frame, on its own.
void BM_SceneBoxTreeDraw(benchmark::State& state) {
    BenchEditor bench(static_cast<int>(state.range(0)), static_cast<Shape>(state.range(1)));
    if (!bench.ok) {
        state.SkipWithError("the editor did not start");
        return;
    }
    QuietStdout quiet;
    sorn::createSceneBox();
    bench.passes(3);
    sorn::CTreeView* tree = bench.tree();
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
    IrrlichtDevice* device = createDevice(video::EDT_NULL);
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
    BenchEditor bench(static_cast<int>(state.range(0)), static_cast<Shape>(state.range(1)));
    if (!bench.ok) {
        state.SkipWithError("the editor did not start");
        return;
    }
    QuietStdout quiet;
    for (auto _ : state)
        sorn::createSceneBox();
}
BENCHMARK(BM_CreateSceneBox)->Apply(sizes);

// The rebuild and the first frame that draws it (which lays out the rows).
void BM_UpdateTreeview(benchmark::State& state) {
    BenchEditor bench(static_cast<int>(state.range(0)), static_cast<Shape>(state.range(1)));
    if (!bench.ok) {
        state.SkipWithError("the editor did not start");
        return;
    }
    QuietStdout quiet;
    sorn::createSceneBox();
    for (auto _ : state) {
        sorn::updateTreeview();
        bench.tree()->shownRowCount();
    }
}
BENCHMARK(BM_UpdateTreeview)->Apply(sizes);

// A click on a row of the open scene box, from the mouse event to the tool
// box and status line rebuilt; two rows taken in turn so each click changes
// the selection. Scrolled to the middle of the tree.
void pickRows(benchmark::State& state, bool toolBox) {
    BenchEditor bench(static_cast<int>(state.range(0)), Flat);
    if (!bench.ok) {
        state.SkipWithError("the editor did not start");
        return;
    }
    QuietStdout quiet;
    sorn::createSceneBox();
    if (toolBox)
        sorn::createToolBox();
    bench.passes(3);
    sorn::CTreeView* tree = bench.tree();
    for (gui::IGUIElement* child : tree->getChildren())
        if (child->getType() == gui::EGUIET_SCROLL_BAR)
            static_cast<gui::IGUIScrollBar*>(child)->setPos(static_cast<s32>(state.range(0)) / 2 * tree->rowHeight());
    bench.passes(1);
    const core::rect<s32> area = tree->getAbsolutePosition();
    const s32 x = area.UpperLeftCorner.X + 60;
    const s32 rows[2] = {area.UpperLeftCorner.Y + tree->rowHeight() / 2,
                         area.UpperLeftCorner.Y + tree->rowHeight() * 3 / 2};
    int which = 0;
    for (auto _ : state) {
        bench.click(x, rows[which]);
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
    BenchEditor bench(static_cast<int>(state.range(0)), Flat);
    if (!bench.ok) {
        state.SkipWithError("the editor did not start");
        return;
    }
    QuietStdout quiet;
    sorn::createSceneBox();
    sorn::createToolBox();
    bench.passes(3);
    // An animated mesh selected, so the tool box shows the read-out row.
    scene::ISceneManager* smgr = sorn::editor.sceneManager;
    scene::IMesh* cube = smgr->getGeometryCreator()->createCubeMesh();
    auto* animated = new scene::SAnimatedMesh(cube);
    cube->drop();
    sorn::editor.selectedNode = smgr->addAnimatedMeshSceneNode(animated);
    animated->drop();
    sorn::editor.nodeSelected = true;
    sorn::updateToolBox();
    bench.passes(1);
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
    BenchEditor bench(static_cast<int>(state.range(0)), Flat);
    if (!bench.ok) {
        state.SkipWithError("the editor did not start");
        return;
    }
    for (auto _ : state)
        sorn::indexNodeNames(sorn::editor.rootNode);
}
BENCHMARK(BM_NameIndex)->Arg(10000)->Arg(50000)->Unit(benchmark::kMicrosecond);

} // namespace
