// A text node's text and colour, which the engine's scene writer leaves out,
// travel with the scene as the node's user data: saved through the save
// window in a decimal-comma locale and opened again, they come back. Every
// other node's user data, of any attribute type, is kept as read too, and
// goes with duplicates, deletes and undo.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <algorithm>
#include <clocale>
#include <functional>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "app/EditorState.h"
#include "app/EngineRef.h"
#include "app/PathText.h"
#include "events/UndoCommands.h"
#include "files/OpenFile.h"
#include "events/SceneFileCommands.h"
#include "files/SceneSave.h"
#include "scene/TextNodeData.h"
#include "scene/NodeCatalogue.h"
#include "scene/NodeUserData.h"
#include "scene/AttributeText.h"
#include "scene/UndoHistory.h"
#include "scene/UserDataEditing.h"
#include "support/EditorFixture.h"

using namespace irr;

namespace sorn {
namespace {

// One user-data entry as exporters write it, of every type the engine reads.
struct UserEntry {
    const char* element;
    const char* name;
    const char* value;
};

const UserEntry kEveryType[] = {
    {"int", "Count", "42"},
    {"float", "Speed", "1.5"},
    {"string", "Trigger", "door 2"},
    {"bool", "OccludesLight", "true"},
    {"enum", "Mode", "fast"},
    {"color", "Tint", "ff102030"},
    {"colorf", "Glow", "0.1, 0.2, 0.3, 0.4"},
    {"vector3d", "Spawn", "1, 2, 3"},
    {"vector2d", "Offset", "4, 5"},
    {"position", "Cell", "7, 8"},
    {"rect", "Area", "1, 2, 3, 4"},
    {"matrix", "Frame", "1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1"},
    {"quaternion", "Turn", "0, 0, 0.5, 1"},
    {"box3d", "Bounds", "-1, -2, -3, 1, 2, 3"},
    {"plane", "Floor", "0, 1, 0, -2"},
    {"triangle", "Face", "0, 0, 0, 1, 0, 0, 0, 1, 0"},
    {"line2d", "Edge", "0, 0, 3, 4"},
    {"line3d", "Ray", "0, 0, 0, 1, 1, 1"},
    {"binary", "Blob", "0a0b0c"},
    {"dimension2d", "Size", "640, 480"},
};

std::string userData(const std::vector<UserEntry>& entries) {
    std::string text = "<userData><attributes>";
    for (const UserEntry& e : entries)
        text += std::string("<") + e.element + " name=\"" + e.name + "\" value=\"" + e.value + "\" />";
    return text + "</attributes></userData>";
}

std::string exporterNode(const char* type, const char* name, const std::string& inner) {
    return std::string("<node type=\"") + type + "\"><attributes><string name=\"Name\" value=\"" + name +
           "\" /><vector3d name=\"Scale\" value=\"1, 1, 1\" /><bool name=\"Visible\" value=\"true\" />"
           "</attributes>" + inner + "</node>";
}

// A scene as exporters write it: UTF-8, user data on most nodes, a text
// node whose text and colour sit among entries of its own.
std::string exporterScene() {
    const std::vector<UserEntry> every(std::begin(kEveryType), std::end(kEveryType));
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<irr_scene>\n" +
           userData({{"bool", "OccludesLight", "false"}}) + exporterNode("empty", "Spawn", userData(every)) +
           exporterNode("text", "Sign",
                        userData({{"string", "Trigger", "door"},
                                  {"string", "Text", "Welcome"},
                                  {"color", "Color", "ff405060"},
                                  {"int", "Score", "5"}})) +
           exporterNode("cube", "Crate",
                        userData({{"float", "Mass", "12.5"}}) +
                            exporterNode("sphere", "Lid", userData({{"string", "Opens", "up"}}))) +
           exporterNode("empty", "Plain", "") + "</irr_scene>\n";
}

// A node's user data as (name, type, value as the engine writes it), in order.
using Entries = std::vector<std::tuple<std::string, std::wstring, std::wstring>>;

Entries entriesOf(io::IAttributes* attributes) {
    Entries entries;
    for (s32 i = 0; attributes && i < static_cast<s32>(attributes->getAttributeCount()); ++i)
        entries.emplace_back(attributes->getAttributeName(i), attributes->getAttributeTypeString(i),
                             attributes->getAttributeAsStringW(i).c_str());
    return entries;
}

class TextNodeDataTest : public test::EditorTest {
protected:
    void TearDown() override {
        std::setlocale(LC_ALL, "C");
        EditorTest::TearDown();
    }

