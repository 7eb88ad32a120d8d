// The light tab: its layout, the rows as filled (labels, colour text, numbers,
// tooltips), the type combo and "action_update" with good and bad texts.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <string>
#include <vector>

#include "app/EditorState.h"
#include "app/Translate.h"
#include "scene/NodeCatalogue.h"
#include "support/EditorFixture.h"

using namespace irr;

namespace sorn {
namespace {

std::wstring translated(const wchar_t* key) {
    return translate(key).c_str();
}

std::wstring textOf(s32 id) {
    gui::IGUIElement* element = findElement(id);
    return element ? std::wstring(element->getText()) : std::wstring(L"<missing>");
}

constexpr s32 kDiffuse = 0x500d1, kSpecular = 0x500d3, kAmbient = 0x500d5, kRadius = 0x500d7, kInner = 0x500d9,
              kOuter = 0x500db, kFalloff = 0x500dd;

class LightTabTest : public test::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        clickButton(ids::ButtonOpenSceneBox);
        clickButton(ids::ButtonOpenToolBox);
        editor.selectedNode = nullptr;
        light = static_cast<scene::ILightSceneNode*>(addNode(scene::ESNT_LIGHT, 0));
        activePasses(2);
        pickInTree(light);
    }

    void type(s32 id, const wchar_t* text) { findElement(id)->setText(text); }
    gui::IGUIComboBox* combo() { return static_cast<gui::IGUIComboBox*>(findElement(ids::LightTypeCombo)); }

    scene::ILightSceneNode* light = nullptr;
};

TEST_F(LightTabTest, TabFollowsTheLayoutTable) {
    auto* tabs = static_cast<gui::IGUITabControl*>(findElement(ids::ToolBoxTabControl));
    ASSERT_EQ(tabs->getTabCount(), 5); // object, light, attributes, animators, custom properties
    gui::IGUITab* tab = tabs->getTab(1);
    EXPECT_EQ(std::wstring(tab->getText()), translated(L"window_toolbox_tab_light"));
    EXPECT_EQ(tab->getID(), -1);

    struct Element {
        gui::EGUI_ELEMENT_TYPE type;
        core::rect<s32> rect;
        s32 id;
    };
    std::vector<Element> expected = {{gui::EGUIET_STATIC_TEXT, {10, 10, 60, 35}, -1},
                                     {gui::EGUIET_COMBO_BOX, {10, 38, 170, 56}, 0x50039},
                                     {gui::EGUIET_STATIC_TEXT, {10, 71, 60, 96}, -1}};
    for (s32 k = 0; k < 7; ++k) {
        // The three colour rows: a narrower box and its swatch.
        const bool colour = k < 3;
        expected.push_back({gui::EGUIET_STATIC_TEXT, {22, 99 + 28 * k, 100, 117 + 28 * k}, 0x500d0 + 2 * k});
        expected.push_back({gui::EGUIET_EDIT_BOX, {100, 97 + 28 * k, colour ? 151 : 170, 117 + 28 * k}, 0x500d1 + 2 * k});
        if (colour)
            expected.push_back({gui::EGUIET_ELEMENT, {153, 98 + 28 * k, 170, 116 + 28 * k}, ids::LightFirstSwatch + k});
    }
    expected.push_back({gui::EGUIET_BUTTON, {110, 290, 170, 311}, 0x5003e});
    std::vector<gui::IGUIElement*> children;
    for (gui::IGUIElement* child : tab->getChildren())
        children.push_back(child);
    ASSERT_EQ(children.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(children[i]->getType(), expected[i].type) << i;
        EXPECT_EQ(children[i]->getRelativePosition(), expected[i].rect) << i;
        EXPECT_EQ(children[i]->getID(), expected[i].id) << i;
    }
    EXPECT_EQ(std::wstring(children[0]->getText()), L"Type:");
    EXPECT_EQ(std::wstring(children[2]->getText()), translated(L"window_toolbox_edit_edit"));
    EXPECT_EQ(std::wstring(children.back()->getText()), translated(L"action_update"));
    ASSERT_EQ(combo()->getItemCount(), 3u);
    const wchar_t* keys[] = {L"light_type_point", L"light_type_spot", L"light_type_directional"};
    for (u32 i = 0; i < 3; ++i)
        EXPECT_EQ(std::wstring(combo()->getItem(i)), translated(keys[i]));
}

TEST_F(LightTabTest, RowsShowLabelsValuesAndTooltips) {
    video::SLight data = light->getLightData();
    data.DiffuseColor = video::SColorf(0.5f, 1.f, 0.f, 1.f);
    data.SpecularColor = video::SColorf(0.f, 0.25f, 1.f, 0.5f);
    data.AmbientColor = video::SColorf(0.f, 0.f, 0.f, 1.f);
    data.InnerCone = 12.5f;
    data.OuterCone = 45.f;
    data.Falloff = 2.f;
    light->setLightData(data);
    light->setRadius(250.f);
    pickInTree(light);

    struct Row {
        const wchar_t* label;
        std::wstring value;
        const wchar_t* tip;
    };
    const wchar_t* colourTip = L"ARGB: u32(A), u32(R), u32(G), u32(B)";
    const Row rows[] = {
        // 0.5 and 0.25 of 255: 127.5 and 63.75 show rounded to the nearest value.
        {L"DiffuseColor:", L"255,128,255,0", colourTip}, {L"SpecularColor:", L"128,0,64,255", colourTip},
        {L"AmbientColor:", L"255,0,0,0", colourTip},     {L"Radius:", L"250.000000", L"f32"},
        {L"InnerCone:", L"12.500000", L"f32"},           {L"OuterCone:", L"45.000000", L"f32"},
        {L"Falloff:", L"2.000000", L"f32"},
    };
    for (s32 k = 0; k < 7; ++k) {
        gui::IGUIElement* label = findElement(0x500d0 + 2 * k);
        gui::IGUIElement* edit = findElement(0x500d1 + 2 * k);
        EXPECT_EQ(std::wstring(label->getText()), rows[k].label) << k;
        EXPECT_EQ(std::wstring(edit->getText()), rows[k].value) << k;
        EXPECT_EQ(std::wstring(label->getToolTipText().c_str()), rows[k].tip) << k;
        EXPECT_EQ(std::wstring(edit->getToolTipText().c_str()), rows[k].tip) << k;
        EXPECT_TRUE(label->isVisible() && edit->isVisible()) << k;
    }
    EXPECT_EQ(combo()->getSelected(), 0);
}

TEST_F(LightTabTest, ComboShowsTheLightType) {
    const video::E_LIGHT_TYPE types[] = {video::ELT_SPOT, video::ELT_DIRECTIONAL, video::ELT_POINT};
    const s32 indexes[] = {1, 2, 0};
    for (int i = 0; i < 3; ++i) {
        light->setLightType(types[i]);
        pickInTree(light);
        EXPECT_EQ(combo()->getSelected(), indexes[i]);
    }
}

TEST_F(LightTabTest, TypeComboChangeAloneChangesNothing) {
    combo()->setSelected(1);
    postGuiEvent(gui::EGET_COMBO_BOX_CHANGED, combo());
    EXPECT_EQ(light->getLightType(), video::ELT_POINT);
}

TEST_F(LightTabTest, UpdateTurnsTheLightIntoASpotWithTheConeValues) {
    combo()->setSelected(1);
    type(kInner, L"10");
    type(kOuter, L"30.5");
    type(kFalloff, L"1.5");
    clickButton(ids::LightApply);
    EXPECT_EQ(light->getLightType(), video::ELT_SPOT);
    EXPECT_EQ(light->getLightData().InnerCone, 10.f);
    EXPECT_EQ(light->getLightData().OuterCone, 30.5f);
    EXPECT_EQ(light->getLightData().Falloff, 1.5f);
    EXPECT_EQ(textOf(kOuter), L"30.5") << "the rows keep the typed text";
}

struct ColourCase {
    const wchar_t* text;
    u32 argb;
};

class LightColourTest : public LightTabTest, public testing::WithParamInterface<ColourCase> {};

TEST_P(LightColourTest, DiffuseTextGivesTheColour) {
    type(kDiffuse, GetParam().text);
    clickButton(ids::LightApply);
    // Each channel is stored divided by 255.
    const video::SColor colour(GetParam().argb);
    const video::SColorf got = light->getLightData().DiffuseColor;
    EXPECT_EQ(got.a, colour.getAlpha() / 255.f);
    EXPECT_EQ(got.r, colour.getRed() / 255.f);
    EXPECT_EQ(got.g, colour.getGreen() / 255.f);
    EXPECT_EQ(got.b, colour.getBlue() / 255.f);
    // Shown again, the colour reads as the same four numbers.
    pickInTree(light);
    const std::wstring shown = std::to_wstring(colour.getAlpha()) + L"," + std::to_wstring(colour.getRed()) + L"," +
                               std::to_wstring(colour.getGreen()) + L"," + std::to_wstring(colour.getBlue());
    EXPECT_EQ(textOf(kDiffuse), shown);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LightColourTest,
    testing::Values(ColourCase{L"255,255,0,0", 0xffff0000}, ColourCase{L"255,0,0", 1},
                    ColourCase{L"255,0,0,255,9", 0xff0000ff}, ColourCase{L"garbage", 1},
                    ColourCase{L" 128, +64 ,-1,3x", 0x8040ff03}, ColourCase{L"255,99999999999,0,0", 0xffff0000},
                    ColourCase{L"-99999999999,0,0,0", 0x00000000}, ColourCase{L",,,", 0}));

