// Sky box image sets (a ".skybox" marker beside six face images) and the sky
// box rows of the tool box: which file each face gets, in which material, and
// what the rows show and apply.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "app/EditorState.h"
#include "app/PathText.h"
#include "app/Translate.h"
#include "files/SkyboxSet.h"
#include "scene/NodeCatalogue.h"
#include "support/ChosenFileDialog.h"
#include "support/EditorFixture.h"
#include "support/TestImages.h"
#include "toolbox/SkyBoxRows.h"

using namespace irr;
namespace fs = std::filesystem;

namespace sorn {
namespace {

// ---- Face files by naming convention ------------------------------------------

struct FaceCase {
    const char* name;
    std::set<std::string> present;
    const char* base;
    const char* suffix;
    const char* expected;
};

class SkyboxFaceTest : public testing::TestWithParam<FaceCase> {};

TEST_P(SkyboxFaceTest, FirstPresentCandidateInExtensionOrder) {
    const FaceCase& c = GetParam();
    std::string found = findSkyboxFace(c.base, c.suffix, [&c](const std::string& p) { return c.present.count(p) > 0; });
    EXPECT_EQ(found, c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Candidates, SkyboxFaceTest,
    testing::Values(
        FaceCase{"jpg_before_png", {"/sky/sunset_up.png", "/sky/sunset_up.jpg"}, "/sky/sunset", "_up",
                 "/sky/sunset_up.jpg"},
        FaceCase{"tga_alone", {"/sky/sunset_dn.tga"}, "/sky/sunset", "_dn", "/sky/sunset_dn.tga"},
        FaceCase{"psd_on_the_fifth_try", {"s_bk.psd"}, "s", "_bk", "s_bk.psd"},
        FaceCase{"bmp_before_tga", {"s_lf.tga", "s_lf.bmp"}, "s", "_lf", "s_lf.bmp"},
        FaceCase{"none", {"s_up.jpg"}, "s", "_dn", ""},
        FaceCase{"suffix_and_extension_in_lower_case", {"Sunset_UP.JPG", "Sunset_up.png"}, "Sunset", "_up",
                 "Sunset_up.png"},
        FaceCase{"other_extensions_ignored", {"s_ft.gif", "s_ft.jpeg"}, "s", "_ft", ""}),
    [](const testing::TestParamInfo<FaceCase>& info) { return info.param.name; });

TEST(SkyboxFaces, OrderAndMaterialsOfTheEngineSkyBox) {
    const std::pair<std::string, u32> expected[] = {{"_up", 4}, {"_dn", 5}, {"_lf", 1},
                                                    {"_rt", 3}, {"_ft", 0}, {"_bk", 2}};
    ASSERT_EQ(kSkyboxFaces.size(), std::size(expected));
    for (size_t i = 0; i < kSkyboxFaces.size(); ++i) {
        EXPECT_EQ(kSkyboxFaces[i].suffix, expected[i].first);
        EXPECT_EQ(kSkyboxFaces[i].material, expected[i].second);
    }
}

// ---- Applying a set and the sky box rows in the editor --------------------------

// Material of each face suffix on the engine's sky box node.
u32 materialOf(const std::string& suffix) {
    for (const SkyboxFace& face : kSkyboxFaces)
        if (suffix == face.suffix)
            return face.material;
    return 99;
}

class SkyBoxTest : public test::EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        clickButton(ids::ButtonOpenSceneBox);
        clickButton(ids::ButtonOpenToolBox);
        sky = addNode(scene::ESNT_SKY_BOX, 0);
        activePasses(2);
        pickInTree(sky);
        ASSERT_EQ(editor.selectedNode, sky);
        folder = appFolder.file("sky");
        fs::create_directory(folder);
    }

    std::string image(const std::string& name) {
        const std::string path = folder + "/" + name;
        EXPECT_TRUE(test::writeTestImage(path)) << path;
        return path;
    }

    std::string marker(const std::string& name) {
        const std::string path = folder + "/" + name;
        test::writeFile(path, "");
        return path;
    }

    // The file of a face's texture, "" when it has none.
    std::string faceFile(const std::string& suffix) {
        video::ITexture* texture = sky->getMaterial(materialOf(suffix)).getTexture(0);
        return texture ? std::string(texture->getName().getPath().c_str()) : std::string();
    }

