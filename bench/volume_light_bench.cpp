// The pause one volume-light rebuild costs at a given subdivision count (the
// same in both directions), on the null driver: the engine rebuilds the mesh
// whenever a count or a colour changes, and the open builds it once per node.
// The tab's and the open's bound (kMaxVolumeLightSubdivisions) is chosen from
// these figures to keep one build well under a 16 ms frame.
#include <benchmark/benchmark.h>
#include <irrlicht.h>

#include "BenchScene.h"
#include "files/SceneValueLimits.h"

namespace {

using namespace irr;

void BM_VolumeLightMeshBuild(benchmark::State& state) {
    IrrlichtDevice* device = bench::nullDevice();
    const scene::IGeometryCreator* geometry = device->getSceneManager()->getGeometryCreator();
    const u32 count = static_cast<u32>(state.range(0));
    for (auto _ : state) {
        scene::IMesh* mesh = geometry->createVolumeLightMesh(count, count, video::SColor(51, 0, 230, 180),
                                                             video::SColor(0, 0, 0, 0), 8.f,
                                                             core::vector3df(1.f, 1.2f, 1.f));
        benchmark::DoNotOptimize(mesh);
        mesh->drop();
    }
    device->drop();
}
BENCHMARK(BM_VolumeLightMeshBuild)
    ->Arg(32)
    ->Arg(64)
    ->Arg(96)
    ->Arg(sorn::kMaxVolumeLightSubdivisions)
    ->Arg(192)
    ->Arg(256)
    ->Arg(512)
    ->Arg(1024)
    ->Unit(benchmark::kMillisecond);
// The tab's former bound: seconds per build, so one build is enough.
BENCHMARK(BM_VolumeLightMeshBuild)->Arg(4095)->Iterations(1)->Unit(benchmark::kMillisecond);

} // namespace
