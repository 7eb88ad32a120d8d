// The particle tab: its elements, the rows shown for every emitter type and
// combo index, the combo change and the update button, driven on the null
// driver through the editor's event receiver.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <string>
#include <vector>

#include "app/EditorState.h"
#include "app/Translate.h"
#include "scene/NodeCatalogue.h"
#include "scene/NodeState.h"
#include "support/EditorFixture.h"
#include "support/ParticleTabFixture.h"
#include "toolbox/ToolBox.h"

using namespace irr;

namespace sorn {
namespace {

using test::ParticleTabTest;

// ---- Layout ------------------------------------------------------------------

TEST_F(ParticleTabTest, ParticleTabFollowsTheObjectTabAndHoldsTheEmitterTab) {
    select(addSystem());
    auto* tabs = static_cast<gui::IGUITabControl*>(findElement(ids::ToolBoxTabControl));
    ASSERT_NE(tabs, nullptr);
    ASSERT_GE(tabs->getTabCount(), 2);
    gui::IGUITab* particleTab = tabs->getTab(1);
    EXPECT_EQ(std::wstring(particleTab->getText()), std::wstring(translate(L"window_toolbox_tab_particle").c_str()));
    EXPECT_EQ(particleTab->getID(), -1);

    gui::IGUIElement* button = findElement(ids::EmitterUpdate);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->getParent(), particleTab);
    EXPECT_EQ(button->getRelativePosition(), core::rect<s32>(100, 10, 170, 30));
    EXPECT_EQ(std::wstring(button->getText()), std::wstring(translate(L"action_update").c_str()));

    gui::IGUIElement* combo = findElement(ids::EmitterTypeCombo);
    ASSERT_NE(combo, nullptr);
    gui::IGUIElement* emitterTab = combo->getParent();
    ASSERT_EQ(emitterTab->getType(), gui::EGUIET_TAB);
    EXPECT_EQ(std::wstring(emitterTab->getText()), std::wstring(translate(L"window_toolbox_tab_emitter").c_str()));
    gui::IGUIElement* nested = emitterTab->getParent();
    ASSERT_EQ(nested->getType(), gui::EGUIET_TAB_CONTROL);
    EXPECT_EQ(nested->getParent(), particleTab);
    EXPECT_EQ(nested->getRelativePosition(), core::rect<s32>(4, 10, 188, 658));
    EXPECT_EQ(static_cast<gui::IGUITabControl*>(nested)->getTabCount(), 1);

    EXPECT_EQ(combo->getRelativePosition(), core::rect<s32>(10, 38, 170, 56));
    const wchar_t* const names[] = {L"POINT", L"ANIMATED_MESH", L"BOX", L"CYLINDER", L"MESH", L"RING", L"SPHERE"};
    auto* box = static_cast<gui::IGUIComboBox*>(combo);
    ASSERT_EQ(box->getItemCount(), 7u);
    for (u32 i = 0; i < 7; ++i) {
        EXPECT_EQ(std::wstring(box->getItem(i)), names[i]);
        EXPECT_EQ(box->getItemData(i), 0u);
    }

