// The default scene: sky box, grid and gizmo as built at start-up, the
// scene clearing and new-scene command that keep them, and saved files
// that never contain them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/EditorState.h"
#include "events/SceneFileCommands.h"
#include "scene/AxisLineSceneNodes.h"
#include "scene/DefaultScene.h"
#include "scene/Gizmo.h"
#include "scene/GridCommands.h"
#include "scene/GridSceneNode.h"

using namespace irr;
using sorn::editor;
using sorn::EditorState;

namespace {

namespace fs = std::filesystem;

// The engine writes scene files as UTF-32LE with a byte-order mark; characters
// beyond ASCII become '?' so the text can be searched as plain bytes.
std::string readUtf32LeAsAscii(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string text;
    size_t i = 0;
    if (bytes.size() >= 4 && bytes[0] == 0xFF && bytes[1] == 0xFE && bytes[2] == 0 && bytes[3] == 0)
        i = 4;
    for (; i + 3 < bytes.size(); i += 4) {
        const unsigned long c = bytes[i] | (bytes[i + 1] << 8) | (bytes[i + 2] << 16) | (static_cast<unsigned long>(bytes[i + 3]) << 24);
        text.push_back(c < 128 ? static_cast<char>(c) : '?');
    }
    return text;
}

size_t countOf(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

std::vector<scene::ISceneNode*> childrenOf(const scene::ISceneNode* node) {
    std::vector<scene::ISceneNode*> result;
    const core::list<scene::ISceneNode*>& children = node->getChildren();
    for (core::list<scene::ISceneNode*>::ConstIterator it = children.begin(); it != children.end(); ++it)
        result.push_back(*it);
    return result;
}

class DefaultSceneTest : public ::testing::Test {
protected:
    void SetUp() override {
        sorn::resetEditorState();
        char pattern[] = "/tmp/sorn_default_scene_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        tempDir = pattern;
        startDir = fs::current_path();
        device = createDevice(video::EDT_NULL);
        ASSERT_NE(device, nullptr);
        editor.device = device;
        editor.sceneManager = device->getSceneManager();
        smgr = editor.sceneManager;
        root = smgr->getRootSceneNode();
    }
    void TearDown() override {
        sorn::resetEditorState();
        if (device)
            device->drop();
        fs::current_path(startDir);
        std::error_code ignored;
        fs::remove_all(tempDir, ignored);
    }

    // A small image written by the engine under a media file name.
    void writeMediaImage(const fs::path& appDir, const char* name) {
        fs::create_directories(appDir / "media");
        video::IVideoDriver* driver = device->getVideoDriver();
        video::IImage* image = driver->createImage(video::ECF_A8R8G8B8, core::dimension2du(4, 4));
        ASSERT_NE(image, nullptr);
        image->fill(video::SColor(0xFF3366CC));
        const bool written = driver->writeImageToFile(image, (appDir / "media" / name).string().c_str());
        image->drop();
        ASSERT_TRUE(written) << name;
    }

    void drawFrame() {
        device->getVideoDriver()->beginScene();
        smgr->drawAll();
        device->getVideoDriver()->endScene();
    }

    scene::ISceneNode* findByName(const char* name) {
        return smgr->getSceneNodeFromName(name);
    }

    fs::path tempDir;
    fs::path startDir;
    IrrlichtDevice* device = nullptr;
    scene::ISceneManager* smgr = nullptr;
    scene::ISceneNode* root = nullptr;
};

TEST_F(DefaultSceneTest, GizmoNodesHangUnderTheirAnchorsHiddenAndDebug) {
    sorn::createGizmo();
    using Member = scene::ISceneNode* EditorState::*;
    const struct {
        const char* name;
        Member node;
        Member parent; // null: the root scene node
        bool debug;
        bool visible;
        scene::ESCENE_NODE_TYPE type;
    } table[] = {
        {"gizmoAnchor", &EditorState::gizmoAnchor, nullptr, true, true, scene::ESNT_EMPTY},
        {"gizmoRotationAnchor", &EditorState::gizmoRotationAnchor, &EditorState::gizmoAnchor, false, true,
         scene::ESNT_EMPTY},
        {"gizmoLineX", &EditorState::gizmoLineX, &EditorState::gizmoAnchor, true, false, scene::ESNT_UNKNOWN},
        {"gizmoLineZ", &EditorState::gizmoLineZ, &EditorState::gizmoAnchor, true, false, scene::ESNT_UNKNOWN},
        {"gizmoLineY", &EditorState::gizmoLineY, &EditorState::gizmoAnchor, true, false, scene::ESNT_UNKNOWN},
        {"gizmoRingX", &EditorState::gizmoRingX, &EditorState::gizmoRotationAnchor, true, false, scene::ESNT_MESH},
        {"gizmoRingY", &EditorState::gizmoRingY, &EditorState::gizmoRotationAnchor, true, false, scene::ESNT_MESH},
        {"gizmoRingZ", &EditorState::gizmoRingZ, &EditorState::gizmoRotationAnchor, true, false, scene::ESNT_MESH},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        scene::ISceneNode* node = editor.*row.node;
        ASSERT_NE(node, nullptr);
        EXPECT_EQ(node->getParent(), row.parent ? editor.*row.parent : root);
        EXPECT_EQ(node->isDebugObject(), row.debug);
        EXPECT_EQ(node->isVisible(), row.visible);
        EXPECT_EQ(node->getType(), row.type);
        EXPECT_EQ(node->getID(), -1);
        EXPECT_EQ(node->getPosition(), core::vector3df(0.f, 0.f, 0.f));
        EXPECT_EQ(node->getScale(), core::vector3df(1.f, 1.f, 1.f));
    }
    // Creation order: rotation anchor, lines X, Z, Y; rings X, Y, Z.
    EXPECT_EQ(childrenOf(editor.gizmoAnchor),
              (std::vector<scene::ISceneNode*>{editor.gizmoRotationAnchor, editor.gizmoLineX, editor.gizmoLineZ,
                                               editor.gizmoLineY}));
    EXPECT_EQ(childrenOf(editor.gizmoRotationAnchor),
              (std::vector<scene::ISceneNode*>{editor.gizmoRingX, editor.gizmoRingY, editor.gizmoRingZ}));
}

TEST_F(DefaultSceneTest, AxisLinesSpanTheirAxisInTheirColour) {
    sorn::createGizmo();
    const struct {
        const char* name;
        scene::ISceneNode* node;
        core::vector3df start;
        video::SColor colour;
    } table[] = {
        {"X", editor.gizmoLineX, {1000000.f, 0.f, 0.f}, video::SColor(0xFF0000FF)},
        {"Y", editor.gizmoLineY, {0.f, 1000000.f, 0.f}, video::SColor(0xFFFFFF00)},
        {"Z", editor.gizmoLineZ, {0.f, 0.f, 1000000.f}, video::SColor(0xFFFF0000)},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        auto* line = dynamic_cast<sorn::AxisLineSceneNode*>(row.node);
        ASSERT_NE(line, nullptr);
        EXPECT_EQ(line->getStart(), row.start);
        EXPECT_EQ(line->getEnd(), -row.start);
        EXPECT_EQ(line->getLength(), 1000000.f);
        EXPECT_EQ(line->getLineColor(), row.colour);
        EXPECT_EQ(line->getBoundingBox(), core::aabbox3df(-1.f, -1.f, -1.f, 1.f, 1.f, 1.f));
        EXPECT_EQ(line->getMaterialCount(), 1u);
        EXPECT_FALSE(line->getMaterial(0).Lighting);
        EXPECT_FALSE(line->getMaterial(0).Wireframe);
        EXPECT_EQ(&line->getMaterial(5), &line->getMaterial(0));
        EXPECT_EQ(line->clone(), nullptr);
    }
    EXPECT_NE(dynamic_cast<sorn::XLineSceneNode*>(editor.gizmoLineX), nullptr);
    EXPECT_NE(dynamic_cast<sorn::YLineSceneNode*>(editor.gizmoLineY), nullptr);
    EXPECT_NE(dynamic_cast<sorn::ZLineSceneNode*>(editor.gizmoLineZ), nullptr);
}

TEST_F(DefaultSceneTest, RingsAreFlatWireframeCylindersInTheirAxisColour) {
    sorn::createGizmo();
    const struct {
        const char* name;
        scene::ISceneNode* node;
        video::SColor colour;
        core::vector3df rotation;
    } table[] = {
        {"X", editor.gizmoRingX, video::SColor(0xFF0000FF), {90.f, 0.f, 0.f}},
        {"Y", editor.gizmoRingY, video::SColor(0xFFFFFF00), {0.f, 0.f, 90.f}},
        {"Z", editor.gizmoRingZ, video::SColor(0xFFFF0000), {0.f, 0.f, 0.f}},
    };
    for (const auto& row : table) {
        SCOPED_TRACE(row.name);
        auto* ring = dynamic_cast<scene::IMeshSceneNode*>(row.node);
        ASSERT_NE(ring, nullptr);
        EXPECT_EQ(ring->getRotation(), row.rotation);
        ASSERT_GT(ring->getMaterialCount(), 0u);
        for (u32 m = 0; m < ring->getMaterialCount(); ++m) {
            EXPECT_TRUE(ring->getMaterial(m).Wireframe);
            EXPECT_FALSE(ring->getMaterial(m).Lighting);
        }
        scene::IMesh* mesh = ring->getMesh();
        ASSERT_NE(mesh, nullptr);
        const core::aabbox3df box = mesh->getBoundingBox();
        EXPECT_NEAR(box.MaxEdge.X - box.MinEdge.X, 200.f, 1.f);
        EXPECT_NEAR(box.MaxEdge.Y - box.MinEdge.Y, 0.1f, 1e-3f);
        for (u32 b = 0; b < mesh->getMeshBufferCount(); ++b) {
            scene::IMeshBuffer* buffer = mesh->getMeshBuffer(b);
            ASSERT_EQ(buffer->getVertexType(), video::EVT_STANDARD);
            const video::S3DVertex* vertices = static_cast<const video::S3DVertex*>(buffer->getVertices());
            for (u32 v = 0; v < buffer->getVertexCount(); ++v)
                EXPECT_EQ(vertices[v].Color, row.colour);
        }
    }
}

TEST_F(DefaultSceneTest, DefaultSceneFromMediaBesideTheProgram) {
    const fs::path appDir = tempDir / "app";
    writeMediaImage(appDir, "default_skybox.jpg");
    writeMediaImage(appDir, "default_skydome.jpg");
    editor.appDirectory = appDir.string().c_str();
    // A file dialog may have moved the working directory elsewhere.
    fs::create_directories(tempDir / "elsewhere");
    ASSERT_TRUE(device->getFileSystem()->changeWorkingDirectoryTo((tempDir / "elsewhere").string().c_str()));

    sorn::loadDefaultScene();
    ASSERT_NE(editor.defaultSkyBoxTexture, nullptr);
    ASSERT_NE(editor.defaultSkyDomeTexture, nullptr);
    EXPECT_NE(editor.defaultSkyBoxTexture, editor.defaultSkyDomeTexture);

    scene::ISceneNode* sky = findByName("Sorn::SkyBox");
    ASSERT_NE(sky, nullptr);
    EXPECT_EQ(sky->getType(), scene::ESNT_SKY_BOX);
    EXPECT_TRUE(sky->isDebugObject());
    EXPECT_EQ(sky->getID(), -1);
    ASSERT_EQ(sky->getMaterialCount(), 6u);
    for (u32 face = 0; face < 6; ++face)
        EXPECT_EQ(sky->getMaterial(face).getTexture(0), editor.defaultSkyBoxTexture) << face;

    scene::ISceneNode* grid = findByName("Sorn::Grid");
    ASSERT_NE(grid, nullptr);
    EXPECT_EQ(grid, editor.gridNode);
    EXPECT_TRUE(grid->isDebugObject());
    EXPECT_EQ(grid->getID(), -1);
    ASSERT_EQ(editor.gridNode->getGridCount(), 1u);
    EXPECT_EQ(editor.gridNode->getGrid(0).getSize(), core::dimension2df(2000.f, 2000.f));
    EXPECT_EQ(editor.gridNode->getGrid(0).getSpacing(), 100.f);
    EXPECT_EQ(editor.gridNode->getGrid(0).getGridColor(), video::SColor(0xFFFFFFFF));

    // Sky box, grid, then the gizmo anchor; all of them the editor's own.
    EXPECT_EQ(childrenOf(root), (std::vector<scene::ISceneNode*>{sky, grid, editor.gizmoAnchor}));
    EXPECT_NE(editor.gizmoRingZ, nullptr);
}

TEST_F(DefaultSceneTest, MissingSkyTexturesStillGiveTheSkyBox) {
    editor.appDirectory = tempDir.string().c_str(); // no media folder here
    sorn::loadDefaultScene();
    EXPECT_EQ(editor.defaultSkyBoxTexture, nullptr);
    EXPECT_EQ(editor.defaultSkyDomeTexture, nullptr);
    scene::ISceneNode* sky = findByName("Sorn::SkyBox");
    ASSERT_NE(sky, nullptr);
    EXPECT_TRUE(sky->isDebugObject());
    for (u32 face = 0; face < sky->getMaterialCount(); ++face)
        EXPECT_EQ(sky->getMaterial(face).getTexture(0), nullptr);
    EXPECT_NE(editor.gridNode, nullptr);
    EXPECT_NE(editor.gizmoAnchor, nullptr);
    drawFrame(); // a frame with the untextured sky draws without trouble
}

TEST_F(DefaultSceneTest, NewSceneRemovesUserNodesAndKeepsTheEditorsOwn) {
    sorn::buildDefaultScene();
    scene::ISceneNode* cube = smgr->addCubeSceneNode();
    scene::ISceneNode* light = smgr->addLightSceneNode();
    smgr->addSphereSceneNode(5.f, 16, cube); // a child goes with its parent
    // A node the user hung under a debug object stays with it.
    scene::ISceneNode* underGrid = smgr->addEmptySceneNode(editor.gridNode);
    editor.selectedNode = cube;
    sorn::setGridSizeAndSpacing(500.f, 50.f);
    editor.gridSize = 500.f;
    editor.gridSpacing = 50.f;
    const std::vector<scene::ISceneNode*> editorsOwn = childrenOf(root);
    ASSERT_EQ(editorsOwn.size(), 5u);

    sorn::startNewScene();
    EXPECT_EQ(editor.selectedNode, nullptr);
    EXPECT_TRUE(editor.sceneViewRefresh.pending);
    EXPECT_TRUE(editor.nameIndexRefresh.pending);
    EXPECT_EQ(editor.gridSize, 2000.f);
    EXPECT_EQ(editor.gridSpacing, 100.f);
    EXPECT_EQ(editor.gridNode->getGrid(0).getSize(), core::dimension2df(2000.f, 2000.f));
    EXPECT_EQ(editor.gridNode->getGrid(0).getSpacing(), 100.f);
    // Deletion waits for the next draw.
    EXPECT_EQ(cube->getParent(), root);
    EXPECT_EQ(light->getParent(), root);

    drawFrame();
    const std::vector<scene::ISceneNode*> remaining = childrenOf(root);
    EXPECT_EQ(remaining, (std::vector<scene::ISceneNode*>{editorsOwn[0], editorsOwn[1], editorsOwn[2]}));
    for (scene::ISceneNode* node : remaining)
        EXPECT_TRUE(node->isDebugObject());
    EXPECT_EQ(underGrid->getParent(), editor.gridNode);
    EXPECT_EQ(editor.gizmoRingX->getParent(), editor.gizmoRotationAnchor);
    EXPECT_EQ(editor.gizmoLineY->getParent(), editor.gizmoAnchor);
    EXPECT_EQ(editor.gridNode->getGrid(0).getMeshBuffer().getVertexBuffer().size(), 84u);

    // Clearing an already clear scene removes nothing.
    sorn::clearScene();
    drawFrame();
    EXPECT_EQ(childrenOf(root), remaining);
}

TEST_F(DefaultSceneTest, ResetGridRestoresDefaultsWithOrWithoutGridNode) {
    editor.gridSize = 10.f;
    editor.gridSpacing = 3.f;
    sorn::resetGrid(); // before start-up: no grid node yet
    EXPECT_EQ(editor.gridSize, 2000.f);
    EXPECT_EQ(editor.gridSpacing, 100.f);

    sorn::createGrid(2000.f, 100.f);
    sorn::setGridSizeAndSpacing(std::numeric_limits<f32>::quiet_NaN(), -4.f);
    editor.gridNode->OnRegisterSceneNode();
    EXPECT_EQ(editor.gridNode->getGrid(0).getMeshBuffer().getVertexBuffer().size(), 0u);
    sorn::resetGrid();
    EXPECT_EQ(editor.gridNode->getGridsSize(), core::dimension2df(2000.f, 2000.f));
    editor.gridNode->OnRegisterSceneNode();
    EXPECT_EQ(editor.gridNode->getGrid(0).getMeshBuffer().getVertexBuffer().size(), 84u);
}

TEST_F(DefaultSceneTest, SavedSceneHoldsNoneOfTheEditorsNodes) {
    sorn::buildDefaultScene();
    editor.gizmoLineX->setVisible(true); // an axis shown while saving
    editor.gizmoRingX->setVisible(true);
    scene::ISceneNode* cube = smgr->addCubeSceneNode();
    cube->setName("UserCube");
    drawFrame();

    const fs::path file = tempDir / "saved.irr";
    ASSERT_TRUE(smgr->saveScene(file.string().c_str()));
    const std::string text = readUtf32LeAsAscii(file);
    EXPECT_NE(text.find("UserCube"), std::string::npos) << text;
    EXPECT_EQ(countOf(text, "<node "), 1u) << text;
    EXPECT_EQ(text.find("Sorn::"), std::string::npos);
    EXPECT_EQ(text.find("skyBox"), std::string::npos);
    EXPECT_EQ(text.find("\"empty\""), std::string::npos);
    EXPECT_EQ(text.find("\"mesh\""), std::string::npos);
    EXPECT_EQ(text.find("\"unknown\""), std::string::npos);
}

} // namespace
