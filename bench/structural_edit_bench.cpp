// Structural edits against the engine doing the same work: a duplicate (the
// scene box's button, rows and name index included) against the engine's
// clone of the same subtree, and the undo or redo of a large delete shown
// (through the frame that draws it) against the engine's own re-add or
// removal followed by as many frames. The whole editor runs on the null
// driver from the build's runtime folder, with the scene box open.
//
//   sorn_bench --benchmark_filter=StructuralEdit --benchmark_repetitions=9 \
//       --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <irrlicht.h>

#include "BenchScene.h"
#include "app/EditorState.h"
#include "app/NodeIndex.h"
#include "events/SceneBoxCommands.h"
#include "events/UndoCommands.h"
#include "scene/SceneBox.h"
#include "scene/SelectedNodes.h"

namespace {

using namespace irr;
using bench::Flat;
using bench::Nested;
using bench::QuietStdout;
using bench::Shape;

// The editor on the null driver with the scene box open and one group node
// under the root holding count cubes: all directly under it (flat), or ten
// under it and every further one under an earlier one, ten each (nested).
class StructuralEditor {
public:
    StructuralEditor(benchmark::State& state) {
        if (!bench::started(state, editor_.ok()))
            return;
        QuietStdout quiet;
        group = sorn::editor.sceneManager->addEmptySceneNode();
        group->setName("Group");
        bench::addCubes(sorn::editor.sceneManager, static_cast<int>(state.range(0)),
                        static_cast<Shape>(state.range(1)), group);
        sorn::indexNodeNames(sorn::editor.rootNode);
        sorn::createSceneBox();
        passes(3);
        ok = true;
    }
    void passes(int n) { editor_.passes(n); }
    void selectGroup() {
        sorn::setSelectedNodes({group});
        sorn::editor.nodeSelected = true;
    }

    bool ok = false;
    scene::ISceneNode* group = nullptr;

private:
    bench::NullDriverEditor editor_;
};

void duplicateSizes(benchmark::internal::Benchmark* b) {
    for (int shape : {Flat, Nested})
        for (int count : {1000, 10000})
            b->Args({count, shape});
    b->Unit(benchmark::kMicrosecond);
}

// The scene box's duplicate of the group: the copy, its row (the rows under
// it are made when it is opened), its names indexed, the selection moved onto
// it, one undo step. Nothing is left for the frames after it but drawing: a
// refresh left pending would be work the user waits for that is not timed.
void BM_StructuralEditDuplicate(benchmark::State& state) {
    StructuralEditor editor(state);
    if (!editor.ok)
        return;
    QuietStdout quiet;
    for (auto _ : state) {
        editor.selectGroup();
        sorn::duplicateSelectedNode();
        state.PauseTiming();
        if (sorn::editor.sceneViewRefresh.pending || sorn::editor.nameIndexRefresh.pending) {
            state.SkipWithError("the duplicate left a refresh to the frames after it");
            break;
        }
        sorn::undoLastChange();
        sorn::forgetSceneHistory();
        editor.passes(3);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StructuralEditDuplicate)->Apply(duplicateSizes);

// The engine's clone of the same subtree beside it.
void BM_StructuralEditEngineClone(benchmark::State& state) {
    StructuralEditor editor(state);
    if (!editor.ok)
        return;
    QuietStdout quiet;
    scene::ISceneNode* root = sorn::editor.sceneManager->getRootSceneNode();
    for (auto _ : state) {
        scene::ISceneNode* copy = editor.group->clone(root, sorn::editor.sceneManager);
        state.PauseTiming();
        copy->remove();
        editor.passes(1);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StructuralEditEngineClone)->Apply(duplicateSizes);

void undoSizes(benchmark::internal::Benchmark* b) {
    for (int shape : {Flat, Nested})
        b->Args({10000, shape});
    b->Unit(benchmark::kMicrosecond);
}

// Frames until an undo or redo is shown: the pass that posts nothing new, the
// one running the deferred refresh, and the one that draws its rows.
constexpr int ShownAfterPasses = 3;

// The undo of the group's delete, through the frame that shows it.
void BM_StructuralEditUndoDeleteShown(benchmark::State& state) {
    StructuralEditor editor(state);
    if (!editor.ok)
        return;
    QuietStdout quiet;
    sorn::deleteNodesRecorded({editor.group});
    editor.passes(3);
    for (auto _ : state) {
        sorn::undoLastChange();
        editor.passes(ShownAfterPasses);
        state.PauseTiming();
        sorn::redoLastChange();
        editor.passes(3);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StructuralEditUndoDeleteShown)->Apply(undoSizes);

// The redo of the group's delete, through the frame that shows it.
void BM_StructuralEditRedoDeleteShown(benchmark::State& state) {
    StructuralEditor editor(state);
    if (!editor.ok)
        return;
    QuietStdout quiet;
    sorn::deleteNodesRecorded({editor.group});
    editor.passes(3);
    for (auto _ : state) {
        state.PauseTiming();
        sorn::undoLastChange();
        editor.passes(3);
        state.ResumeTiming();
        sorn::redoLastChange();
        editor.passes(ShownAfterPasses);
    }
}
BENCHMARK(BM_StructuralEditRedoDeleteShown)->Apply(undoSizes);

// The engine's re-add of the subtree (addChild) and as many frames.
void BM_StructuralEditEngineReAddShown(benchmark::State& state) {
    StructuralEditor editor(state);
    if (!editor.ok)
        return;
    QuietStdout quiet;
    scene::ISceneNode* root = sorn::editor.sceneManager->getRootSceneNode();
    scene::ISceneNode* group = editor.group;
    group->grab();
    group->remove();
    editor.passes(3);
    for (auto _ : state) {
        root->addChild(group);
        editor.passes(ShownAfterPasses);
        state.PauseTiming();
        group->remove();
        editor.passes(3);
        state.ResumeTiming();
    }
    root->addChild(group);
    group->drop();
}
BENCHMARK(BM_StructuralEditEngineReAddShown)->Apply(undoSizes);

// The engine's removal of the subtree and as many frames.
void BM_StructuralEditEngineRemoveShown(benchmark::State& state) {
    StructuralEditor editor(state);
    if (!editor.ok)
        return;
    QuietStdout quiet;
    scene::ISceneNode* root = sorn::editor.sceneManager->getRootSceneNode();
    scene::ISceneNode* group = editor.group;
    group->grab();
    for (auto _ : state) {
        state.PauseTiming();
        root->addChild(group);
        editor.passes(3);
        state.ResumeTiming();
        group->remove();
        editor.passes(ShownAfterPasses);
    }
    root->addChild(group);
    group->drop();
}
BENCHMARK(BM_StructuralEditEngineRemoveShown)->Apply(undoSizes);

} // namespace
