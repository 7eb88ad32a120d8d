// Frames of a particle system at the largest values the emitter tab allows,
// on the null driver: the steady frame (16 ms apart) and the frame after a
// pause, when the emitter releases its largest burst.
#include <benchmark/benchmark.h>
#include <irrlicht.h>

#include <memory>

#include "BenchScene.h"
#include "toolbox/ParticleTab.h"

namespace {

using namespace irr;

struct LargestSystem {
    LargestSystem() {
        device = bench::nullDevice();
        scene::ISceneManager* smgr = device->getSceneManager();
        smgr->addCameraSceneNode(nullptr, core::vector3df(0, 30, -100), core::vector3df(0, 0, 0));
        system = smgr->addParticleSystemSceneNode(false);
        const core::dimension2df size(sorn::kMaxParticleStartSize, sorn::kMaxParticleStartSize);
        scene::IParticleEmitter* emitter = system->createRingEmitter(
            core::vector3df(0, 0, 0), 20.f, 5.f, core::vector3df(0, 0.03f, 0), sorn::kMaxParticlesPerSecond,
            sorn::kMaxParticlesPerSecond, video::SColor(255, 0, 0, 0), video::SColor(255, 255, 255, 255),
            sorn::kMaxParticleLifeTimeMs, sorn::kMaxParticleLifeTimeMs, sorn::kMaxEmitterAngleDegrees, size, size);
        system->setEmitter(emitter);
        emitter->drop();
        now = device->getTimer()->getTime();
    }
    ~LargestSystem() { device->drop(); }

    void frameAfter(u32 milliseconds) {
        now += milliseconds;
        device->getTimer()->setTime(now);
        device->getSceneManager()->drawAll();
    }

    IrrlichtDevice* device = nullptr;
    scene::IParticleSystemSceneNode* system = nullptr;
    u32 now = 0;
};

void BM_ParticleFrameAtLargestValues(benchmark::State& state) {
    LargestSystem scene;
    for (int i = 0; i < 200; ++i) // fill the system to the engine's limit
        scene.frameAfter(16);
    for (auto _ : state)
        scene.frameAfter(16);
}
BENCHMARK(BM_ParticleFrameAtLargestValues)->Unit(benchmark::kMillisecond);

void BM_ParticleFrameAfterAPause(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        auto scene = std::make_unique<LargestSystem>();
        scene->frameAfter(16);
        state.ResumeTiming();
        scene->frameAfter(10000);
        state.PauseTiming();
        scene.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ParticleFrameAfterAPause)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
