// The attributes tab at scale, the whole editor on the null driver: the
// attribute panel built for 100 attributes of mixed types (time per build),
// and 200 nodes of several kinds picked one after another with the tool box
// open, every pick rebuilding its tabs with the attributes tab (time per pick).
#include <benchmark/benchmark.h>
#include <irrlicht.h>

#include <string>
#include <vector>

#include "BenchScene.h"
#include "app/EditorState.h"
#include "app/GuiIds.h"
#include "events/Selection.h"
#include "scene/SceneBox.h"
#include "startup/Startup.h"
#include "toolbox/AttributePanel.h"
#include "toolbox/ToolBox.h"

namespace {

using namespace irr;

// 100 attributes: a fifth each of numbers, vectors, colours, booleans and
// texts, as a node's own set mixes them.
io::IAttributes* hundredAttributes() {
    io::IAttributes* set =
        sorn::editor.device->getFileSystem()->createEmptyAttributes(sorn::editor.device->getVideoDriver());
    for (int i = 0; i < 20; ++i) {
        const std::string n = std::to_string(i);
        set->addFloat(("Number" + n).c_str(), static_cast<f32>(i) * 0.5f);
        set->addVector3d(("Vector" + n).c_str(), core::vector3df(1.f, 2.f, static_cast<f32>(i)));
        set->addColor(("Colour" + n).c_str(), video::SColor(255, 10, 20, static_cast<u32>(i)));
        set->addBool(("Flag" + n).c_str(), i % 2 == 0);
        set->addString(("Text" + n).c_str(), "value");
    }
    return set;
}

void BM_AttributePanelBuild(benchmark::State& state) {
    bench::NullDriverEditor session;
    if (!bench::started(state, session.ok()))
        return;
    gui::IGUIEnvironment* env = sorn::editor.device->getGUIEnvironment();
    gui::IGUIElement* window = env->addWindow(core::rect<s32>(800, 50, 1000, 720));
    io::IAttributes* set = hundredAttributes();
    for (auto _ : state) {
        gui::IGUIElement* panel = sorn::addAttributePanel(window, core::rect<s32>(4, 24, 196, 660), set,
                                                          sorn::ids::AttributesFirstRow, sorn::ids::AttributesLastRow,
                                                          nullptr);
        benchmark::DoNotOptimize(panel);
        panel->remove();
    }
    set->drop();
}
BENCHMARK(BM_AttributePanelBuild)->Unit(benchmark::kMillisecond);

// 200 nodes of six kinds in the scene box, picked in turn with the tool box
// open, each pick with the frame that shows it.
void BM_PickNodesWithToolBoxOpen(benchmark::State& state) {
    bench::NullDriverEditor session;
    if (!bench::started(state, session.ok()))
        return;
    bench::QuietStdout quiet;
    scene::ISceneManager* smgr = sorn::editor.sceneManager;
    std::vector<scene::ISceneNode*> nodes;
    for (int i = 0; i < 200; ++i) {
        const core::vector3df at(static_cast<f32>(i % 20) * 10.f, 0.f, static_cast<f32>(i / 20) * 10.f);
        switch (i % 6) {
        case 0: nodes.push_back(smgr->addCubeSceneNode(4.f, nullptr, -1, at)); break;
        case 1: nodes.push_back(smgr->addLightSceneNode(nullptr, at)); break;
        case 2: nodes.push_back(smgr->addBillboardSceneNode(nullptr, core::dimension2df(5, 5), at)); break;
        case 3: nodes.push_back(smgr->addEmptySceneNode()); break;
        case 4: nodes.push_back(smgr->addSphereSceneNode(3.f, 16, nullptr, -1, at)); break;
        default: nodes.push_back(smgr->addParticleSystemSceneNode(true, nullptr, -1, at)); break;
        }
    }
    sorn::createSceneBox();
    sorn::createToolBox();
    size_t next = 0;
    sorn::runFramePass(true, true);
    for (auto _ : state) {
        // The pick and the frame that shows it (refreshes wait for the frame).
        sorn::pickNode(nodes[next], sorn::PickHow::Only, false);
        sorn::runFramePass(true, true);
        next = (next + 1) % nodes.size();
    }
    state.counters["panel_elements"] = 0;
    if (gui::IGUIElement* panel = sorn::findElement(sorn::ids::AttributesPanel))
        state.counters["panel_elements"] = static_cast<double>(panel->getChildren().size());
}
BENCHMARK(BM_PickNodesWithToolBoxOpen)->Iterations(200)->Unit(benchmark::kMillisecond);

} // namespace
