// Selection at scale, the whole editor on the null driver: a pick in the view
// among 10,000 nodes (the ray search alone, and the whole click with the tree,
// tool box and status line following), and frame passes with 1,000 nodes
// selected, idle and while a drag moves all of them every frame (the ratio of
// the two is the frame rate kept during the drag).
#include <benchmark/benchmark.h>
#include <irrlicht.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <vector>

#include "app/EditorState.h"
#include "app/NodeIndex.h"
#include "events/SornEventReceiver.h"
#include "scene/NodePick.h"
#include "scene/SceneBox.h"
#include "scene/SelectedNodes.h"
#include "startup/Startup.h"

namespace {

using namespace irr;

// Trace lines go to /dev/null while measuring.
class Quiet {
public:
    Quiet() {
        std::fflush(stdout);
        saved_ = ::dup(1);
        const int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) {
            ::dup2(null, 1);
            ::close(null);
        }
    }
    ~Quiet() {
        std::fflush(stdout);
        if (saved_ >= 0) {
            ::dup2(saved_, 1);
            ::close(saved_);
        }
    }

private:
    int saved_ = -1;
};

// count cubes of size 4 on a square of the ground in front of the camera,
// 6 apart, the scene box open.
class SelectionBench {
public:
    explicit SelectionBench(int count) {
        Quiet quiet;
        if (::chdir(SORN_RUNTIME_DIR) != 0)
            return;
        char name[] = "sorn-editor";
        char* argv[] = {name, nullptr};
        if (!sorn::startEditor(1, argv, video::EDT_NULL, &receiver_))
            return;
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
        ok = true;
    }
    ~SelectionBench() {
        Quiet quiet;
        sorn::shutdownEditor();
    }
    void passes(int n) {
        for (int i = 0; i < n; ++i)
            sorn::runFramePass(true, true);
    }
    void post(EMOUSE_INPUT_EVENT type, s32 x, s32 y) {
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
    void key(EKEY_CODE code) {
        SEvent event;
        event.EventType = EET_KEY_INPUT_EVENT;
        event.KeyInput.Key = code;
        event.KeyInput.Char = 0;
        event.KeyInput.Shift = event.KeyInput.Control = false;
        event.KeyInput.PressedDown = true;
        sorn::editor.device->postEventFromUser(event);
        event.KeyInput.PressedDown = false;
        sorn::editor.device->postEventFromUser(event);
    }

    bool ok = false;
    std::vector<scene::ISceneNode*> nodes;

private:
    sorn::SornEventReceiver receiver_;
};

// The view's middle, where the cubes lie.
constexpr s32 kX = 500, kY = 420;

void BM_PickRayAmongNodes(benchmark::State& state) {
    SelectionBench bench(static_cast<int>(state.range(0)));
    if (!bench.ok) {
        state.SkipWithError("the editor did not start");
        return;
    }
    scene::ISceneNode* found = nullptr;
    for (auto _ : state)
        benchmark::DoNotOptimize(found = sorn::pickNodeAt(kX, kY));
    state.counters["hit"] = found ? 1 : 0;
}
BENCHMARK(BM_PickRayAmongNodes)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// The whole click: the pick, the selection, the tree opened to the row, the
// tool box rebuilt, the status line and the trace line.
void BM_ClickInViewAmongNodes(benchmark::State& state) {
    SelectionBench bench(static_cast<int>(state.range(0)));
    if (!bench.ok) {
        state.SkipWithError("the editor did not start");
        return;
    }
    Quiet quiet;
    for (auto _ : state) {
        bench.post(EMIE_LMOUSE_PRESSED_DOWN, kX, kY);
        bench.post(EMIE_LMOUSE_LEFT_UP, kX, kY);
    }
    state.counters["selected"] = sorn::editor.selectedNode ? 1 : 0;
}
BENCHMARK(BM_ClickInViewAmongNodes)->Arg(10000)->Unit(benchmark::kMillisecond);

// 10,000 nodes, the first `selected` of them selected; dragging: every frame
// one pointer move steps all of them along X.
void framePasses(benchmark::State& state, bool dragging) {
    SelectionBench bench(10000);
    if (!bench.ok) {
        state.SkipWithError("the editor did not start");
        return;
    }
    Quiet quiet;
    const size_t selected = static_cast<size_t>(state.range(0));
    sorn::setSelectedNodes(std::vector<scene::ISceneNode*>(bench.nodes.begin(), bench.nodes.begin() + selected));
    sorn::markSelectionInTree(false);
    bench.key(KEY_KEY_X);
    bench.post(EMIE_LMOUSE_PRESSED_DOWN, kX, kY);
    bench.passes(3);
    s32 x = kX, step = 1;
    for (auto _ : state) {
        if (dragging) {
            // Back and forth, so the nodes stay in view.
            if (x > kX + 100 || x < kX - 100)
                step = -step;
            bench.post(EMIE_MOUSE_MOVED, x += step, kY);
        }
        sorn::runFramePass(true, true);
    }
    bench.post(EMIE_LMOUSE_LEFT_UP, x, kY);
    state.counters["frames_per_s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// One pointer move of the drag alone, without the frame.
void BM_DragStepOfSelected(benchmark::State& state) {
    SelectionBench bench(10000);
    if (!bench.ok) {
        state.SkipWithError("the editor did not start");
        return;
    }
    Quiet quiet;
    const size_t selected = static_cast<size_t>(state.range(0));
    sorn::setSelectedNodes(std::vector<scene::ISceneNode*>(bench.nodes.begin(), bench.nodes.begin() + selected));
    bench.key(KEY_KEY_X);
    bench.post(EMIE_LMOUSE_PRESSED_DOWN, kX, kY);
    s32 x = kX, step = 1;
    for (auto _ : state) {
        if (x > kX + 100 || x < kX - 100)
            step = -step;
        bench.post(EMIE_MOUSE_MOVED, x += step, kY);
    }
    bench.post(EMIE_LMOUSE_LEFT_UP, x, kY);
}
BENCHMARK(BM_DragStepOfSelected)->Arg(1)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_FramePassSelectedIdle(benchmark::State& state) { framePasses(state, false); }
void BM_FramePassSelectedDragged(benchmark::State& state) { framePasses(state, true); }
BENCHMARK(BM_FramePassSelectedIdle)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FramePassSelectedDragged)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace
