// The soak's own measures: the canonical scene text sees every scene edit but
// none of the view settings, the node count leaves the editor's nodes out,
// and the typed texts are of the kind asked for and follow the seed.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "support/EditorFixture.h"
#include "support/NullDevice.h"
#include "support/SceneSnapshot.h"
#include "support/SoakText.h"

using namespace irr;

namespace sorn {
namespace {

class SceneSnapshotTest : public test::NullDeviceTest {
protected:
    std::string text() {
        return test::canonicalSceneText(editor.sceneManager, folder.file("scratch.irr"), 2000.f, 100.f);
    }
    test::TempDir folder;
};

TEST_F(SceneSnapshotTest, ViewSettingsAreLeftOutButEditsAreSeen) {
    scene::ISceneNode* cube = editor.sceneManager->addCubeSceneNode();
    const std::string start = text();
    ASSERT_NE(start.find("cube"), std::string::npos) << start;

    cube->setDebugDataVisible(scene::EDS_BBOX);
    cube->setVisible(false);
    EXPECT_EQ(text(), start) << "debug drawing and visibility are how the scene is viewed";

    struct Edit {
        const char* name;
        void (*apply)(scene::ISceneNode*);
    };
    const Edit edits[] = {
        {"position", [](scene::ISceneNode* n) { n->setPosition(core::vector3df(1.f, 0.f, 0.f)); }},
        {"scale", [](scene::ISceneNode* n) { n->setScale(core::vector3df(2.f, 2.f, 2.f)); }},
        {"material", [](scene::ISceneNode* n) { n->setMaterialFlag(video::EMF_WIREFRAME, true); }},
        {"name", [](scene::ISceneNode* n) { n->setName("Renamed"); }},
    };
    for (const Edit& edit : edits) {
        const std::string before = text();
        edit.apply(cube);
        EXPECT_NE(text(), before) << edit.name;
    }
    EXPECT_NE(test::canonicalSceneText(editor.sceneManager, folder.file("scratch.irr"), 500.f, 100.f), text())
        << "the grid is part of the text";
}

TEST(SceneSnapshot, OnlyViewAttributeLinesAreRemoved) {
    const std::string kept[] = {"<string name=\"Name\" value=\"Visible\" />", "<int name=\"Id\" value=\"-1\" />",
                                "<bool name=\"IsDebugObject\" value=\"false\" />"};
    const std::string dropped[] = {"<bool name=\"Visible\" value=\"false\" />",
                                   "<int name=\"DebugDataVisible\" value=\"3\" />"};
    std::string all;
    for (size_t i = 0; i < std::size(kept); ++i)
        all += kept[i] + "\n" + dropped[i % std::size(dropped)] + "\n";
    const std::string result = test::withoutViewAttributes(all);
    for (const std::string& line : kept)
        EXPECT_NE(result.find(line), std::string::npos) << line;
    for (const std::string& line : dropped)
        EXPECT_EQ(result.find(line), std::string::npos) << line;
}

TEST(SceneSnapshot, ZeroIsZeroWhateverItsSign) {
    const std::string signedZero = "<vector3d name=\"Rotation\" value=\"-1.000000, -0.000000, -10.000000\" />\n";
    const std::string plainZero = "<vector3d name=\"Rotation\" value=\"-1.000000, 0.000000, -10.000000\" />\n";
    EXPECT_EQ(test::withoutViewAttributes(signedZero), test::withoutViewAttributes(plainZero));
    EXPECT_NE(test::withoutViewAttributes(signedZero).find("-1.000000"), std::string::npos);
    EXPECT_NE(test::withoutViewAttributes(signedZero).find("-10.000000"), std::string::npos);
}

TEST_F(SceneSnapshotTest, CountLeavesOutDebugObjectsAndWhatHangsUnderThem) {
    scene::ISceneManager* smgr = editor.sceneManager;
    std::mt19937 random(7);
    unsigned expected = 0;
    std::vector<scene::ISceneNode*> parents{smgr->getRootSceneNode()};
    for (int i = 0; i < 40; ++i) {
        scene::ISceneNode* parent = parents[random() % parents.size()];
        scene::ISceneNode* node = smgr->addEmptySceneNode(parent);
        const bool debug = random() % 4 == 0;
        node->setIsDebugObject(debug);
        // A node counts when neither it nor any node above it is a debug object.
        bool counted = true;
        for (scene::ISceneNode* n = node; n; n = n->getParent())
            counted = counted && !n->isDebugObject();
        expected += counted;
        parents.push_back(node);
    }
    EXPECT_EQ(test::countUserNodes(smgr->getRootSceneNode()), expected);
    unsigned tallied = 0;
    for (const auto& entry : test::tallyUserNodes(smgr))
        tallied += entry.second;
    EXPECT_EQ(tallied, expected);
}

TEST(SoakText, EachKindGivesItsTextAndTheSeedDecides) {
    const std::vector<std::wstring> paths{L"/a.png", L"/b.jpg"};
    for (int k = 0; k < static_cast<int>(test::FieldTextKind::KindCount); ++k) {
        const auto kind = static_cast<test::FieldTextKind>(k);
        std::mt19937 first(k), second(k);
        for (int i = 0; i < 20; ++i) {
            const std::wstring text = test::fieldText(kind, first, paths);
            EXPECT_EQ(text, test::fieldText(kind, second, paths)) << "kind " << k;
            if (kind == test::FieldTextKind::Empty)
                EXPECT_TRUE(text.empty());
            if (kind == test::FieldTextKind::Huge)
                EXPECT_GE(text.size(), 1000u);
            if (kind == test::FieldTextKind::ImagePath)
                EXPECT_TRUE(text == paths[0] || text == paths[1]);
            if (kind == test::FieldTextKind::NonAscii) {
                bool wideChar = false;
                for (wchar_t c : text)
                    wideChar = wideChar || c > 127;
                EXPECT_TRUE(wideChar);
            }
        }
    }
}

} // namespace
} // namespace sorn