TEST_F(LightTabTest, EmptyBoxesKeepTheirValues) {
    const video::SLight before = light->getLightData();
    const f32 radius = light->getRadius();
    for (s32 id : {kDiffuse, kSpecular, kAmbient, kRadius, kInner, kOuter, kFalloff})
        type(id, L"");
    clickButton(ids::LightApply);
    EXPECT_EQ(light->getRadius(), radius);
    EXPECT_EQ(light->getLightData().DiffuseColor.r, before.DiffuseColor.r);
    EXPECT_EQ(light->getLightData().SpecularColor.g, before.SpecularColor.g);
    EXPECT_EQ(light->getLightData().AmbientColor.a, before.AmbientColor.a);
    EXPECT_EQ(light->getLightData().InnerCone, before.InnerCone);
    EXPECT_EQ(light->getLightData().OuterCone, before.OuterCone);
    EXPECT_EQ(light->getLightData().Falloff, before.Falloff);
}

TEST_F(LightTabTest, RadiusIsWrittenAndTextThatIsNoNumberGivesZeroCones) {
    type(kRadius, L"42.5");
    type(kInner, L"abc");
    clickButton(ids::LightApply);
    EXPECT_EQ(light->getRadius(), 42.5f);
    EXPECT_EQ(light->getLightData().InnerCone, 0.f);
}

class LightBadNumberTest : public LightTabTest, public testing::WithParamInterface<const wchar_t*> {};

// Values the engine cannot use never reach the light: the value in force stays.
TEST_P(LightBadNumberTest, KeepsTheValuesInForce) {
    video::SLight data = light->getLightData();
    data.InnerCone = 5.f;
    data.OuterCone = 50.f;
    data.Falloff = 3.f;
    light->setLightData(data);
    light->setRadius(80.f);
    for (s32 id : {kRadius, kInner, kOuter, kFalloff})
        type(id, GetParam());
    clickButton(ids::LightApply);
    EXPECT_EQ(light->getRadius(), 80.f);
    EXPECT_EQ(light->getLightData().InnerCone, 5.f);
    EXPECT_EQ(light->getLightData().OuterCone, 50.f);
    EXPECT_EQ(light->getLightData().Falloff, 3.f);
}

INSTANTIATE_TEST_SUITE_P(Texts, LightBadNumberTest,
                         testing::Values(L"nan", L"inf", L"-inf", L"1e39", L"-1e300", L"NaN(0x1)"));

TEST_F(LightTabTest, RadiusOfZeroKeepsTheRadius) {
    light->setRadius(80.f);
    for (const wchar_t* text : {L"0", L"-0.0", L"no number", L"1e-45"}) {
        type(kRadius, text);
        clickButton(ids::LightApply);
        EXPECT_EQ(light->getRadius(), 80.f) << text;
        EXPECT_TRUE(std::isfinite(light->getLightData().Attenuation.Y)) << text;
    }
}

// The deleted light is kept (undo can put it back) and its tab stays until
// the refresh: an update then must not reach the light.
TEST_F(LightTabTest, UpdateAfterTheLightWasDeletedDoesNothing) {
    light->grab();
    const video::SLight before = light->getLightData();
    const f32 radius = light->getRadius();
    clickButton(ids::SceneBoxRemove);
    ASSERT_NE(findElement(ids::LightApply), nullptr) << "the tab stays until the refresh";
    combo()->setSelected(1);
    type(kDiffuse, L"255,255,0,0");
    type(kRadius, L"12");
    clickButton(ids::LightApply);
    EXPECT_EQ(light->getLightType(), before.Type);
    EXPECT_EQ(light->getLightData().DiffuseColor.r, before.DiffuseColor.r);
    EXPECT_EQ(light->getLightData().DiffuseColor.g, before.DiffuseColor.g);
    EXPECT_EQ(light->getRadius(), radius);
    activePasses(2);
    EXPECT_EQ(findElement(ids::LightApply), nullptr);
    light->drop();
}

} // namespace
} // namespace sorn