    std::wstring boxText(s32 id) {
        gui::IGUIElement* box = findElement(id);
        return box ? std::wstring(box->getText()) : std::wstring(L"<missing>");
    }

    void chooseInDialog(s32 dialogId, const core::stringw& file) {
        auto* dialog = new test::ChosenFileDialog(gui(), dialogId, file);
        postGuiEvent(gui::EGET_FILE_SELECTED, dialog);
        dialog->drop();
    }

    scene::ISceneNode* sky = nullptr;
    std::string folder;
};

TEST_F(SkyBoxTest, SetTakesJpgBeforePngAndEmptiesFacesWithoutFile) {
    const std::string up = image("sunset_up.jpg");
    image("sunset_up.png");
    const std::string down = image("sunset_dn.tga");
    ASSERT_NE(faceFile("_lf"), "") << "a new sky box starts with the default faces";
    EXPECT_TRUE(applySkyboxSet(marker("sunset.skybox")));
    EXPECT_EQ(faceFile("_up"), up);
    EXPECT_EQ(faceFile("_dn"), down);
    for (const char* lost : {"_lf", "_rt", "_ft", "_bk"})
        EXPECT_EQ(faceFile(lost), "") << lost;
}

TEST_F(SkyBoxTest, UpperCaseMarkerIsAcceptedAndFacesKeepItsCase) {
    std::map<std::string, std::string> files;
    for (const SkyboxFace& face : kSkyboxFaces)
        files[face.suffix] = image(std::string("Sunset") + face.suffix + ".jpg");
    image("Sunset_UP.png"); // an upper-case suffix is never looked for
    EXPECT_TRUE(applySkyboxSet(marker("Sunset.SKYBOX")));
    for (const auto& face : files)
        EXPECT_EQ(faceFile(face.first), face.second) << face.first;
}

TEST_F(SkyBoxTest, FaceFoundOnlyAsPsdAndNonAsciiMarkerName) {
    const std::string name = "ciel \xc3\xa9t\xc3\xa9"; // UTF-8 "ciel été"
    const std::string back = image(name + "_bk.psd");
    const std::string front = image(name + "_ft.png");
    EXPECT_TRUE(applySkyboxSet(marker(name + ".skybox")));
    EXPECT_EQ(faceFile("_bk"), back);
    EXPECT_NE(sky->getMaterial(2).getTexture(0), nullptr) << "the engine reads the Photoshop file";
    EXPECT_EQ(faceFile("_ft"), front);
    EXPECT_EQ(faceFile("_up"), "");
}

TEST_F(SkyBoxTest, FolderNamedLikeAFaceDoesNotHideTheNextExtension) {
    fs::create_directory(folder + "/s_up.jpg");
    const std::string up = image("s_up.png");
    EXPECT_TRUE(applySkyboxSet(marker("s.skybox")));
    EXPECT_EQ(faceFile("_up"), up);
}

TEST_F(SkyBoxTest, ApplyingTheSameSetTwiceGivesTheSameFaces) {
    for (const SkyboxFace& face : kSkyboxFaces)
        image(std::string("twice") + face.suffix + (face.material % 2 ? ".bmp" : ".jpg"));
    const std::string path = marker("twice.skybox");
    ASSERT_TRUE(applySkyboxSet(path));
    video::ITexture* first[6];
    for (u32 m = 0; m < 6; ++m)
        first[m] = sky->getMaterial(m).getTexture(0);
    ASSERT_TRUE(applySkyboxSet(path));
    for (u32 m = 0; m < 6; ++m) {
        EXPECT_NE(first[m], nullptr) << m;
        EXPECT_EQ(sky->getMaterial(m).getTexture(0), first[m]) << m;
    }
}

TEST_F(SkyBoxTest, UnreadableFaceEndsWithoutImageAndOthersAreSet) {
    test::writeFile(folder + "/bad_up.jpg", "not an image");
    const std::string down = image("bad_dn.jpg");
    EXPECT_TRUE(applySkyboxSet(marker("bad.skybox")));
    EXPECT_EQ(faceFile("_up"), "");
    EXPECT_EQ(faceFile("_dn"), down);
}

TEST_F(SkyBoxTest, WrongExtensionOrNoSkyBoxSelectedChangesNothing) {
    for (const SkyboxFace& face : kSkyboxFaces)
        image(std::string("n") + face.suffix + ".jpg");
    const std::string before = faceFile("_up");
    EXPECT_FALSE(applySkyboxSet(marker("n.skyboxes")));
    EXPECT_FALSE(applySkyboxSet(folder + "/n"));
    EXPECT_EQ(faceFile("_up"), before);

    const std::string path = marker("n.skybox");
    scene::ISceneNode* cube = addNode(scene::ESNT_CUBE, 0);
    activePasses(2);
    pickInTree(cube);
    video::ITexture* cubeTexture = cube->getMaterial(0).getTexture(0);
    EXPECT_FALSE(applySkyboxSet(path)) << "another node type";
    EXPECT_EQ(cube->getMaterial(0).getTexture(0), cubeTexture);

    pickInTree(nullptr); // the scene entry: nothing selected
    EXPECT_FALSE(applySkyboxSet(path));
    EXPECT_EQ(faceFile("_up"), before);
}

// One face image chosen instead of a marker finds its set by name; what is
// not a set, or a set with faces missing, is explained in a message.
TEST_F(SkyBoxTest, AFaceImageFindsItsSetByNameAndMissingFacesAreTold) {
    struct Case {
        std::vector<std::string> files; // the chosen one first
        std::map<std::string, std::string> faces; // suffix -> file (others: none)
        const wchar_t* messageKey;                // null: no message
        std::vector<std::string> named;           // in the message
    };
    const Case cases[] = {
        {{"sky_ft.jpg", "sky_up.jpg", "sky_dn.jpg", "sky_lf.jpg", "sky_rt.jpg", "sky_bk.jpg"},
         {{"_up", "sky_up.jpg"}, {"_dn", "sky_dn.jpg"}, {"_lf", "sky_lf.jpg"},
          {"_rt", "sky_rt.jpg"}, {"_ft", "sky_ft.jpg"}, {"_bk", "sky_bk.jpg"}},
         nullptr, {}},
        {{"NightDown.png", "NightUp.PNG", "nightLeft.jpg", "NIGHTRIGHT.BMP", "NightFront.tga", "NightBack.png"},
         {{"_up", "NightUp.PNG"}, {"_dn", "NightDown.png"}, {"_lf", "nightLeft.jpg"},
          {"_rt", "NIGHTRIGHT.BMP"}, {"_ft", "NightFront.tga"}, {"_bk", "NightBack.png"}},
         nullptr, {}},
        {{"d-UP.jpg", "d-dn.png", "e-lf.jpg"}, {{"_up", "d-UP.jpg"}, {"_dn", "d-dn.png"}},
         L"message_skybox_faces_missing", {"d-lf.*", "d-rt.*", "d-ft.*", "d-bk.*"}},
        {{"photo.jpg"}, {}, L"message_skybox_no_set", {"photo.jpg"}},
        {{"m.skybox", "m_up.jpg"}, {{"_up", "m_up.jpg"}}, L"message_skybox_faces_missing", {"m_dn.*", "m_bk.*"}},
    };
    for (const Case& c : cases) {
        fs::remove_all(folder);
        fs::create_directory(folder);
        for (const std::string& file : c.files) {
            const std::string extension = lowerAscii(file.substr(file.rfind('.')));
            if (extension == ".skybox") {
                marker(file);
                continue;
            }
            image("written" + extension);
            fs::rename(folder + "/written" + extension, folder + "/" + file);
        }
        closeMessageBoxes();
        EXPECT_EQ(applySkyboxSet(folder + "/" + c.files[0]), !c.faces.empty()) << c.files[0];
        for (const SkyboxFace& face : kSkyboxFaces) {
            const auto file = c.faces.find(face.suffix);
            if (!c.faces.empty())
                EXPECT_EQ(faceFile(face.suffix), file == c.faces.end() ? "" : folder + "/" + file->second)
                    << c.files[0] << " " << face.suffix;
        }
        const std::vector<std::wstring> shown = messageBoxes();
        ASSERT_EQ(shown.size(), c.messageKey ? 1u : 0u) << c.files[0];
        if (!c.messageKey)
            continue;
        EXPECT_NE(shown[0].find(translate(c.messageKey).c_str()), std::wstring::npos) << c.files[0];
        EXPECT_NE(shown[0].find(translate(L"message_skybox_what_a_set_is").c_str()), std::wstring::npos);
        for (const std::string& name : c.named)
            EXPECT_NE(shown[0].find(widePath(folder + "/" + name).c_str()), std::wstring::npos) << name;
    }
}

TEST_F(SkyBoxTest, RowsShowTheFacesOfTheSelectedSkyBox) {
    for (const SkyBoxRow& row : kSkyBoxRows) {
        video::ITexture* texture = sky->getMaterial(row.material).getTexture(0);
        ASSERT_NE(texture, nullptr);
        EXPECT_EQ(boxText(row.editBox), std::wstring(widePath(texture->getName().getPath().c_str()).c_str()));
    }
}

TEST_F(SkyBoxTest, SetDialogResultAppliesTheSetAndRefillsTheRows) {
    const std::string up = image("d_up.jpg");
    const std::string marked = marker("d.skybox");
    clickButton(ids::SkyBoxSetButton);
    EXPECT_NE(findElement(ids::DialogSkyBoxSet), nullptr) << "action_load opens the set dialog";
    chooseInDialog(ids::DialogSkyBoxSet, widePath(marked));
    EXPECT_EQ(faceFile("_up"), up);
    EXPECT_EQ(boxText(ids::SkyBoxUpEdit), std::wstring(widePath(up).c_str()));
    EXPECT_EQ(boxText(ids::SkyBoxLeftEdit), L"") << "a face left without image shows no file";
}

TEST_F(SkyBoxTest, LeftBrowseButtonFillsOnlyTheLeftBoxAndUpdateChangesOnlyTheLeftFace) {
    std::map<s32, std::wstring> before;
    for (const SkyBoxRow& row : kSkyBoxRows)
        before[row.editBox] = boxText(row.editBox);
    video::ITexture* faces[6];
    for (u32 m = 0; m < 6; ++m)
        faces[m] = sky->getMaterial(m).getTexture(0);

    const std::string left = image("left.png");
    clickButton(ids::SkyBoxBackBrowse + 1);
    EXPECT_EQ(editor.imageDialogTarget, 2);
    ASSERT_NE(findElement(ids::DialogToolBoxImage), nullptr);
    chooseInDialog(ids::DialogToolBoxImage, widePath(left));
    for (const SkyBoxRow& row : kSkyBoxRows)
        EXPECT_EQ(boxText(row.editBox), row.editBox == ids::SkyBoxLeftEdit ? widePath(left).c_str()
                                                                           : before[row.editBox]);
    EXPECT_EQ(sky->getMaterial(1).getTexture(0), faces[1]) << "choosing a file applies nothing yet";

    clickButton(ids::SkyBoxApply);
    EXPECT_EQ(faceFile("_lf"), left);
    for (u32 m : {0u, 2u, 3u, 4u, 5u})
        EXPECT_EQ(sky->getMaterial(m).getTexture(0), faces[m]) << m;
}

TEST_F(SkyBoxTest, UpdateAppliesEachNonEmptyRowToItsMaterial) {
    std::map<u32, std::string> files;
    for (const SkyBoxRow& row : kSkyBoxRows) {
        files[row.material] = image("row" + std::to_string(row.material) + ".bmp");
        findElement(row.editBox)->setText(widePath(files[row.material]).c_str());
    }
    video::ITexture* top = sky->getMaterial(4).getTexture(0);
    findElement(ids::SkyBoxUpEdit)->setText(L"");
    clickButton(ids::SkyBoxApply);
    EXPECT_EQ(sky->getMaterial(4).getTexture(0), top) << "an empty row leaves its face";
    for (const auto& [material, file] : files) {
        if (material == 4)
            continue;
        video::ITexture* texture = sky->getMaterial(material).getTexture(0);
        ASSERT_NE(texture, nullptr) << material;
        EXPECT_EQ(std::string(texture->getName().getPath().c_str()), file) << material;
    }
}

TEST_F(SkyBoxTest, RowsNamingMissingFoldersOrDevicesRemoveTheFace) {
    findElement(ids::SkyBoxFrontEdit)->setText(widePath(folder).c_str());
    findElement(ids::SkyBoxBackEdit)->setText(L"/dev/zero");
    findElement(ids::SkyBoxRightEdit)->setText(widePath(folder + "/missing.png").c_str());
    clickButton(ids::SkyBoxApply);
    EXPECT_EQ(faceFile("_ft"), "");
    EXPECT_EQ(faceFile("_bk"), "");
    EXPECT_EQ(faceFile("_rt"), "");
    EXPECT_NE(faceFile("_lf"), "");
}

} // namespace
} // namespace sorn
