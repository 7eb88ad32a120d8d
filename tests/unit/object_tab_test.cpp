// The object tab: its rows, the fill operations, and the apply, step and
// multiply buttons, driven on the null driver.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <string>
#include <vector>

#include "app/EditorState.h"
#include "app/Translate.h"
#include "support/NullDevice.h"
#include "toolbox/NumberText.h"
#include "toolbox/ObjectTab.h"
#include "toolbox/ToolBox.h"

using namespace irr;

namespace sorn {
namespace {

class ObjectTabTest : public test::NullDeviceTest {
protected:
    void SetUp() override {
        NullDeviceTest::SetUp();
        editor.rootNode = smgr()->getRootSceneNode();
        createToolBox();
    }

    scene::ISceneManager* smgr() { return editor.sceneManager; }

    void select(scene::ISceneNode* node) {
        editor.selectedNode = node;
        editor.nodeSelected = node != nullptr;
        updateToolBox();
    }

    scene::ISceneNode* selectCubeAt(const core::vector3df& position) {
        scene::ISceneNode* cube = smgr()->addCubeSceneNode(10.f, nullptr, -1, position);
        select(cube);
        return cube;
    }

    std::wstring text(s32 id) {
        gui::IGUIElement* element = findElement(id);
        return element ? std::wstring(element->getText()) : std::wstring(L"<missing>");
    }

    void type(s32 id, const wchar_t* typed) {
        gui::IGUIElement* box = findElement(id);
        ASSERT_NE(box, nullptr);
        box->setText(typed);
    }
};

// ---- Layout ----------------------------------------------------------------

struct RowElement {
    gui::EGUI_ELEMENT_TYPE type;
    const wchar_t* text; // null: a translated key given in `key`
    const wchar_t* key;
    core::rect<s32> rect;
    s32 id;
};

// The object tab of a cube, element by element, in creation order.
const std::vector<RowElement> kCubeObjectTab = {
    {gui::EGUIET_STATIC_TEXT, nullptr, L"window_toolbox_edit_position", {10, 10, 60, 35}, -1},
    {gui::EGUIET_STATIC_TEXT, L"X:", nullptr, {12, 38, 30, 56}, -1},
    {gui::EGUIET_BUTTON, L"<", nullptr, {30, 36, 50, 56}, 0x50048},
    {gui::EGUIET_EDIT_BOX, nullptr, nullptr, {50, 36, 155, 56}, 0x50010},
    {gui::EGUIET_BUTTON, L">", nullptr, {155, 36, 175, 56}, 0x50047},
    {gui::EGUIET_STATIC_TEXT, L"Y:", nullptr, {12, 66, 30, 84}, -1},
    {gui::EGUIET_BUTTON, L"<", nullptr, {30, 64, 50, 84}, 0x5004a},
    {gui::EGUIET_EDIT_BOX, nullptr, nullptr, {50, 64, 155, 84}, 0x50011},
    {gui::EGUIET_BUTTON, L">", nullptr, {155, 64, 175, 84}, 0x50049},
    {gui::EGUIET_STATIC_TEXT, L"Z:", nullptr, {12, 94, 30, 112}, -1},
    {gui::EGUIET_BUTTON, L"<", nullptr, {30, 92, 50, 112}, 0x5004c},
    {gui::EGUIET_EDIT_BOX, nullptr, nullptr, {50, 92, 155, 112}, 0x50012},
    {gui::EGUIET_BUTTON, L">", nullptr, {155, 92, 175, 112}, 0x5004b},
    {gui::EGUIET_BUTTON, nullptr, L"action_set", {100, 124, 175, 145}, 0x50042},

    {gui::EGUIET_STATIC_TEXT, nullptr, L"window_toolbox_edit_rotation", {10, 160, 60, 185}, -1},
    {gui::EGUIET_STATIC_TEXT, L"X:", nullptr, {12, 188, 30, 206}, -1},
    {gui::EGUIET_BUTTON, L"<", nullptr, {30, 186, 50, 206}, 0x5004e},
    {gui::EGUIET_EDIT_BOX, nullptr, nullptr, {50, 186, 155, 206}, 0x50013},
    {gui::EGUIET_BUTTON, L">", nullptr, {155, 186, 175, 206}, 0x5004d},
    {gui::EGUIET_STATIC_TEXT, L"Y:", nullptr, {12, 216, 30, 234}, -1},
    {gui::EGUIET_BUTTON, L"<", nullptr, {30, 214, 50, 234}, 0x50050},
    {gui::EGUIET_EDIT_BOX, nullptr, nullptr, {50, 214, 155, 234}, 0x50014},
    {gui::EGUIET_BUTTON, L">", nullptr, {155, 214, 175, 234}, 0x5004f},
    {gui::EGUIET_STATIC_TEXT, L"Z:", nullptr, {12, 244, 30, 262}, -1},
    {gui::EGUIET_BUTTON, L"<", nullptr, {30, 242, 50, 262}, 0x50052},
    {gui::EGUIET_EDIT_BOX, nullptr, nullptr, {50, 242, 155, 262}, 0x50015},
    {gui::EGUIET_BUTTON, L">", nullptr, {155, 242, 175, 262}, 0x50051},
    {gui::EGUIET_BUTTON, nullptr, L"action_set", {100, 274, 175, 295}, 0x50043},

    {gui::EGUIET_STATIC_TEXT, nullptr, L"window_toolbox_edit_scale", {10, 310, 60, 335}, -1},
    {gui::EGUIET_STATIC_TEXT, L"X:", nullptr, {12, 338, 30, 356}, -1},
    {gui::EGUIET_BUTTON, L"<", nullptr, {30, 336, 50, 356}, 0x50054},
    {gui::EGUIET_EDIT_BOX, nullptr, nullptr, {50, 336, 155, 356}, 0x50016},
    {gui::EGUIET_BUTTON, L">", nullptr, {155, 336, 175, 356}, 0x50053},
    {gui::EGUIET_STATIC_TEXT, L"Y:", nullptr, {12, 366, 30, 384}, -1},
    {gui::EGUIET_BUTTON, L"<", nullptr, {30, 364, 50, 384}, 0x50056},
    {gui::EGUIET_EDIT_BOX, nullptr, nullptr, {50, 364, 155, 384}, 0x50017},
    {gui::EGUIET_BUTTON, L">", nullptr, {155, 364, 175, 384}, 0x50055},
    {gui::EGUIET_STATIC_TEXT, L"Z:", nullptr, {12, 394, 30, 412}, -1},
    {gui::EGUIET_BUTTON, L"<", nullptr, {30, 392, 50, 412}, 0x50058},
    {gui::EGUIET_EDIT_BOX, nullptr, nullptr, {50, 392, 155, 412}, 0x50018},
    {gui::EGUIET_BUTTON, L">", nullptr, {155, 392, 175, 412}, 0x50057},
    {gui::EGUIET_BUTTON, nullptr, L"action_set", {100, 424, 175, 445}, 0x50044},
    {gui::EGUIET_BUTTON, L"* 10", nullptr, {110, 310, 140, 330}, 0x50045},
    {gui::EGUIET_BUTTON, L"* 0.1", nullptr, {145, 310, 175, 330}, 0x50046},
};

// The name row ends the tab of every node, after the frame-rate row of an
// animated mesh.
const std::vector<RowElement> kNameRow = {
    {gui::EGUIET_STATIC_TEXT, nullptr, L"window_toolbox_edit_name", {10, 510, 100, 530}, -1},
    {gui::EGUIET_EDIT_BOX, nullptr, nullptr, {12, 532, 175, 552}, 0x50140},
    {gui::EGUIET_BUTTON, nullptr, L"action_set", {100, 560, 175, 581}, 0x50141},
};

std::vector<RowElement> withNameRow(std::vector<RowElement> rows) {
    rows.insert(rows.end(), kNameRow.begin(), kNameRow.end());
    return rows;
}

std::vector<gui::IGUIElement*> childrenOf(gui::IGUIElement* parent) {
    std::vector<gui::IGUIElement*> out;
    for (gui::IGUIElement* child : parent->getChildren())
        out.push_back(child);
    return out;
}

TEST_F(ObjectTabTest, CubeRowsHaveTheirTypesTextsRectanglesAndIdsInOrder) {
    selectCubeAt({0, 0, 0});
    gui::IGUIElement* tab = findElement(0x50008);
    ASSERT_NE(tab, nullptr);
    std::vector<gui::IGUIElement*> children = childrenOf(tab);
    const std::vector<RowElement> expected = withNameRow(kCubeObjectTab);
    ASSERT_EQ(children.size(), expected.size());
    for (size_t i = 0; i < children.size(); ++i) {
        const RowElement& want = expected[i];
        gui::IGUIElement* got = children[i];
        SCOPED_TRACE(testing::Message() << "element " << i << " id " << std::hex << want.id);
        EXPECT_EQ(got->getType(), want.type);
        EXPECT_EQ(got->getID(), want.id);
        EXPECT_EQ(got->getRelativePosition(), want.rect);
        if (want.text)
            EXPECT_EQ(std::wstring(got->getText()), want.text);
        if (want.key)
            EXPECT_EQ(std::wstring(got->getText()), std::wstring(translate(want.key).c_str()));
        if (want.type == gui::EGUIET_STATIC_TEXT) {
            auto* label = static_cast<gui::IGUIStaticText*>(got);
            EXPECT_FALSE(label->isWordWrapEnabled());
        }
    }
}

TEST_F(ObjectTabTest, AnimatedMeshEndsWithTheFrameRateRow) {
    scene::SMesh* mesh = new scene::SMesh();
    scene::SAnimatedMesh* animated = new scene::SAnimatedMesh(mesh);
    mesh->drop();
    scene::ISceneNode* node = smgr()->addAnimatedMeshSceneNode(animated);
    animated->drop();
    select(node);

    gui::IGUIElement* tab = findElement(0x50008);
    ASSERT_NE(tab, nullptr);
    std::vector<gui::IGUIElement*> children = childrenOf(tab);
    ASSERT_EQ(children.size(), kCubeObjectTab.size() + 4 + kNameRow.size());
    EXPECT_EQ(children.back()->getID(), ids::ApplyName) << "the name row comes last";
    gui::IGUIElement* const* row = &children[kCubeObjectTab.size()];
    EXPECT_EQ(row[0]->getType(), gui::EGUIET_STATIC_TEXT);
    EXPECT_EQ(std::wstring(row[0]->getText()), L":");
    EXPECT_EQ(row[0]->getRelativePosition(), core::rect<s32>(20, 460, 170, 485));
    EXPECT_EQ(std::wstring(row[1]->getText()), L"Framerate:");
    EXPECT_EQ(row[1]->getRelativePosition(), core::rect<s32>(22, 460, 85, 485));
    EXPECT_EQ(row[2]->getID(), 0x500bc);
    EXPECT_EQ(row[2]->getRelativePosition(), core::rect<s32>(85, 460, 200, 485));
    ASSERT_EQ(row[3]->getType(), gui::EGUIET_SCROLL_BAR);
    EXPECT_EQ(row[3]->getID(), 0x500b1);
    EXPECT_EQ(row[3]->getRelativePosition(), core::rect<s32>(10, 485, 170, 500));
    auto* bar = static_cast<gui::IGUIScrollBar*>(row[3]);
    EXPECT_EQ(bar->getMax(), 80);
    EXPECT_EQ(bar->getMin(), -80);
    EXPECT_EQ(bar->getPos(), 30);
    EXPECT_EQ(bar->getSmallStep(), 1);
}

TEST_F(ObjectTabTest, FrameRateScrollBarSetsTheAnimationSpeedOfAnAnimatedMeshOnly) {
    scene::SMesh* mesh = new scene::SMesh();
    scene::SAnimatedMesh* animated = new scene::SAnimatedMesh(mesh);
    mesh->drop();
    auto* node = smgr()->addAnimatedMeshSceneNode(animated);
    animated->drop();
    select(node);
    auto* bar = static_cast<gui::IGUIScrollBar*>(findElement(0x500b1));
    ASSERT_NE(bar, nullptr);
    bar->setPos(-80);
    onAnimationSpeedChanged(bar);
    EXPECT_FLOAT_EQ(node->getAnimationSpeed(), -80.f);
    bar->setPos(12);
    onAnimationSpeedChanged(bar);
    EXPECT_FLOAT_EQ(node->getAnimationSpeed(), 12.f);

    // The same bar with a cube selected changes nothing (and does not crash).
    scene::ISceneNode* cube = smgr()->addCubeSceneNode();
    editor.selectedNode = cube;
    bar->setPos(50);
    onAnimationSpeedChanged(bar);
    EXPECT_FLOAT_EQ(node->getAnimationSpeed(), 12.f);
    onAnimationSpeedChanged(nullptr);
}

// ---- Fill ------------------------------------------------------------------

// The name row shows the name as the file spells it, one character a byte;
// what is typed there is only read, and the row follows the selection.
TEST_F(ObjectTabTest, NameRowShowsTheSelectedNodesName) {
    const std::pair<const char*, const wchar_t*> cases[] = {
        {"Crate", L"Crate"}, {"", L""}, {"cr\xE8me br\xFBl\xE9" "e", L"cr\u00E8me br\u00FBl\u00E9e"}};
    for (const auto& c : cases) {
        scene::ISceneNode* cube = selectCubeAt({0, 0, 0});
        cube->setName(c.first);
        fillNameRow(cube);
        EXPECT_EQ(text(ids::NameEdit), std::wstring(c.second));
        type(ids::NameEdit, L"typed");
        core::stringw typed;
        ASSERT_TRUE(nameRowText(typed));
        EXPECT_EQ(std::wstring(typed.c_str()), L"typed");
        EXPECT_EQ(std::string(cube->getName()), c.first) << "typing alone renames nothing";
        updateToolBox();
        EXPECT_EQ(text(ids::NameEdit), std::wstring(c.second));
    }
    select(nullptr);
    EXPECT_EQ(findElement(ids::NameEdit), nullptr) << "the scene tab has no name row";
    core::stringw none;
    EXPECT_FALSE(nameRowText(none));
}

TEST_F(ObjectTabTest, FillShowsTheNodesValuesWithSixDecimals) {
    scene::ISceneNode* cube = selectCubeAt({1.f, -12.5f, 3.25f});
    cube->setRotation({0.f, 90.f, -45.5f});
    cube->setScale({2.f, 0.5f, 1.f});
    updateToolBox();
    EXPECT_EQ(text(0x50010), L"1.000000");
    EXPECT_EQ(text(0x50011), L"-12.500000");
    EXPECT_EQ(text(0x50012), L"3.250000");
    EXPECT_EQ(text(0x50013), L"0.000000");
    EXPECT_EQ(text(0x50014), L"90.000000");
    EXPECT_EQ(text(0x50015), L"-45.500000");
    EXPECT_EQ(text(0x50016), L"2.000000");
    EXPECT_EQ(text(0x50017), L"0.500000");
    EXPECT_EQ(text(0x50018), L"1.000000");
}

TEST_F(ObjectTabTest, EmptyNodeShowsItsValuesAndSetKeepsItAndItsChildren) {
    scene::ISceneNode* empty = smgr()->addEmptySceneNode();
    scene::ISceneNode* child = smgr()->addCubeSceneNode(10.f, empty);
    empty->setPosition({7.f, 8.f, 9.f});
    empty->setRotation({0.f, 45.f, 0.f});
    empty->setScale({3.f, 2.f, 1.f});
    select(empty);
    EXPECT_EQ(text(0x50010), L"7.000000");
    EXPECT_EQ(text(0x50012), L"9.000000");
    EXPECT_EQ(text(0x50014), L"45.000000");
    EXPECT_EQ(text(0x50016), L"3.000000");
    EXPECT_EQ(text(0x50017), L"2.000000");

    // Set on every group without typing changes nothing.
    for (s32 apply : {0x50042, 0x50043, 0x50044})
        EXPECT_TRUE(handleObjectTabButton(apply));
    EXPECT_EQ(empty->getPosition(), core::vector3df(7.f, 8.f, 9.f));
    EXPECT_EQ(empty->getRotation(), core::vector3df(0.f, 45.f, 0.f));
    EXPECT_EQ(empty->getScale(), core::vector3df(3.f, 2.f, 1.f));
    EXPECT_EQ(child->getParent(), empty);

    type(0x50011, L"-2.5");
    EXPECT_TRUE(handleObjectTabButton(0x50042));
    EXPECT_EQ(empty->getPosition(), core::vector3df(7.f, -2.5f, 9.f));
    EXPECT_EQ(text(0x50011), L"-2.500000") << "refilled like any other node";
}

TEST_F(ObjectTabTest, FillDoesNothingWhileTheToolBoxIsClosedOrForNull) {
    scene::ISceneNode* cube = selectCubeAt({4.f, 5.f, 6.f});
    type(0x50010, L"typed");
    fillPositionRows(nullptr);
    EXPECT_EQ(text(0x50010), L"typed");
    ToolBoxClose();
    fillPositionRows(cube);
    fillRotationRows(cube);
    fillScaleRows(cube);
    EXPECT_EQ(findElement(0x50010), nullptr);
}

// ---- Apply -----------------------------------------------------------------

TEST_F(ObjectTabTest, ApplyReadsTextLikeAtofAndRefills) {
    scene::ISceneNode* cube = selectCubeAt({0, 0, 0});
    type(0x50010, L"2.5abc");
    type(0x50011, L"  -3");
    type(0x50012, L"abc");
    EXPECT_TRUE(handleObjectTabButton(0x50042));
    EXPECT_EQ(cube->getPosition(), core::vector3df(2.5f, -3.f, 0.f));
    EXPECT_EQ(text(0x50010), L"2.500000");
    EXPECT_EQ(text(0x50011), L"-3.000000");
    EXPECT_EQ(text(0x50012), L"0.000000");

    type(0x50013, L"");
    type(0x50014, L"45");
    type(0x50015, L"1e2");
    EXPECT_TRUE(handleObjectTabButton(0x50043));
    EXPECT_EQ(cube->getRotation(), core::vector3df(0.f, 45.f, 100.f));

    type(0x50016, L"0.25");
    type(0x50017, L"4");
    type(0x50018, L"-1");
    EXPECT_TRUE(handleObjectTabButton(0x50044));
    EXPECT_EQ(cube->getScale(), core::vector3df(0.25f, 4.f, -1.f));
    EXPECT_EQ(text(0x50016), L"0.250000");
}

struct NonFiniteCase {
    const wchar_t* typed;
};

class ObjectTabNonFiniteTest : public ObjectTabTest, public testing::WithParamInterface<NonFiniteCase> {};

TEST_P(ObjectTabNonFiniteTest, ValueThatIsNotFiniteLeavesItsComponentUnchanged) {
    scene::ISceneNode* cube = selectCubeAt({1.f, 2.f, 3.f});
    cube->setRotation({10.f, 20.f, 30.f});
    cube->setScale({1.f, 2.f, 3.f});
    updateToolBox();
    type(0x50010, GetParam().typed);
    type(0x50011, L"5");
    type(0x50014, GetParam().typed);
    type(0x50018, GetParam().typed);
    handleObjectTabButton(0x50042);
    handleObjectTabButton(0x50043);
    handleObjectTabButton(0x50044);
    EXPECT_EQ(cube->getPosition(), core::vector3df(1.f, 5.f, 3.f));
    EXPECT_EQ(cube->getRotation(), core::vector3df(10.f, 20.f, 30.f));
    EXPECT_EQ(cube->getScale(), core::vector3df(1.f, 2.f, 3.f));
    EXPECT_EQ(text(0x50010), L"1.000000");
}

INSTANTIATE_TEST_SUITE_P(Texts, ObjectTabNonFiniteTest,
                         testing::Values(NonFiniteCase{L"1e999"}, NonFiniteCase{L"-1e999"}, NonFiniteCase{L"nan"},
                                         NonFiniteCase{L"inf"}, NonFiniteCase{L"-INFINITY"},
                                         NonFiniteCase{L"1e39"}, NonFiniteCase{L"-3.5e38"}));

TEST_F(ObjectTabTest, VeryLongTextAppliesWithoutHarm) {
    scene::ISceneNode* cube = selectCubeAt({0, 0, 0});
    std::wstring digits(5000, L'9');
    std::wstring fraction = L"0." + std::wstring(5000, L'5');
    std::wstring junk(5000, L'\x263a');
    type(0x50010, digits.c_str());   // 5000 digits: far beyond any f32
    type(0x50011, fraction.c_str()); // 0.555...
    type(0x50012, junk.c_str());     // characters beyond Latin-1
    handleObjectTabButton(0x50042);
    EXPECT_EQ(cube->getPosition().X, 0.f);
    EXPECT_NEAR(cube->getPosition().Y, 0.5555556f, 1e-6f);
    EXPECT_EQ(cube->getPosition().Z, 0.f);
}

TEST_F(ObjectTabTest, ApplyWithNothingSelectedChangesNothing) {
    scene::ISceneNode* cube = selectCubeAt({1.f, 2.f, 3.f});
    editor.selectedNode = nullptr;
    type(0x50010, L"9");
    for (s32 id = 0x50042; id <= 0x50058; ++id)
        EXPECT_TRUE(handleObjectTabButton(id)) << std::hex << id;
    EXPECT_EQ(cube->getPosition(), core::vector3df(1.f, 2.f, 3.f));
    EXPECT_EQ(text(0x50010), L"9");
}

// ---- Steps and multiply -------------------------------------------------------

enum class Vec { Position, Rotation, Scale };

struct StepCase {
    s32 button;
    Vec vector;
    int axis;
    f32 delta;
    s32 editBox;
};

core::vector3df read(scene::ISceneNode* node, Vec v) {
    return v == Vec::Position ? node->getPosition() : v == Vec::Rotation ? node->getRotation() : node->getScale();
}

f32 axisOf(const core::vector3df& v, int axis) {
    return axis == 0 ? v.X : axis == 1 ? v.Y : v.Z;
}

class ObjectTabStepTest : public ObjectTabTest, public testing::WithParamInterface<StepCase> {};

TEST_P(ObjectTabStepTest, StepChangesOneComponentByOneAndRefills) {
    const StepCase& c = GetParam();
    scene::ISceneNode* cube = selectCubeAt({10.f, 20.f, 30.f});
    cube->setRotation({40.f, 50.f, 60.f});
    cube->setScale({2.f, 3.f, 4.f});
    const core::vector3df before = read(cube, c.vector);
    EXPECT_TRUE(handleObjectTabButton(c.button));
    const core::vector3df after = read(cube, c.vector);
    for (int axis = 0; axis < 3; ++axis) {
        const f32 expected = axisOf(before, axis) + (axis == c.axis ? c.delta : 0.f);
        EXPECT_FLOAT_EQ(axisOf(after, axis), expected) << "axis " << axis;
    }
    char expectedText[64];
    snprintf(expectedText, sizeof expectedText, "%0.6f", double(axisOf(after, c.axis)));
    EXPECT_EQ(text(c.editBox), std::wstring(expectedText, expectedText + strlen(expectedText)));
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, ObjectTabStepTest,
    testing::Values(StepCase{0x50047, Vec::Position, 0, 1.f, 0x50010}, StepCase{0x50048, Vec::Position, 0, -1.f, 0x50010},
                    StepCase{0x50049, Vec::Position, 1, 1.f, 0x50011}, StepCase{0x5004a, Vec::Position, 1, -1.f, 0x50011},
                    StepCase{0x5004b, Vec::Position, 2, 1.f, 0x50012}, StepCase{0x5004c, Vec::Position, 2, -1.f, 0x50012},
                    StepCase{0x5004d, Vec::Rotation, 0, 1.f, 0x50013}, StepCase{0x5004e, Vec::Rotation, 0, -1.f, 0x50013},
                    StepCase{0x5004f, Vec::Rotation, 1, 1.f, 0x50014}, StepCase{0x50050, Vec::Rotation, 1, -1.f, 0x50014},
                    StepCase{0x50051, Vec::Rotation, 2, 1.f, 0x50015}, StepCase{0x50052, Vec::Rotation, 2, -1.f, 0x50015},
                    StepCase{0x50053, Vec::Scale, 0, 1.f, 0x50016}, StepCase{0x50054, Vec::Scale, 0, -1.f, 0x50016},
                    StepCase{0x50055, Vec::Scale, 1, 1.f, 0x50017}, StepCase{0x50056, Vec::Scale, 1, -1.f, 0x50017},
                    StepCase{0x50057, Vec::Scale, 2, 1.f, 0x50018}, StepCase{0x50058, Vec::Scale, 2, -1.f, 0x50018}));

TEST_F(ObjectTabTest, RotationYDownThreeTimesTurnsByMinusThreeAndTheBoxFollows) {
    scene::ISceneNode* cube = selectCubeAt({0, 0, 0});
    const wchar_t* expected[] = {L"-1.000000", L"-2.000000", L"-3.000000"};
    for (const wchar_t* shown : expected) {
        handleObjectTabButton(0x50050);
        EXPECT_EQ(text(0x50014), shown);
    }
    EXPECT_FLOAT_EQ(cube->getRotation().Y, -3.f);
}

TEST_F(ObjectTabTest, MultiplyButtonsScaleAllThreeComponents) {
    scene::ISceneNode* cube = selectCubeAt({0, 0, 0});
    EXPECT_TRUE(handleObjectTabButton(0x50046));
    EXPECT_NEAR(cube->getScale().X, 0.1f, 1e-7f);
    EXPECT_NEAR(cube->getScale().Z, 0.1f, 1e-7f);
    EXPECT_EQ(text(0x50016), L"0.100000");
    EXPECT_EQ(text(0x50018), L"0.100000");
    cube->setScale({1.f, 2.f, -3.f});
    EXPECT_TRUE(handleObjectTabButton(0x50045));
    EXPECT_EQ(cube->getScale(), core::vector3df(10.f, 20.f, -30.f));
    EXPECT_EQ(text(0x50017), L"20.000000");
}

TEST_F(ObjectTabTest, MultiplyThatWouldOverflowKeepsTheComponent) {
    scene::ISceneNode* cube = selectCubeAt({0, 0, 0});
    cube->setScale({3e38f, 1.f, -3e38f});
    handleObjectTabButton(0x50045);
    EXPECT_EQ(cube->getScale(), core::vector3df(3e38f, 10.f, -3e38f));
}

TEST_F(ObjectTabTest, OtherIdsAreNotObjectTabButtons) {
    scene::ISceneNode* cube = selectCubeAt({1.f, 1.f, 1.f});
    for (s32 id : {0x50041, 0x50059, 0x50010, 0x500b1, -1, 0})
        EXPECT_FALSE(handleObjectTabButton(id)) << std::hex << id;
    EXPECT_EQ(cube->getPosition(), core::vector3df(1.f, 1.f, 1.f));
}

// ---- Number text -------------------------------------------------------------

TEST(NumberText, ReadsLikeAtofAndRejectsWhatNoF32Holds) {
    struct Case {
        const wchar_t* text;
        bool accepted;
        f32 value;
    } cases[] = {
        {L"2.5abc", true, 2.5f}, {L"", true, 0.f},     {L"abc", true, 0.f},      {L"  -7", true, -7.f},
        {L"1e3", true, 1000.f},  {L"0x10", true, 16.f}, {L"1e-60", true, 0.f},   {L"3.4e38", true, 3.4e38f},
        {L"1e999", false, 0.f},  {L"nan", false, 0.f},  {L"-inf", false, 0.f},   {L"3.5e38", false, 0.f},
    };
    for (const Case& c : cases) {
        f32 value = 42.f;
        EXPECT_EQ(parseFiniteNumber(c.text, value), c.accepted) << std::string(c.text, c.text + wcslen(c.text));
        EXPECT_FLOAT_EQ(value, c.accepted ? c.value : 42.f);
    }
    f32 untouched = 1.f;
    EXPECT_TRUE(parseFiniteNumber(nullptr, untouched));
    EXPECT_EQ(untouched, 0.f);
}

} // namespace
} // namespace sorn