    void saveThroughSaveWindow(const std::string& path) {
        chooseMenuCommand(ids::CmdSave);
        auto* box = static_cast<gui::IGUIEditBox*>(findElement(ids::SavePathEdit));
        ASSERT_NE(box, nullptr);
        box->setText(widePath(path).c_str());
        clickButton(ids::SaveButton);
        ASSERT_TRUE(test::fileExists(path));
    }

    // The scene's text nodes, by name.
    std::map<std::string, scene::ISceneNode*> textNodes() {
        std::map<std::string, scene::ISceneNode*> found;
        for (scene::ISceneNode* node : smgr()->getRootSceneNode()->getChildren())
            if (node->getType() == scene::ESNT_TEXT)
                found[node->getName()] = node;
        return found;
    }

    scene::ISceneNode* named(const char* name) { return smgr()->getSceneNodeFromName(name); }

    Entries entriesOfNode(const char* name) { return entriesOf(findNodeUserData(named(name))); }

    // Every user node's entries, and the root's, by node name.
    std::map<std::string, Entries> everyNodesEntries() {
        std::map<std::string, Entries> all;
        all["(root)"] = entriesOf(findNodeUserData(smgr()->getRootSceneNode()));
        for (const char* name : {"Spawn", "Sign", "Crate", "Lid", "Plain"})
            all[name] = entriesOfNode(name);
        return all;
    }

    void openExporterScene() {
        const std::string path = appFolder.file("exported.irr");
        test::writeFile(path, exporterScene());
        openSceneFromDialog(path);
        activePasses(2);
        ASSERT_NE(named("Spawn"), nullptr);
    }

    void reopen(const std::string& path) {
        chooseMenuCommand(ids::CmdNewScene);
        activePasses(2);
        ASSERT_TRUE(textNodes().empty());
        ASSERT_TRUE(openFile(path, false));
    }
};

TEST_F(TextNodeDataTest, TextAndColourSurviveASaveInADecimalCommaLocale) {
    clickButton(ids::ButtonOpenSceneBox);
    clickButton(ids::ButtonOpenToolBox);
    scene::ISceneNode* typed = addNode(scene::ESNT_TEXT, 0);
    typed->setName("Typed");
    scene::ISceneNode* coloured = addNode(scene::ESNT_TEXT, 0);
    coloured->setName("Coloured");
    scene::ISceneNode* untouched = addNode(scene::ESNT_TEXT, 0);
    untouched->setName("Untouched");
    activePasses(2);

    const std::wstring text = L"Gr\u00fc\u00dfe, 1,5 \"<&>\" \u2603";
    pickInTree(typed);
    findElement(ids::TextEdit)->setText(text.c_str());
    clickButton(ids::TextApply);
    setTextNodeData(static_cast<scene::ITextSceneNode*>(coloured), L"2,25", video::SColor(0x80102030));

    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
    const std::string path = appFolder.file("texts.irr");
    saveThroughSaveWindow(path);
    std::setlocale(LC_ALL, "C");

    reopen(path);
    auto nodes = textNodes();
    ASSERT_EQ(nodes.size(), 3u);
    const TextNodeRecord* back = findTextNodeData(nodes["Typed"]);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::wstring(back->text.c_str()), text);
    EXPECT_EQ(back->colour, kDefaultTextColour);
    back = findTextNodeData(nodes["Coloured"]);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::wstring(back->text.c_str()), L"2,25") << "commas in a text are no decimal commas";
    EXPECT_EQ(back->colour, video::SColor(0x80102030));
    back = findTextNodeData(nodes["Untouched"]);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::wstring(back->text.c_str()), L"Text");
}

