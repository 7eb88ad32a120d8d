// The scene box's filter over 100,000 names: typing one more character into
// the filter box, then the rows shown worked out again (what the next frame
// draws from). The names are nested like a scene (ten children each) and
// mixed in case, so every row's folded text is searched.
#include <benchmark/benchmark.h>
#include <irrlicht.h>

#include <string>
#include <vector>

#include "BenchScene.h"
#include "scene/TreeView.h"

namespace {

using namespace irr;

class FilterTree {
public:
    explicit FilterTree(int count) {
        device_ = bench::nullDevice();
        tree_ = sorn::addTreeView(device_->getGUIEnvironment(), core::rect<s32>(4, 34, 200, 380), nullptr, 1, false,
                                  true);
        std::vector<gui::IGUITreeViewNode*> items;
        items.reserve(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            gui::IGUITreeViewNode* parent = i < 10 ? tree_->getRoot() : items[static_cast<size_t>(i / 10 - 1)];
            const std::wstring name = (i % 3 ? L"Crate_" : L"LAMP post ") + std::to_wstring(i);
            items.push_back(parent->addChildBack(name.c_str()));
        }
    }
    ~FilterTree() { device_->drop(); }
    sorn::CTreeView* tree() { return tree_; }

private:
    IrrlichtDevice* device_ = nullptr;
    sorn::CTreeView* tree_ = nullptr;
};

void BM_TreeFilter100k(benchmark::State& state) {
    FilterTree tree(100000);
    const wchar_t* filters[] = {L"lamp post 9", L"crate_4242", L"zzz"};
    size_t shown = 0;
    size_t i = 0;
    for (auto _ : state) {
        tree.tree()->setFilter(filters[i++ % 3]);
        shown = tree.tree()->shownRowCount();
        benchmark::DoNotOptimize(shown);
    }
    state.counters["rows_shown_last"] = static_cast<double>(shown);
}
BENCHMARK(BM_TreeFilter100k)->Unit(benchmark::kMillisecond);

} // namespace