    for (int k = 0; k < 20; ++k) {
        gui::IGUIElement* label = findElement(0x500d0 + 2 * k);
        gui::IGUIElement* edit = findElement(0x500d1 + 2 * k);
        ASSERT_NE(label, nullptr) << k;
        ASSERT_NE(edit, nullptr) << k;
        EXPECT_EQ(label->getType(), gui::EGUIET_STATIC_TEXT) << k;
        EXPECT_EQ(edit->getType(), gui::EGUIET_EDIT_BOX) << k;
        EXPECT_EQ(label->getParent(), emitterTab) << k;
        EXPECT_EQ(edit->getParent(), emitterTab) << k;
        EXPECT_EQ(label->getRelativePosition(), core::rect<s32>(22, 99 + 28 * k, 100, 117 + 28 * k)) << k;
        // The start colour rows leave room for their swatch.
        const s32 right = k == 10 || k == 11 ? 151 : 170;
        EXPECT_EQ(edit->getRelativePosition(), core::rect<s32>(100, 97 + 28 * k, right, 117 + 28 * k)) << k;
    }
    // A system without an emitter fills nothing: every row stays empty.
    EXPECT_EQ(text(emitterEditId(0)), L"");
}

// ---- Rows per emitter type and combo index -------------------------------------

// 'S' shown with its label and value, 'H' hidden with empty text and
// tooltip, 'U' untouched (keeps what it showed before).
struct RowCase {
    s32 comboIndex;
    const char* rows; // twenty letters, row 0 first
};

const RowCase kRowCases[] = {
    {0, "SSSSSSSSSSSSUUUUUUUU"},  // POINT
    {1, "UUUUUUUUUUUUUUUUUUUU"},  // ANIMATED_MESH
    {2, "SSSSSSSSSSSSHUUUUUUU"},  // BOX
    {3, "SSSSSSSSSSSSSSUUUUUU"},  // CYLINDER
    {4, "UUUUUUUUUUUUUUUUUUUU"},  // MESH
    {5, "SSSSSSSSSSSSSSUUUUUU"},  // RING
    {6, "SSSSSSSSSSSSSHHHHHHH"},  // SPHERE
    {7, "UUUUUUUUUUUUUUUUUUUU"},  // beyond the list
    {100, "UUUUUUUUUUUUUUUUUUUU"},
    {-1, "UUUUUUUUUUUUUUUUUUUU"}, // nothing chosen
};

const wchar_t* const kCommonLabels[12] = {
    L"Direction.X:",  L"Direction.Y:",  L"Direction.Z:",  L"MaxAngleDeg:",  L"MinLifeTime:",   L"MaxLifeTime:",
    L"MinPart/Sec:",  L"MaxPart/Sec:",  L"MinStartSize:", L"MaxStartSize:", L"MinStartColor:", L"MaxStartColor:"};
const wchar_t* const kCommonTips[12] = {
    L"f32", L"f32", L"f32", L"u32", L"u32", L"u32", L"u32", L"u32", L"DIMENSION2D: f32(W), f32(H)",
    L"DIMENSION2D: f32(W), f32(H)", L"ARGB: u32(A), u32(R), u32(G), u32(B)", L"ARGB: u32(A), u32(R), u32(G), u32(B)"};
// The values the test emitters are made with, as the rows show them.
const wchar_t* const kCommonValues[12] = {
    L"0.100000", L"-0.250000", L"3.000000", L"45", L"1000", L"3000",
    L"11", L"22", L"2.000000/3.000000", L"4.000000/6.500000", L"1,2,3,4", L"255,6,7,8"};

struct ShownRow {
    std::wstring label, value, tip;
};

// What row 12 and 13 show for a combo index over an emitter of a given type.
ShownRow shapeRow(int row, s32 comboIndex, scene::E_PARTICLE_EMITTER_TYPE emitterType) {
    if (row == 12)
        return {L"Radius:", L"20", L"f32"};
    if (comboIndex == scene::EPET_CYLINDER)
        return {L"Lenght:", emitterType == scene::EPET_CYLINDER ? L"7.500000" : L"0.000000", L"f32"};
    return {L"RingThickness:", emitterType == scene::EPET_RING ? L"3.250000" : L"0.000000", L"f32"};
}

class EmitterRowsTest : public ParticleTabTest,
                        public testing::WithParamInterface<scene::E_PARTICLE_EMITTER_TYPE> {};

TEST_P(EmitterRowsTest, EveryComboIndexShowsHidesOrKeepsTheRowsOfItsType) {
    const scene::E_PARTICLE_EMITTER_TYPE emitterType = GetParam();
    scene::IParticleSystemSceneNode* system = addSystem();
    system->setEmitter(nullptr);
    setTestEmitter(system, emitterType);
    select(system);
    for (const RowCase& c : kRowCases) {
        SCOPED_TRACE(testing::Message() << "combo index " << c.comboIndex);
        for (int k = 0; k < 20; ++k) {
            showToolBoxRowFor(k, L"old label", L"old value", L"old tip");
        }
        // The combo holds indices up to 6 only; what lies beyond goes to the
        // rows directly.
        if (c.comboIndex < 7)
            chooseType(c.comboIndex);
        else
            showEmitterRows(c.comboIndex);
        for (int k = 0; k < 20; ++k) {
            SCOPED_TRACE(testing::Message() << "row " << k);
            const s32 label = emitterLabelId(k), edit = emitterEditId(k);
            switch (c.rows[k]) {
            case 'U':
                EXPECT_EQ(text(label), L"old label");
                EXPECT_EQ(text(edit), L"old value");
                EXPECT_EQ(tooltip(edit), L"old tip");
                EXPECT_TRUE(visible(edit));
                break;
            case 'H':
                EXPECT_FALSE(visible(label));
                EXPECT_FALSE(visible(edit));
                EXPECT_EQ(text(label), L"");
                EXPECT_EQ(text(edit), L"");
                EXPECT_EQ(tooltip(label), L"");
                EXPECT_EQ(tooltip(edit), L"");
                break;
            case 'S': {
                const ShownRow want = k < 12 ? ShownRow{kCommonLabels[k], kCommonValues[k], kCommonTips[k]}
                                             : shapeRow(k, c.comboIndex, emitterType);
                EXPECT_TRUE(visible(label));
                EXPECT_TRUE(visible(edit));
                EXPECT_EQ(text(label), want.label);
                EXPECT_EQ(text(edit), want.value);
                EXPECT_EQ(tooltip(label), want.tip);
                EXPECT_EQ(tooltip(edit), want.tip);
                break;
            }
            default:
                FAIL() << "bad table letter";
            }
        }
    }
    EXPECT_EQ(system->getEmitter()->getType(), emitterType) << "the combo alone never changes the emitter";
}

INSTANTIATE_TEST_SUITE_P(EmitterTypes, EmitterRowsTest,
                         testing::Values(scene::EPET_BOX, scene::EPET_CYLINDER, scene::EPET_RING,
                                         scene::EPET_SPHERE, scene::EPET_POINT),
                         [](const testing::TestParamInfo<scene::E_PARTICLE_EMITTER_TYPE>& info) {
                             return std::string(scene::ParticleEmitterTypeNames[info.param]);
                         });

TEST_F(ParticleTabTest, SelectingASystemShowsItsEmitterTypeAndRows) {
    for (scene::E_PARTICLE_EMITTER_TYPE type :
         {scene::EPET_POINT, scene::EPET_BOX, scene::EPET_CYLINDER, scene::EPET_RING, scene::EPET_SPHERE}) {
        scene::IParticleSystemSceneNode* system = addSystem();
        setTestEmitter(system, type);
        select(system);
        EXPECT_EQ(combo()->getSelected(), static_cast<s32>(type));
        EXPECT_EQ(text(emitterEditId(7)), L"22");
        EXPECT_EQ(visible(emitterEditId(12)), type != scene::EPET_BOX);
    }
}

TEST_F(ParticleTabTest, TheEditorsOwnParticleSystemShowsBoxWithTwelveRows) {
    editor.selectedNode = nullptr;
    scene::ISceneNode* node = addNode(scene::ESNT_PARTICLE_SYSTEM, 0);
    ASSERT_NE(node, nullptr);
    select(node);
    auto* emitter = static_cast<scene::IParticleSystemSceneNode*>(node)->getEmitter();
    ASSERT_NE(emitter, nullptr);
    EXPECT_EQ(std::wstring(combo()->getItem(combo()->getSelected())), L"BOX");
    for (int k = 0; k < 12; ++k) {
        EXPECT_TRUE(visible(emitterEditId(k))) << k;
        EXPECT_NE(text(emitterLabelId(k)), L"") << k;
        EXPECT_NE(text(emitterEditId(k)), L"") << k;
    }
    EXPECT_EQ(text(emitterEditId(6)), std::to_wstring(emitter->getMinParticlesPerSecond()));
    EXPECT_FALSE(visible(emitterLabelId(12)));
    EXPECT_FALSE(visible(emitterEditId(12)));
    EXPECT_EQ(text(emitterLabelId(13)), L"") << "rows beyond 12 carry no label for a box";
}

TEST_F(ParticleTabTest, ComboFromCylinderToPointKeepsTheShapeRowsAndSphereHidesThem) {
    scene::IParticleSystemSceneNode* system = addSystem();
    setTestEmitter(system, scene::EPET_CYLINDER);
    select(system);
    chooseType(scene::EPET_POINT);
    EXPECT_EQ(text(emitterLabelId(12)), L"Radius:");
    EXPECT_EQ(text(emitterLabelId(13)), L"Lenght:");
    EXPECT_EQ(text(emitterEditId(13)), L"7.500000");
    EXPECT_TRUE(visible(emitterEditId(13)));
    chooseType(scene::EPET_SPHERE);
    for (int k = 13; k < 20; ++k)
        EXPECT_FALSE(visible(emitterEditId(k))) << k;
    EXPECT_TRUE(visible(emitterEditId(12)));
}

TEST_F(ParticleTabTest, RowsAreLeftAloneWithoutAParticleSystemSelected) {
    scene::IParticleSystemSceneNode* system = addSystem();
    setTestEmitter(system, scene::EPET_RING);
    select(system);
    showToolBoxRowFor(0, L"a", L"b", L"c");
    editor.selectedNode = smgr()->addCubeSceneNode();
    showEmitterRows(scene::EPET_RING);
    fillEmitterTab(editor.selectedNode);
    EXPECT_EQ(text(emitterEditId(0)), L"b");
    editor.selectedNode = nullptr;
    showEmitterRows(scene::EPET_RING);
    EXPECT_EQ(text(emitterEditId(0)), L"b");
}

// ---- Update button -------------------------------------------------------------

TEST_F(ParticleTabTest, RingAppliedFromTheRowsAsShownCirclesTheNodePosition) {
    scene::IParticleSystemSceneNode* system = addSystem(core::vector3df(3.f, -4.f, 5.5f));
    setTestEmitter(system, scene::EPET_BOX);
    select(system);
    chooseType(scene::EPET_RING);
    update();
    scene::IParticleEmitter* emitter = system->getEmitter();
    ASSERT_EQ(emitter->getType(), scene::EPET_RING);
    auto* ring = static_cast<scene::IParticleRingEmitter*>(emitter);
    EXPECT_EQ(ring->getCenter(), core::vector3df(3.f, -4.f, 5.5f));
    EXPECT_FLOAT_EQ(ring->getRadius(), 20.f);
    EXPECT_FLOAT_EQ(ring->getRingThickness(), 0.f);
    expectTestValues(*emitter);
}

TEST_F(ParticleTabTest, EveryBuildableTypeGetsItsCreationValues) {
    scene::IParticleSystemSceneNode* system = addSystem(core::vector3df(1.f, 2.f, 3.f));
    setTestEmitter(system, scene::EPET_CYLINDER);
    select(system);

    chooseType(scene::EPET_BOX);
    update();
    ASSERT_EQ(system->getEmitter()->getType(), scene::EPET_BOX);
    EXPECT_EQ(static_cast<scene::IParticleBoxEmitter*>(system->getEmitter())->getBox(),
              core::aabbox3df(-10.f, 28.f, -10.f, 10.f, 30.f, 10.f));
    expectTestValues(*system->getEmitter());

    chooseType(scene::EPET_CYLINDER);
    type(12, L"6.5");
    type(13, L"-9");
    type(14, L"+7");
    update();
    ASSERT_EQ(system->getEmitter()->getType(), scene::EPET_CYLINDER);
    auto* cylinder = static_cast<scene::IParticleCylinderEmitter*>(system->getEmitter());
    EXPECT_EQ(cylinder->getCenter(), core::vector3df(1.f, 2.f, 3.f));
    EXPECT_EQ(cylinder->getNormal(), core::vector3df(5.f, 5.f, 5.f));
    EXPECT_FLOAT_EQ(cylinder->getRadius(), 6.5f);
    EXPECT_FLOAT_EQ(cylinder->getLength(), -9.f);
    EXPECT_TRUE(cylinder->getOutlineOnly());
    expectTestValues(*cylinder);

    chooseType(scene::EPET_SPHERE);
    update();
    ASSERT_EQ(system->getEmitter()->getType(), scene::EPET_SPHERE);
    auto* sphere = static_cast<scene::IParticleSphereEmitter*>(system->getEmitter());
    EXPECT_EQ(sphere->getCenter(), core::vector3df(1.f, 2.f, 3.f));
    EXPECT_FLOAT_EQ(sphere->getRadius(), 20.f);

    chooseType(scene::EPET_POINT);
    update();
    EXPECT_EQ(system->getEmitter()->getType(), scene::EPET_POINT);
    expectTestValues(*system->getEmitter());
}

TEST_F(ParticleTabTest, OutlineRowReadsAsYesNoText) {
    const std::pair<const wchar_t*, bool> cases[] = {
        {L"yes", false}, {L"1", true}, {L"true", true}, {L"Tru", true}, {L"-1", false}, {L"", false}};
    scene::IParticleSystemSceneNode* system = addSystem();
    setTestEmitter(system, scene::EPET_CYLINDER);
    select(system);
    for (const auto& c : cases) {
        type(14, c.first);
        update();
        ASSERT_EQ(system->getEmitter()->getType(), scene::EPET_CYLINDER);
        EXPECT_EQ(static_cast<scene::IParticleCylinderEmitter*>(system->getEmitter())->getOutlineOnly(), c.second)
            << '"' << std::wstring(c.first) << '"';
    }
}

TEST_F(ParticleTabTest, MeshTypesAndOtherIndicesLeaveTheEmitterAlone) {
    scene::IParticleSystemSceneNode* system = addSystem();
    setTestEmitter(system, scene::EPET_SPHERE);
    select(system);
    scene::IParticleEmitter* before = system->getEmitter();
    type(7, L"999");
    for (s32 index : {1, 4, -1}) {
        combo()->setSelected(index);
        update();
        EXPECT_EQ(system->getEmitter(), before) << index;
        EXPECT_EQ(before->getMaxParticlesPerSecond(), 22u) << index;
        EXPECT_EQ(text(emitterEditId(7)), L"999") << index;
    }
}

TEST_F(ParticleTabTest, UpdateNeedsASelectedParticleSystem) {
    scene::IParticleSystemSceneNode* system = addSystem();
    setTestEmitter(system, scene::EPET_RING);
    select(system);
    scene::IParticleEmitter* before = system->getEmitter();
    combo()->setSelected(scene::EPET_POINT);
    editor.nodeSelected = false;
    update();
    EXPECT_EQ(system->getEmitter(), before);
    editor.nodeSelected = true;
    // Another node selected under the rows: the update leaves it as it was.
    auto* cube = static_cast<scene::IMeshSceneNode*>(smgr()->addCubeSceneNode());
    const NodeState cubeBefore = NodeState::of(cube);
    scene::IMesh* mesh = cube->getMesh();
    editor.selectedNode = cube;
    type(0, L"1e40"); // a row read would show the bound in force instead
    update();
    EXPECT_TRUE(NodeState::of(cube) == cubeBefore);
    EXPECT_EQ(cube->getMesh(), mesh);
    EXPECT_TRUE(cube->getChildren().empty());
    EXPECT_EQ(text(emitterEditId(0)), L"1e40") << "no row was read for a cube";
    editor.selectedNode = nullptr;
    update();
    EXPECT_EQ(system->getEmitter(), before);
}

} // namespace
} // namespace sorn