TEST_F(TextNodeDataTest, SceneWithoutTheRecordOpensWithTheDefaultText) {
    scene::ISceneNode* node = addNode(scene::ESNT_TEXT, 0);
    setTextNodeData(static_cast<scene::ITextSceneNode*>(node), L"not saved", video::SColor(0xFF00FF00));
    const std::string path = appFolder.file("plain.irr");
    ASSERT_TRUE(smgr()->saveScene(path.c_str())); // no user-data hooks
    reopen(path);
    auto nodes = textNodes();
    ASSERT_EQ(nodes.size(), 1u);
    const TextNodeRecord* back = findTextNodeData(nodes.begin()->second);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(std::wstring(back->text.c_str()), L"Text");
    EXPECT_EQ(back->colour, kDefaultTextColour);
}

TEST_F(TextNodeDataTest, OnlyTextNodesCarryARecord) {
    scene::ISceneNode* cube = addNode(scene::ESNT_CUBE, 0);
    scene::ISceneNode* text = addNode(scene::ESNT_TEXT, 0);
    EXPECT_EQ(textNodeUserData()->createUserData(cube), nullptr);
    io::IAttributes* userData = textNodeUserData()->createUserData(text);
    ASSERT_NE(userData, nullptr);
    EXPECT_EQ(core::stringw(userData->getAttributeAsStringW("Text")), core::stringw(L"Text"));
    EXPECT_EQ(userData->getAttributeAsColor("Color"), kDefaultTextColour);
    userData->drop();

    // A record read for another node type is ignored.
    io::IAttributes* foreign = editor.device->getFileSystem()->createEmptyAttributes();
    foreign->addString("Text", "cube text");
    textNodeUserData()->OnReadUserData(cube, foreign);
    foreign->drop();
    EXPECT_EQ(findTextNodeData(cube), nullptr);
}

TEST_F(TextNodeDataTest, ANewTextNodeStartsWithTheDefaultRecord) {
    scene::ISceneNode* first = addNode(scene::ESNT_TEXT, 0);
    setTextNodeData(static_cast<scene::ITextSceneNode*>(first), L"old", video::SColor(0xFF0000FF));
    // A node made later, wherever the allocator puts it, never shows what an
    // earlier node at the same address had.
    first->remove();
    scene::ISceneNode* second = addNode(scene::ESNT_TEXT, 0);
    ASSERT_NE(findTextNodeData(second), nullptr);
    EXPECT_EQ(std::wstring(findTextNodeData(second)->text.c_str()), L"Text");
}

TEST_F(TextNodeDataTest, EveryNodesUserDataOfEveryTypeSurvivesOpenAndSaveInOrder) {
    openExporterScene();
    const Entries spawn = entriesOfNode("Spawn");
    ASSERT_EQ(spawn.size(), std::size(kEveryType));
    for (size_t i = 0; i < spawn.size(); ++i) {
        EXPECT_EQ(std::get<0>(spawn[i]), kEveryType[i].name);
        EXPECT_EQ(std::get<1>(spawn[i]), std::wstring(core::stringw(kEveryType[i].element).c_str()));
    }
    // The text node's record is two of its entries, in their place.
    const Entries sign = entriesOfNode("Sign");
    ASSERT_EQ(sign.size(), 4u);
    EXPECT_EQ(std::get<0>(sign[1]), "Text");
    EXPECT_EQ(std::get<0>(sign[3]), "Score");
    ASSERT_NE(findTextNodeData(named("Sign")), nullptr);
    EXPECT_EQ(std::wstring(findTextNodeData(named("Sign"))->text.c_str()), L"Welcome");
    EXPECT_EQ(findTextNodeData(named("Sign"))->colour, video::SColor(0xff405060));
    EXPECT_TRUE(entriesOfNode("Plain").empty());
    const std::map<std::string, Entries> opened = everyNodesEntries();

    // A changed text is updated in place; every other entry stays as it was.
    setTextNodeText(static_cast<scene::ITextSceneNode*>(named("Sign")), L"Bye");
    const std::string saved = appFolder.file("saved.irr");
    ASSERT_TRUE(saveSceneFile(saved, textNodeUserData()));
    chooseMenuCommand(ids::CmdNewScene);
    activePasses(2);
    EXPECT_EQ(nodeUserDataCount(), 0u) << "a new scene keeps nothing of the old one's";
    openSceneFromDialog(saved);
    activePasses(2);
    std::map<std::string, Entries> expected = opened;
    std::get<2>(expected["Sign"][1]) = L"Bye";
    EXPECT_EQ(everyNodesEntries(), expected);
    EXPECT_EQ(std::wstring(findTextNodeData(named("Sign"))->text.c_str()), L"Bye");
}

