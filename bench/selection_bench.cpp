// Selection at scale, the whole editor on the null driver: a pick in the view
// among 10,000 nodes (the ray search alone, beside the engine's own box pick
// of the same spot, and the whole click with the tree, tool box and status
// line following), and frame passes with 1,000 nodes
// selected, idle and while a drag moves all of them every frame (the ratio of
// the two is the frame rate kept during the drag).
#include <benchmark/benchmark.h>
#include <irrlicht.h>

#include <vector>

#include "BenchScene.h"
#include "app/EditorState.h"
#include "app/NodeIndex.h"
#include "scene/NodePick.h"
#include "scene/SceneBox.h"
#include "scene/SelectedNodes.h"
#include "startup/Startup.h"

namespace {

using namespace irr;

// The editor on the null driver with count cubes of size 4 on a square of
// the ground in front of the camera, 6 apart, the scene box open.
class SelectionBench : public bench::NullDriverEditor {
public:
    explicit SelectionBench(int count) {
        if (!NullDriverEditor::ok())
            return;
        bench::QuietStdout quiet;
        scene::ISceneManager* smgr = sorn::editor.sceneManager;
        int side = 1;
        while (side * side < count)
            ++side;
        for (int i = 0; i < count; ++i) {
            const f32 x = static_cast<f32>(i % side - side / 2) * 6.f;
            const f32 z = static_cast<f32>(i / side - side / 2) * 6.f;
            scene::ISceneNode* cube = smgr->addCubeSceneNode(4.f, nullptr, -1, core::vector3df(x, 30.f, z));
            cube->setName("Cube");
            nodes.push_back(cube);
        }
        sorn::indexNodeNames(sorn::editor.rootNode);
        sorn::createSceneBox();
        passes(3);
        ready = true;
    }

    bool ready = false;
    std::vector<scene::ISceneNode*> nodes;
};

// The view's middle, where the cubes lie.
constexpr s32 kX = 500, kY = 420;

void BM_PickRayAmongNodes(benchmark::State& state) {
    SelectionBench session(static_cast<int>(state.range(0)));
    if (!bench::started(state, session.ready))
        return;
    scene::ISceneNode* found = nullptr;
    for (auto _ : state)
        benchmark::DoNotOptimize(found = sorn::pickNodeAt(kX, kY));
    state.counters["hit"] = found ? 1 : 0;
}
BENCHMARK(BM_PickRayAmongNodes)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The engine's own pick of the same spot in the same scene: the node whose
// bounding box the ray meets first, without the triangle test the editor
// adds for nodes whose box the ray meets.
void BM_EnginePickBoxAmongNodes(benchmark::State& state) {
    SelectionBench session(static_cast<int>(state.range(0)));
    if (!bench::started(state, session.ready))
        return;
    scene::ISceneCollisionManager* collisions = sorn::editor.sceneManager->getSceneCollisionManager();
    scene::ISceneNode* found = nullptr;
    for (auto _ : state)
        benchmark::DoNotOptimize(found = collisions->getSceneNodeFromScreenCoordinatesBB(core::position2di(kX, kY), 0, true));
    state.counters["hit"] = found ? 1 : 0;
}
BENCHMARK(BM_EnginePickBoxAmongNodes)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The whole click: the pick, the selection, the tree opened to the row, the
// tool box rebuilt, the status line and the trace line.
void BM_ClickInViewAmongNodes(benchmark::State& state) {
    SelectionBench session(static_cast<int>(state.range(0)));
    if (!bench::started(state, session.ready))
        return;
    bench::QuietStdout quiet;
    for (auto _ : state) {
        session.mouse(EMIE_LMOUSE_PRESSED_DOWN, kX, kY);
        session.mouse(EMIE_LMOUSE_LEFT_UP, kX, kY);
    }
    state.counters["selected"] = sorn::editor.selectedNode ? 1 : 0;
}
BENCHMARK(BM_ClickInViewAmongNodes)->Arg(10000)->Unit(benchmark::kMillisecond);

// The first `selected` of the nodes selected, moving along X, the left
// button down; each step() is one pointer move of the drag, back and forth
// so the nodes stay in view.
class Drag {
public:
    Drag(SelectionBench& session, size_t selected) : session_(session) {
        sorn::setSelectedNodes(
            std::vector<scene::ISceneNode*>(session.nodes.begin(), session.nodes.begin() + selected));
        sorn::markSelectionInTree(false);
        session.key(KEY_KEY_X);
        session.mouse(EMIE_LMOUSE_PRESSED_DOWN, kX, kY);
    }
    ~Drag() { session_.mouse(EMIE_LMOUSE_LEFT_UP, x_, kY); }
    void step() {
        if (x_ > kX + 100 || x_ < kX - 100)
            step_ = -step_;
        session_.mouse(EMIE_MOUSE_MOVED, x_ += step_, kY);
    }

private:
    SelectionBench& session_;
    s32 x_ = kX;
    s32 step_ = 1;
};

// 10,000 nodes, `selected` of them selected; dragging: every frame one
// pointer move steps all of them along X.
void framePasses(benchmark::State& state, bool dragging) {
    SelectionBench session(10000);
    if (!bench::started(state, session.ready))
        return;
    bench::QuietStdout quiet;
    Drag drag(session, static_cast<size_t>(state.range(0)));
    session.passes(3);
    for (auto _ : state) {
        if (dragging)
            drag.step();
        sorn::runFramePass(true, true);
    }
    state.counters["frames_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// One pointer move of the drag alone, without the frame.
void BM_DragStepOfSelected(benchmark::State& state) {
    SelectionBench session(10000);
    if (!bench::started(state, session.ready))
        return;
    bench::QuietStdout quiet;
    Drag drag(session, static_cast<size_t>(state.range(0)));
    for (auto _ : state)
        drag.step();
}
BENCHMARK(BM_DragStepOfSelected)->Arg(1)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_FramePassSelectedIdle(benchmark::State& state) { framePasses(state, false); }
void BM_FramePassSelectedDragged(benchmark::State& state) { framePasses(state, true); }
BENCHMARK(BM_FramePassSelectedIdle)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FramePassSelectedDragged)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace
