// The emitter update with hostile row texts, a particle system of the engine's
// sample scene filled and applied unchanged, and the largest values the rows
// allow saved, opened again and drawn.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <string>

#include "files/SceneScan.h"
#include "support/ParticleTabFixture.h"

using namespace irr;

namespace sorn {
namespace {

using test::ParticleTabTest;

// Every value the engine got lies within the bounds the rows promise.
void expectBounded(const scene::IParticleEmitter& e) {
    for (f32 component : {e.getDirection().X, e.getDirection().Y, e.getDirection().Z}) {
        EXPECT_TRUE(std::isfinite(component));
        EXPECT_LE(std::fabs(component), kMaxEmitterDirection);
    }
    EXPECT_LE(e.getMinParticlesPerSecond(), e.getMaxParticlesPerSecond());
    EXPECT_LE(e.getMaxParticlesPerSecond(), kMaxParticlesPerSecond);
    EXPECT_LE(e.getMinLifeTime(), e.getMaxLifeTime());
    EXPECT_LE(e.getMaxLifeTime(), kMaxParticleLifeTimeMs);
    EXPECT_GE(e.getMaxAngleDegrees(), 0);
    EXPECT_LE(e.getMaxAngleDegrees(), kMaxEmitterAngleDegrees);
    for (const core::dimension2df& size : {e.getMinStartSize(), e.getMaxStartSize()})
        for (f32 side : {size.Width, size.Height}) {
            EXPECT_TRUE(std::isfinite(side));
            EXPECT_GE(side, 0.f);
            EXPECT_LE(side, kMaxParticleStartSize);
        }
    if (e.getType() == scene::EPET_CYLINDER) {
        const auto& cylinder = static_cast<const scene::IParticleCylinderEmitter&>(e);
        EXPECT_TRUE(std::isfinite(cylinder.getRadius()) && cylinder.getRadius() >= 0.f &&
                    cylinder.getRadius() <= kMaxEmitterExtent);
        EXPECT_TRUE(std::isfinite(cylinder.getLength()) && std::fabs(cylinder.getLength()) <= kMaxEmitterExtent);
    }
}

struct Common {
    core::vector3df direction;
    u32 minRate, maxRate, minLife, maxLife;
    s32 angle;
    video::SColor minColour, maxColour;
    core::dimension2df minSize, maxSize;
};

Common commonOf(const scene::IParticleEmitter& e) {
    return {e.getDirection(),     e.getMinParticlesPerSecond(), e.getMaxParticlesPerSecond(),
            e.getMinLifeTime(),   e.getMaxLifeTime(),           e.getMaxAngleDegrees(),
            e.getMinStartColor(), e.getMaxStartColor(),         e.getMinStartSize(),
            e.getMaxStartSize()};
}

void expectSameCommon(const Common& a, const Common& b, f32 tolerance) {
    EXPECT_NEAR(a.direction.X, b.direction.X, tolerance);
    EXPECT_NEAR(a.direction.Y, b.direction.Y, tolerance);
    EXPECT_NEAR(a.direction.Z, b.direction.Z, tolerance);
    EXPECT_EQ(a.minRate, b.minRate);
    EXPECT_EQ(a.maxRate, b.maxRate);
    EXPECT_EQ(a.minLife, b.minLife);
    EXPECT_EQ(a.maxLife, b.maxLife);
    EXPECT_EQ(a.angle, b.angle);
    EXPECT_EQ(a.minColour, b.minColour);
    EXPECT_EQ(a.maxColour, b.maxColour);
    EXPECT_NEAR(a.minSize.Width, b.minSize.Width, tolerance);
    EXPECT_NEAR(a.minSize.Height, b.minSize.Height, tolerance);
    EXPECT_NEAR(a.maxSize.Width, b.maxSize.Width, tolerance);
    EXPECT_NEAR(a.maxSize.Height, b.maxSize.Height, tolerance);
}

// ---- Hostile texts in every row ---------------------------------------------------

TEST_F(ParticleTabTest, NoTextInAnyRowGivesTheEngineAnUnboundedValue) {
    const wchar_t* const texts[] = {L"",     L"abc",  L"+",          L"-",     L"nan",   L"inf",
                                    L"-inf", L"1e40", L"-1e40",      L"4294967296",    L"-1",
                                    L"99999999999999999999",         L"0x7fffffff",    L" 5",
                                    L"1/2/3", L"/",   L"5",          L"inf/nan",       L"-3/-4",
                                    L"255,0,0", L"1,2,3,4,5",        L"\u0131\u0661"};
    scene::IParticleSystemSceneNode* system = addSystem();
    for (int row = 0; row < 15; ++row)
        for (const wchar_t* typed : texts) {
            SCOPED_TRACE(testing::Message() << "row " << row << " \"" << std::wstring(typed) << '"');
            setTestEmitter(system, scene::EPET_CYLINDER);
            select(system);
            type(row, typed);
            update();
            ASSERT_EQ(system->getEmitter()->getType(), scene::EPET_CYLINDER);
            expectBounded(*system->getEmitter());
            // The boxes show the values in force: a second update changes nothing.
            const Common first = commonOf(*system->getEmitter());
            update();
            expectSameCommon(first, commonOf(*system->getEmitter()), 0.f);
        }
}

struct BoundCase {
    int row;
    const wchar_t* typed;
    int shownRow;         // the row whose box is checked afterwards
    const wchar_t* shown; // what it shows
};

// Rows hold the test emitter's values (rates 11/22, lives 1000/3000, angle
// 45) except the one typed.
const BoundCase kBoundCases[] = {
    {7, L"4000000000", 7, L"20000"},
    {7, L"4294967296", 7, L"20000"},
    {6, L"4000000000", 7, L"20000"}, // the maximum rises to the minimum
    {7, L"5", 7, L"11"},
    {7, L"-1", 7, L"11"},
    {4, L"-1", 4, L"0"},
    {5, L"99999999999", 5, L"600000"},
    {4, L"5000", 5, L"5000"},
    {3, L"", 3, L"45"},               // empty: the value in force
    {3, L"-1", 3, L"0"},
    {3, L"400", 3, L"360"},
    {6, L"", 6, L"11"},
    {10, L"", 10, L"1,2,3,4"},
    {10, L"255,0,0", 10, L"255,0,0"}, // colour text's own reading (the value 1) is left as typed
    {8, L"inf/5", 8, L"1000.000000/5.000000"},
    {8, L"7", 8, L"7.000000/0.000000"},
    {8, L"", 8, L"0.000000/0.000000"},
    {9, L"-3/-4", 9, L"0.000000/0.000000"},
    {9, L"5/6/7", 9, L"5/6/7"},
    {0, L"nan", 0, L"0.000000"},
    {0, L"", 0, L"0.000000"},
    {0, L"1e40", 0, L"1000.000000"},   // no f32 holds it: read like atof into a double, then bounded
    {1, L"-1e5", 1, L"-1000.000000"},
    {2, L"abc", 2, L"abc"},
    {12, L"-5", 12, L"0.000000"},
    {12, L"inf", 12, L"100000.000000"},
    {13, L"-inf", 13, L"-100000.000000"},
};

TEST_F(ParticleTabTest, OutOfRangeValuesAreBoundedAndTheBoxesShowWhatIsInForce) {
    scene::IParticleSystemSceneNode* system = addSystem();
    for (const BoundCase& c : kBoundCases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row << " \"" << std::wstring(c.typed) << '"');
        setTestEmitter(system, scene::EPET_CYLINDER);
        select(system);
        type(c.row, c.typed);
        update();
        EXPECT_EQ(text(emitterEditId(c.shownRow)), c.shown);
        expectBounded(*system->getEmitter());
    }
}

TEST_F(ParticleTabTest, EmptyIntegerAndColourBoxesKeepTheEmittersValues) {
    scene::IParticleSystemSceneNode* system = addSystem();
    setTestEmitter(system, scene::EPET_RING);
    select(system);
    for (int row : {3, 4, 5, 6, 7, 10, 11})
        type(row, L"");
    update();
    expectTestValues(*system->getEmitter());
}

TEST_F(ParticleTabTest, AMalformedColourAppliesTheValueOne) {
    scene::IParticleSystemSceneNode* system = addSystem();
    setTestEmitter(system, scene::EPET_RING);
    select(system);
    type(10, L"255,0,0");
    type(11, L"255,0,0,255,9");
    update();
    EXPECT_EQ(system->getEmitter()->getMinStartColor().color, 1u);
    EXPECT_EQ(system->getEmitter()->getMaxStartColor(), video::SColor(255, 0, 0, 255));
}

// ---- A system from the engine's sample scene ------------------------------------------

// A gzipped file of the engine's media, unpacked with the engine's gzip reader.
void unpackEngineMedia(io::IFileSystem* files, const std::string& gzName, const std::string& target) {
    const std::string source = std::string(SORN_IRRLICHT_MEDIA) + "/" + gzName;
    const std::string inner = gzName.substr(0, gzName.size() - 3);
    ASSERT_TRUE(files->addFileArchive(source.c_str(), false, true, io::EFAT_GZIP)) << source;
    io::IReadFile* in = files->createAndOpenFile(inner.c_str());
    ASSERT_NE(in, nullptr) << source;
    std::string bytes(static_cast<size_t>(in->getSize()), '\0');
    in->read(&bytes[0], static_cast<u32>(bytes.size()));
    in->drop();
    files->removeFileArchive(files->getFileArchiveCount() - 1);
    test::writeFile(target, bytes);
}

TEST_F(ParticleTabTest, SampleSceneSystemFilledAndAppliedUnchangedKeepsItsValues) {
    // The scene names its media as ../../media/..., from its own folder.
    test::TempDir folder;
    io::IFileSystem* files = smgr()->getFileSystem();
    ASSERT_EQ(::mkdir(folder.file("media").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(folder.file("a").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(folder.file("a/b").c_str(), 0755), 0);
    unpackEngineMedia(files, "example.irr.gz", folder.file("a/b/example.irr"));
    unpackEngineMedia(files, "particlered.bmp.gz", folder.file("media/particlered.bmp"));
    const io::path previous = files->getWorkingDirectory();
    files->changeWorkingDirectoryTo(folder.file("a/b").c_str());
    ASSERT_TRUE(smgr()->loadScene("example.irr"));
    files->changeWorkingDirectoryTo(previous);

    core::array<scene::ISceneNode*> systems;
    smgr()->getSceneNodesFromType(scene::ESNT_PARTICLE_SYSTEM, systems);
    ASSERT_EQ(systems.size(), 1u);
    auto* system = static_cast<scene::IParticleSystemSceneNode*>(systems[0]);
    ASSERT_NE(system->getEmitter(), nullptr);
    const Common before = commonOf(*system->getEmitter());
    EXPECT_EQ(before.minRate, 20u) << "the sample's own values";
    EXPECT_EQ(before.angle, 30);

    select(system);
    EXPECT_EQ(std::wstring(combo()->getItem(combo()->getSelected())), L"BOX");
    EXPECT_EQ(text(emitterEditId(6)), L"20");
    update();
    ASSERT_EQ(system->getEmitter()->getType(), scene::EPET_BOX);
    expectSameCommon(before, commonOf(*system->getEmitter()), 1e-6f);
}

// ---- The largest values allowed, saved and opened again ------------------------

// Every combo index applied with the largest and hostile row values (the mesh
// types keep the emitter in place): what the system then holds is bounded,
// its largest burst too, and it saves to a scene the open accepts and that
// draws, frames of 16 ms and one pause of ten seconds, with finite bounds.
// How long those frames take is measured by bench/particle_frame_bench.cpp.
TEST_F(ParticleTabTest, LargestValuesOfEveryTypeSaveOpenAndDraw) {
    const std::pair<int, const wchar_t*> largest[] = {
        {0, L"1e40"},       {1, L"-1e40"},      {2, L"nan"},        {3, L"4000000000"}, {4, L"4000000000"},
        {5, L"4000000000"}, {6, L"4000000000"}, {7, L"4000000000"}, {8, L"1e40/1e40"},  {9, L"inf/inf"},
        {12, L"1e40"},      {13, L"1e40"}};
    const std::string path = appFolder.file("largest.irr");
    for (s32 index = 0; index < scene::EPET_COUNT; ++index) {
        SCOPED_TRACE(testing::Message() << "combo index " << index);
        scene::IParticleSystemSceneNode* system = addSystem();
        setTestEmitter(system, scene::EPET_RING);
        select(system);
        chooseType(index);
        for (const auto& row : largest)
            type(row.first, row.second);
        update();
        scene::IParticleEmitter* emitter = system->getEmitter();
        ASSERT_NE(emitter, nullptr);
        ASSERT_NE(emitter->getType(), scene::EPET_MESH);
        ASSERT_NE(emitter->getType(), scene::EPET_ANIMATED_MESH);
        expectBounded(*emitter);
        scene::SParticle* burst = nullptr;
        EXPECT_LE(emitter->emitt(1000000, 10000, burst), static_cast<s32>(2 * kMaxParticlesPerSecond));

        ASSERT_TRUE(smgr()->saveScene(path.c_str()));
        system->remove();
        const SceneScan scan = scanSceneFile(smgr()->getFileSystem(), path.c_str());
        ASSERT_TRUE(scan.accepted()) << scan.detail;

        scene::ISceneManager* opened = smgr()->createNewSceneManager(false);
        opened->addCameraSceneNode(nullptr, core::vector3df(0, 30, -100), core::vector3df(0, 0, 0));
        ASSERT_TRUE(opened->loadScene(path.c_str()));
        core::array<scene::ISceneNode*> systems;
        opened->getSceneNodesFromType(scene::ESNT_PARTICLE_SYSTEM, systems);
        ASSERT_EQ(systems.size(), 1u);
        ITimer* timer = editor.device->getTimer();
        u32 now = timer->getTime();
        for (int frame = 0; frame < 40; ++frame) {
            now += frame == 20 ? 10000 : 16;
            timer->setTime(now);
            opened->drawAll();
        }
        EXPECT_TRUE(std::isfinite(systems[0]->getBoundingBox().getExtent().getLength()));
        opened->drop();
    }
}

} // namespace
} // namespace sorn