TEST_F(TextNodeDataTest, UserDataGoesWithDuplicatesAndDeletesAndComesBackWithUndo) {
    openExporterScene();
    clickButton(ids::ButtonOpenSceneBox);
    activePasses(2);
    for (const char* name : {"Spawn", "Crate", "Sign"}) {
        scene::ISceneNode* original = named(name);
        const auto& siblings = original->getParent()->getChildren();
        std::vector<scene::ISceneNode*> before;
        for (scene::ISceneNode* sibling : siblings)
            before.push_back(sibling);
        pickInTree(original);
        clickButton(ids::SceneBoxDuplicate);
        activePasses(2);
        scene::ISceneNode* copy = nullptr;
        for (scene::ISceneNode* sibling : siblings)
            if (std::find(before.begin(), before.end(), sibling) == before.end())
                copy = sibling;
        ASSERT_NE(copy, nullptr) << name;
        EXPECT_EQ(entriesOf(findNodeUserData(copy)), entriesOf(findNodeUserData(original))) << name;
        EXPECT_NE(findNodeUserData(copy), findNodeUserData(original)) << name << ": a copy of its own";
        if (std::string(name) == "Crate") {
            ASSERT_EQ(copy->getChildren().size(), 1u);
            EXPECT_EQ(entriesOf(findNodeUserData(*copy->getChildren().begin())), entriesOfNode("Lid"));
        }
    }

    // Deleted, and saved while undo still holds it: it comes back with its entries.
    scene::ISceneNode* spawn = named("Spawn");
    const Entries before = entriesOf(findNodeUserData(spawn));
    pickInTree(spawn);
    clickButton(ids::SceneBoxRemove);
    activePasses(2);
    ASSERT_TRUE(saveSceneFile(appFolder.file("without.irr"), textNodeUserData()));
    undoLastChange();
    activePasses(2);
    EXPECT_EQ(named("Spawn"), spawn);
    EXPECT_EQ(entriesOf(findNodeUserData(spawn)), before);

    // Deleted for good: the next save lets its record go.
    const size_t records = nodeUserDataCount();
    spawn->remove();
    forgetSceneHistory();
    editor.sceneViewRefresh.schedule(); // the scene box lets its item go
    activePasses(2);
    ASSERT_TRUE(saveSceneFile(appFolder.file("gone.irr"), textNodeUserData()));
    EXPECT_EQ(nodeUserDataCount(), records - 1);
}

TEST_F(TextNodeDataTest, CopiedUserDataHasEveryTypeAndValueWithoutTheLocale) {
    io::IAttributes* source = editor.device->getFileSystem()->createEmptyAttributes(editor.device->getVideoDriver());
    const c8* const literals[] = {"slow", "fast", nullptr};
    source->addEnum("Mode", "fast", literals);
    source->addFloat("Speed", 0.1234567f);
    unsigned char blob[] = {0, 1, 254, 255};
    source->addBinary("Blob", blob, sizeof blob);
    source->addString("Name", L"Gr\u00fc\u00dfe \u2603");
    int anything = 0;
    source->addUserPointer("Pointer", &anything);
    source->addVector3d("Where", core::vector3df(1.5f, -2.25f, 1e-7f));
    source->addArray("Tags", core::array<core::stringw>());
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
    io::IAttributes* copy = copyAttributes(source);
    std::setlocale(LC_ALL, "C");
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(entriesOf(copy), entriesOf(source));
    EXPECT_EQ(copy->getAttributeAsFloat("Speed"), 0.1234567f) << "exact, not as printed";
    EXPECT_EQ(copy->getAttributeAsVector3d("Where"), core::vector3df(1.5f, -2.25f, 1e-7f));
    EXPECT_EQ(copy->getAttributeAsEnumeration("Mode", literals), 1);
    EXPECT_EQ(copy->getAttributeAsUserPointer("Pointer"), &anything);
    copy->drop();
    source->drop();
}

// Custom properties edited in the editor: a value text each type reads, one
// it does not, and a value the type's default is not.
struct PropertyValue {
    io::E_ATTRIBUTE_TYPE type;
    const wchar_t* text;
    const wchar_t* unreadable; // null: the type reads any text
};

const PropertyValue kPropertyValues[] = {
    {io::EAT_INT, L"-42", L"2147483648"},
    {io::EAT_FLOAT, L"2.5", L"1e40"},
    {io::EAT_STRING, L"Zo\u00eb\u2019s <door> & \"x\" \u2603", nullptr},
    {io::EAT_BOOL, L"true", L"TRUE"},
    {io::EAT_ENUM, L"fa\u00dft", nullptr},
    {io::EAT_COLOR, L"80102030", L"12, 34, 56, 78"},
    {io::EAT_COLORF, L"0.1, 0.2, 0.3, 0.4", L"0.1, 0.2, 0.3"},
    {io::EAT_VECTOR3D, L"1.5 -2 3", L"abc"},
    {io::EAT_VECTOR2D, L"4, 5", L"4,, 5x"},
    {io::EAT_POSITION2D, L"-7, 8", L"7"},
    {io::EAT_DIMENSION2D, L"640, 480", L"-640, 480"},
    {io::EAT_RECT, L"1, 2, 3, 4", L"1, 2, 3, 4, 5"},
    {io::EAT_MATRIX, L"1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 5, 6, 7, 1", L"1"},
    {io::EAT_QUATERNION, L"0, 0, 0.5, 1", L"nan, 0, 0, 1"},
    {io::EAT_BBOX, L"-1, -2, -3, 1, 2, 3", L""},
    {io::EAT_PLANE, L"0, 1, 0, -2", L"0 1 0 -2 0"},
    {io::EAT_TRIANGLE3D, L"0, 0, 0, 1, 0, 0, 0, 1, 0", L"0, 0, 0"},
    {io::EAT_LINE2D, L"0, 0, 3, 4", L"0-0-3-4"},
    {io::EAT_LINE3D, L"0, 0, 0, 1, 2, 3", L"1 1 1 1 1 1e"},
    {io::EAT_STRINGWARRAY, nullptr, L"enemy"},
    {io::EAT_BINARY, L"0a0bff", L"abc"},
    {io::EAT_TEXTURE, L"textures/missing.png", nullptr},
};

TEST_F(TextNodeDataTest, CustomPropertiesOfEveryListedTypeAreAddedSetAndSavedExactly) {
    ASSERT_EQ(customPropertyTypes().size(), std::size(kPropertyValues)) << "every listed type has a case";
    scene::ISceneNode* node = addNode(scene::ESNT_CUBE, 0);
    node->setName("Holder");
    core::array<core::stringw> tags;
    tags.push_back(L"enemy");
    tags.push_back(L"a, b \u00e9");
    EngineRef<io::IAttributes> arrayValue = EngineRef<io::IAttributes>::adopt(copyAttributes(nullptr));
    arrayValue->addArray("tags", tags);
    for (const PropertyValue& value : kPropertyValues) {
        SCOPED_TRACE(attributeTypeName(value.type));
        const CustomPropertyEdit added = addCustomProperty(node, value.type);
        ASSERT_EQ(added.outcome, CustomPropertyOutcome::Done);
        io::IAttributes* set = customProperties(node);
        ASSERT_EQ(added.index + 1, static_cast<s32>(set->getAttributeCount())) << "added at the end";
        EXPECT_EQ(set->getAttributeType(added.index), value.type);
        const core::stringw before = set->getAttributeAsStringW(added.index);
        if (value.unreadable) {
            EXPECT_EQ(setCustomPropertyText(node, added.index, value.unreadable).outcome,
                      CustomPropertyOutcome::Unreadable);
            EXPECT_EQ(set->getAttributeAsStringW(added.index), before) << "the value stays";
        }
        const CustomPropertyEdit set_ = value.text ? setCustomPropertyText(node, added.index, value.text)
                                                   : setCustomPropertyValue(node, added.index, arrayValue.get(), 0);
        EXPECT_EQ(set_.outcome, CustomPropertyOutcome::Done);
        if (value.text)
            EXPECT_NE(customProperties(node)->getAttributeAsStringW(added.index), before);
        else
            EXPECT_TRUE(customProperties(node)->getAttributeAsArray(added.index) == tags);
    }
    const Entries edited = entriesOf(customProperties(node));
    EXPECT_EQ(std::get<0>(edited[1]), "property2");
    const std::string path = appFolder.file("properties.irr");
    ASSERT_TRUE(saveSceneFile(path, textNodeUserData()));
    reopen(path);
    EXPECT_EQ(entriesOf(findNodeUserData(named("Holder"))), edited);
    io::IAttributes* back = findNodeUserData(named("Holder"));
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->getAttributeAsArray(19) == tags);
    EXPECT_EQ(std::wstring(back->getAttributeAsStringW(2).c_str()), kPropertyValues[2].text);
}

TEST_F(TextNodeDataTest, RenamesThatAFileCannotKeepAreRefused) {
    scene::ISceneNode* node = addNode(scene::ESNT_CUBE, 0);
    addCustomProperty(node, io::EAT_INT);
    addCustomProperty(node, io::EAT_STRING);
    const struct {
        const wchar_t* name;
        CustomPropertyOutcome outcome;
        const char* kept;
    } renames[] = {
        {L"", CustomPropertyOutcome::EmptyName, "property2"},
        {L"  ", CustomPropertyOutcome::EmptyName, "property2"},
        {L"property", CustomPropertyOutcome::NameTaken, "property2"},
        {L"R&D", CustomPropertyOutcome::BadName, "property2"},
        {L"a<b", CustomPropertyOutcome::BadName, "property2"},
        {L"property2", CustomPropertyOutcome::Unchanged, "property2"},
        {L"spawnPoint \u00e9\u2603", CustomPropertyOutcome::Done, "spawnPoint \xe9?"},
    };
    for (const auto& rename : renames) {
        const size_t steps = undoHistory.size();
        CustomPropertyEdit edit = renameCustomProperty(node, 1, rename.name);
        EXPECT_EQ(edit.outcome, rename.outcome) << std::wstring(rename.name).size();
        EXPECT_EQ(std::string(customProperties(node)->getAttributeName(1)), rename.kept);
        EXPECT_EQ(edit.step != nullptr, rename.outcome == CustomPropertyOutcome::Done);
        EXPECT_EQ(undoHistory.size(), steps);
    }
    EXPECT_EQ(std::string(customProperties(node)->getAttributeName(0)), "property");
}

TEST_F(TextNodeDataTest, ChangingTypeConvertsThroughTextOrGivesTheDefault) {
    scene::ISceneNode* node = addNode(scene::ESNT_CUBE, 0);
    addCustomProperty(node, io::EAT_INT);
    setCustomPropertyText(node, 0, L"7");
    const struct {
        io::E_ATTRIBUTE_TYPE type;
        const wchar_t* value;
    } chain[] = {{io::EAT_FLOAT, L"7.000000"}, {io::EAT_STRING, L"7.000000"}, {io::EAT_INT, L"7"},
                 {io::EAT_BOOL, L"false"},    {io::EAT_STRING, L"false"},    {io::EAT_BOOL, L"false"},
                 {io::EAT_VECTOR3D, L"0.000000, 0.000000, 0.000000"}};
    for (const auto& step : chain) {
        EXPECT_EQ(retypeCustomProperty(node, 0, step.type).outcome, CustomPropertyOutcome::Done);
        EXPECT_EQ(customProperties(node)->getAttributeType(0), step.type);
        EXPECT_EQ(std::wstring(customProperties(node)->getAttributeAsStringW(0).c_str()), step.value);
    }
    EXPECT_EQ(retypeCustomProperty(node, 0, io::EAT_VECTOR3D).outcome, CustomPropertyOutcome::Unchanged);
    EXPECT_EQ(retypeCustomProperty(node, 0, io::EAT_FLOATARRAY).outcome, CustomPropertyOutcome::Missing);
}

// Each edit is one step; undo gives back the whole set as it was, redo as it
// became, also after the node was deleted and the delete undone.
TEST_F(TextNodeDataTest, UndoAndRedoOfEachEditRestoreTheWholeSet) {
    scene::ISceneNode* node = addNode(scene::ESNT_CUBE, 0);
    for (io::E_ATTRIBUTE_TYPE type : {io::EAT_INT, io::EAT_STRING, io::EAT_COLOR})
        addCustomProperty(node, type);
    setCustomPropertyText(node, 0, L"3");
    const std::vector<std::function<CustomPropertyEdit()>> edits = {
        [&] { return addCustomProperty(node, io::EAT_VECTOR3D); },
        [&] { return renameCustomProperty(node, 1, L"trigger"); },
        [&] { return retypeCustomProperty(node, 0, io::EAT_FLOAT); },
        [&] { return setCustomPropertyText(node, 2, L"ff00ff00"); },
        [&] { return removeCustomProperty(node, 1); },
        [&] { return removeCustomProperty(node, 2); },
    };
    const s32 shownAfter[] = {3, 1, 0, 2, 1, 1};
    for (size_t e = 0; e < edits.size(); ++e) {
        const Entries before = entriesOf(customProperties(node));
        CustomPropertyEdit edit = edits[e]();
        ASSERT_EQ(edit.outcome, CustomPropertyOutcome::Done) << e;
        EXPECT_EQ(edit.index, shownAfter[e]) << e;
        const Entries after = entriesOf(customProperties(node));
        ASSERT_NE(after, before);
        undoHistory.push(std::move(edit.step));
        if (e == 4) // deleted and put back, as undo does
            attachNode(node, smgr()->getRootSceneNode(), detachNode(node));
        ASSERT_TRUE(undoHistory.undo());
        EXPECT_EQ(entriesOf(customProperties(node)), before) << e;
        ASSERT_TRUE(undoHistory.redo());
        EXPECT_EQ(entriesOf(customProperties(node)), after) << e;
    }
    EXPECT_EQ(undoHistory.stepToUndo()->kind(), ChangeKind::CustomProperty);

    // A text node shows the text its user data is given, and the one before on undo.
    auto* sign = static_cast<scene::ITextSceneNode*>(addNode(scene::ESNT_TEXT, 0));
    undoHistory.push(setCustomPropertyText(sign, 0, L"Exit \u2192").step);
    EXPECT_EQ(std::wstring(findTextNodeData(sign)->text.c_str()), L"Exit \u2192");
    undoHistory.undo();
    EXPECT_EQ(std::wstring(findTextNodeData(sign)->text.c_str()), kDefaultNodeText);
    EXPECT_EQ(removeCustomProperty(node, 5).outcome, CustomPropertyOutcome::Missing);
}

} // namespace
} // namespace sorn
