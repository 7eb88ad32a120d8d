// Opening files: archives by extension, scenes into the current graph, models
// as nodes named after the file; real files from the engine's media, and bad
// input that must leave the editor and the scene as they were.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/EditorState.h"
#include "events/SaveWindow.h"
#include "files/OpenFile.h"
#include "scene/TextNodeData.h"
#include "app/PathText.h"
#include "events/SceneFileCommands.h"
#include "support/EditorFixture.h"

using namespace irr;
using sorn::editor;
using sorn::openFile;
using sorn::test::readFile;
using sorn::test::TempDir;
using sorn::test::writeFile;
namespace fs = std::filesystem;

namespace {

const std::string kEngineMedia = SORN_IRRLICHT_MEDIA;

// The editor-wide state on the engine's null driver, working in a fresh folder.
class NullDeviceTest : public testing::Test {
protected:
    void SetUp() override {
        char cwd[4096];
        ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
        previous_ = cwd;
        sorn::resetEditorState();
        device_ = createDevice(video::EDT_NULL);
        ASSERT_NE(device_, nullptr);
        device_->getLogger()->setLogLevel(ELL_NONE);
        editor.device = device_;
        editor.sceneManager = device_->getSceneManager();
        ASSERT_EQ(chdir(dir.path().c_str()), 0);
        device_->getFileSystem()->changeWorkingDirectoryTo(dir.path().c_str());
    }
    void TearDown() override {
        (void)chdir(previous_.c_str());
        sorn::saveWindow.reset();
        sorn::forgetTextNodeData(); // the nodes' user data holds them
        device_->drop();
        sorn::resetEditorState();
    }

    scene::ISceneManager* smgr() const { return editor.sceneManager; }
    scene::ISceneNode* root() const { return smgr()->getRootSceneNode(); }
    io::IFileSystem* files() const { return smgr()->getFileSystem(); }
    scene::ISceneNode* lastChild() const { return *root()->getChildren().getLast(); }

    // A gzipped file of the engine's media, unpacked into the test folder with
    // the engine's own gzip reader.
    std::string unpackMedia(const std::string& gzName, const std::string& as = "") {
        const std::string source = kEngineMedia + "/" + gzName;
        const std::string inner = gzName.substr(0, gzName.size() - 3);
        const std::string target = dir.file(as.empty() ? inner : as);
        EXPECT_TRUE(files()->addFileArchive(source.c_str(), false, true, io::EFAT_GZIP));
        io::IReadFile* in = files()->createAndOpenFile(inner.c_str());
        EXPECT_NE(in, nullptr) << "cannot unpack " << source;
        if (in) {
            std::string bytes(static_cast<size_t>(in->getSize()), '\0');
            in->read(&bytes[0], static_cast<u32>(bytes.size()));
            in->drop();
            writeFile(target, bytes);
        }
        files()->removeFileArchive(files()->getFileArchiveCount() - 1);
        return target;
    }

    std::set<std::string> folderEntries() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(dir.path()))
            names.insert(entry.path().filename().string());
        return names;
    }

    TempDir dir;

private:
    IrrlichtDevice* device_ = nullptr;
    std::string previous_;
};

TEST(FileExtension, LastDotToTheEndInLowerCase) {
    struct Case {
        const char* path;
        const char* extension;
    };
    const Case cases[] = {
        {"Level.PK3", ".pk3"},         {"model.tar.gz", ".gz"}, {"scene", ""},
        {"C:\\data\\robot.b3d", ".b3d"}, {"a/b.IRR", ".irr"},   {"\xC3\x89T\xC3\x89.Zip", ".zip"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(sorn::fileExtension(c.path), c.extension) << c.path;
}

TEST(PathText, NarrowAndWideRoundTripWithoutCuttingCharacters) {
    const std::string utf8 = "/tmp/sc\xC3\xA8ne \xE2\x82\xAC.irr"; // "scène €"
    const core::stringw wide = sorn::widePath(utf8);
    EXPECT_EQ(wide, core::stringw(L"/tmp/sc\u00E8ne \u20AC.irr"));
    EXPECT_EQ(sorn::narrowPath(wide), utf8);
    // Bytes that are no UTF-8 still name the same file after a round trip.
    const std::string latin1 = "caf\xE9/\xFF\x80.irr";
    EXPECT_EQ(sorn::narrowPath(sorn::widePath(latin1)), latin1);
}

TEST_F(NullDeviceTest, StaticModelIsNamedAfterTheFileWithTheEditorsLighting) {
    const std::string path = unpackMedia("sydney.md2.gz");
    for (bool lighting : {false, true}) {
        editor.modelLighting = lighting;
        ASSERT_TRUE(openFile(path, false));
        scene::ISceneNode* node = lastChild();
        EXPECT_EQ(node->getType(), scene::ESNT_MESH);
        EXPECT_STREQ(node->getName(), "sydney.md2");
        EXPECT_EQ(node->getMaterial(0).getFlag(video::EMF_LIGHTING), lighting);
        EXPECT_EQ(node->getMaterial(0).getFlag(video::EMF_NORMALIZE_NORMALS), lighting);
        EXPECT_EQ(node->isDebugDataVisible(), scene::EDS_OFF);
        EXPECT_EQ(node->getPosition(), core::vector3df(0, 0, 0));
        EXPECT_EQ(node->getScale(), core::vector3df(1, 1, 1));
    }
}

TEST_F(NullDeviceTest, AnimatedModelRunsAtThirtyFramesPerSecond) {
    const std::string path = unpackMedia("ninja.b3d.gz");
    ASSERT_TRUE(openFile(path, true));
    scene::ISceneNode* node = lastChild();
    ASSERT_EQ(node->getType(), scene::ESNT_ANIMATED_MESH);
    EXPECT_FLOAT_EQ(static_cast<scene::IAnimatedMeshSceneNode*>(node)->getAnimationSpeed(), 30.f);
    EXPECT_STREQ(node->getName(), "ninja.b3d");
}

TEST_F(NullDeviceTest, NodeNameIsTheTextAfterTheLastSlashOrBackslash) {
    const std::string model = unpackMedia("sydney.md2.gz");
    fs::create_directory(dir.file("sub"));
    fs::copy_file(model, dir.file("sub/robot.md2"));
    fs::copy_file(model, dir.file("data\\robot2.md2")); // a backslash is a name character here
    struct Case {
        std::string path;
        const char* name;
    };
    const Case cases[] = {
        {"sub/robot.md2", "robot.md2"},
        {dir.file("sub/robot.md2"), "robot.md2"},
        {"data\\robot2.md2", "robot2.md2"},
        {"sydney.md2", "sydney.md2"},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(openFile(c.path, true)) << c.path;
        EXPECT_STREQ(lastChild()->getName(), c.name) << c.path;
    }
}

TEST_F(NullDeviceTest, SceneFileJoinsTheCurrentScene) {
    scene::ISceneNode* existing = smgr()->addEmptySceneNode();
    existing->setName("already here");
    const std::string path = unpackMedia("example.irr.gz");
    const u32 before = root()->getChildren().getSize();
    ASSERT_TRUE(openFile(path, false));
    EXPECT_EQ(root()->getChildren().getSize(), before + 5) << "the five top-level nodes of the file";
    EXPECT_EQ(smgr()->getSceneNodeFromName("already here"), existing);
    scene::ISceneNode* sphere = smgr()->getSceneNodeFromName("sphere");
    ASSERT_NE(sphere, nullptr);
    EXPECT_EQ(sphere->getParent()->getType(), scene::ESNT_CUBE);
    EXPECT_TRUE(sphere->getPosition().equals(core::vector3df(9, 9, 9)));
    scene::ISceneNode* light = smgr()->getSceneNodeFromType(scene::ESNT_LIGHT);
    ASSERT_NE(light, nullptr);
    EXPECT_TRUE(light->getPosition().equals(core::vector3df(27.366207f, 20.f, 29.17346f)));

    fs::copy_file(path, dir.file("EXAMPLE.IRR"));
    EXPECT_TRUE(openFile("EXAMPLE.IRR", false)) << "the extension test ignores case";
    EXPECT_EQ(root()->getChildren().getSize(), before + 10);
}

TEST_F(NullDeviceTest, ArchiveIsMountedAndAMeshInsideLoadsByName) {
    const std::string archive = unpackMedia("map-20kdm2.pk3.gz", "Level.PK3");
    const u32 archives = files()->getFileArchiveCount();
    const u32 children = root()->getChildren().getSize();
    ASSERT_TRUE(openFile(archive, false));
    EXPECT_EQ(files()->getFileArchiveCount(), archives + 1);
    EXPECT_EQ(root()->getChildren().getSize(), children) << "mounting loads nothing";

    ASSERT_TRUE(openFile("20kdm2.bsp", false));
    scene::ISceneNode* map = lastChild();
    EXPECT_STREQ(map->getName(), "20kdm2.bsp");
    EXPECT_EQ(map->getType(), scene::ESNT_MESH);
}

// A zip archive built byte by byte: stored entries, optionally with their
// sizes in data descriptors (found through the central directory).
struct ZipEntry {
    std::string name;
    std::string data;
};

void put16(std::string& out, unsigned long v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void put32(std::string& out, unsigned long v) {
    put16(out, v & 0xFFFF);
    put16(out, (v >> 16) & 0xFFFF);
}

unsigned long crc32Of(const std::string& data) {
    unsigned long crc = 0xFFFFFFFFul;
    for (unsigned char c : data) {
        crc ^= c;
        for (int k = 0; k < 8; ++k)
            crc = (crc >> 1) ^ (0xEDB88320ul & (0ul - (crc & 1)));
    }
    return crc ^ 0xFFFFFFFFul;
}

std::string zipArchive(const std::vector<ZipEntry>& entries, bool descriptors) {
    std::string out, directory;
    for (const ZipEntry& e : entries) {
        const unsigned long offset = out.size();
        const unsigned long crc = crc32Of(e.data);
        put32(out, 0x04034b50);
        put16(out, 10);
        put16(out, descriptors ? 8 : 0);
        put16(out, 0);
        put32(out, 0);
        put32(out, descriptors ? 0 : crc);
        put32(out, descriptors ? 0 : e.data.size());
        put32(out, descriptors ? 0 : e.data.size());
        put16(out, e.name.size());
        put16(out, 0);
        out += e.name + e.data;
        if (descriptors) {
            put32(out, 0x08074b50);
            put32(out, crc);
            put32(out, e.data.size());
            put32(out, e.data.size());
        }
        put32(directory, 0x02014b50);
        put16(directory, 20);
        put16(directory, 10);
        put16(directory, descriptors ? 8 : 0);
        put16(directory, 0);
        put32(directory, 0);
        put32(directory, crc);
        put32(directory, e.data.size());
        put32(directory, e.data.size());
        put16(directory, e.name.size());
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put16(directory, 0);
        put32(directory, 0);
        put32(directory, offset);
        directory += e.name;
    }
    const unsigned long directoryOffset = out.size();
    out += directory;
    put32(out, 0x06054b50);
    put16(out, 0);
    put16(out, 0);
    put16(out, entries.size());
    put16(out, entries.size());
    put32(out, directory.size());
    put32(out, directoryOffset);
    put16(out, 0);
    return out;
}

std::string pakArchive(const std::string& name, const std::string& data) {
    std::string out = "PACK";
    put32(out, 12 + data.size());
    put32(out, 64);
    out += data;
    std::string entryName = name;
    entryName.resize(56, '\0');
    out += entryName;
    put32(out, 12);
    put32(out, data.size());
    return out;
}

TEST_F(NullDeviceTest, SoundArchivesAreMountedWhateverTheCaseOfTheExtension) {
    const std::vector<ZipEntry> entries = {{"inner.txt", "hello"}, {"maps/deep.txt", "world"}};
    writeFile(dir.file("plain.ZIP"), zipArchive(entries, false));
    writeFile(dir.file("described.Pk3"), zipArchive(entries, true));
    writeFile(dir.file("quake.PAK"), pakArchive("quake.txt", "data"));
    u32 archives = files()->getFileArchiveCount();
    for (const char* name : {"plain.ZIP", "described.Pk3", "quake.PAK"}) {
        EXPECT_TRUE(openFile(name, false)) << name;
        EXPECT_EQ(files()->getFileArchiveCount(), ++archives) << name;
    }
    EXPECT_TRUE(files()->existFile("deep.txt")) << "paths inside are ignored";
    EXPECT_TRUE(files()->existFile("quake.txt"));
}

// Archives on which the engine's readers abort, loop for ever or read past the
// end are refused before the engine sees them.
TEST_F(NullDeviceTest, DamagedArchivesAreRefused) {
    const std::vector<ZipEntry> entries = {{"a.txt", "hello"}, {"b.txt", "world"}};
    std::vector<std::pair<std::string, std::string>> damaged;

    std::string longName = zipArchive(entries, false);
    longName[26] = '\x02';
    longName[27] = '\x80'; // a name length the reader takes as negative
    damaged.push_back({"long-name.pk3", longName});

    std::string loop = zipArchive(entries, true);
    const size_t secondCentral = loop.rfind(std::string("PK\x01\x02", 4));
    loop[secondCentral + 30] = '\xBC'; // an extra field reaching past the directory
    damaged.push_back({"loop.zip", loop});

    std::string beyond = zipArchive(entries, false);
    beyond[21] = '\x7F'; // data running past the end of the file
    damaged.push_back({"beyond.zip", beyond});

    std::string locked = zipArchive(entries, false);
    locked[6] = '\x01'; // encrypted
    damaged.push_back({"locked.zip", locked});

    // The end record points past itself at a directory entry the end of the
    // file cuts short: the reader follows it and writes out of bounds.
    std::string after = zipArchive(entries, true);
    const size_t endRecord = after.size() - 22;
    const size_t strayEntry = after.size();
    after += after.substr(after.find(std::string("PK\x01\x02", 4)), 40);
    for (int k = 0; k < 4; ++k)
        after[endRecord + 16 + k] = static_cast<char>((strayEntry >> (8 * k)) & 0xFF);
    damaged.push_back({"directory-after-end.zip", after});

    std::string pak = pakArchive("a.txt", "data");
    pak[10] = '\x7F'; // a directory of millions of entries
    damaged.push_back({"huge.pak", pak});

    damaged.push_back({"cut-name.zip", std::string("\x1F\x8B\x08\x08\0\0\0\0\0\x03name-without-end", 26)});
    damaged.push_back({"empty.pk3", std::string()});

    const u32 archives = files()->getFileArchiveCount();
    for (const auto& archive : damaged) {
        writeFile(dir.file(archive.first), archive.second);
        EXPECT_FALSE(openFile(archive.first, false)) << archive.first;
        EXPECT_EQ(files()->getFileArchiveCount(), archives) << archive.first;
    }
}

// Bad input: nothing added, nothing mounted, nothing written, editor still up.
TEST_F(NullDeviceTest, BadInputChangesNothing) {
    const std::string scene = unpackMedia("example.irr.gz");
    const std::string sceneBytes = readFile(scene);
    writeFile(dir.file("truncated.irr"), sceneBytes.substr(0, sceneBytes.size() / 2));
    writeFile(dir.file("almost.irr"), sceneBytes.substr(0, sceneBytes.size() - 40));
    writeFile(dir.file("empty.irr"), "");
    std::string garbage;
    for (int i = 0; i < 70000; ++i)
        garbage += static_cast<char>((i * 7919 + 13) % 251);
    writeFile(dir.file("garbage.irr"), garbage);
    writeFile(dir.file("garbage.zip"), garbage);
    writeFile(dir.file("garbage.pk3"), "PK\x03\x04" + garbage);
    writeFile(dir.file("garbage.md2"), "IDP2" + garbage);
    writeFile(dir.file("garbage.b3d"), "BB3D" + garbage);
    writeFile(dir.file("garbage.obj"), garbage);
    writeFile(dir.file("garbage.3ds"), garbage);
    writeFile(dir.file("scene"), garbage);
    writeFile(dir.file("model.tar.gz"), garbage);
    writeFile(dir.file("other.irr"), "<?xml version=\"1.0\"?><lang><string name=\"a\" value=\"b\"/></lang>");
    // Larger than any scene the editor reads, without using the disk space.
    int fd = ::open(dir.file("enormous.irr").c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(ftruncate(fd, static_cast<off_t>(sorn::kMaxOpenFileSize) + 1), 0);
    ::close(fd);
    fs::create_directory(dir.file("folder.irr"));
    fs::create_directory(dir.file("folder.md2"));
    fs::create_directory(dir.file("folder.zip"));
    ASSERT_EQ(mkfifo(dir.file("pipe.md2").c_str(), 0600), 0);
    writeFile(dir.file("notes.TXT"), "a valid text, but no model");

    const std::set<std::string> entries = folderEntries();
    const u32 children = root()->getChildren().getSize();
    const u32 archives = files()->getFileArchiveCount();
    using sorn::SceneRefusal;
    // Each refusal says why; None is a file the file check refused and told
    // of itself (a damaged model, when the loaders are left to it).
    struct Input {
        const char* path;
        std::set<SceneRefusal> why;
        const char* detail = "";
    };
    const std::set<SceneRefusal> damaged = {SceneRefusal::NothingLoaded, SceneRefusal::None};
    const Input inputs[] = {
        {"truncated.irr", {SceneRefusal::NotAScene}},   {"almost.irr", {SceneRefusal::NotAScene}},
        {"empty.irr", {SceneRefusal::NotAScene}},       {"garbage.irr", {SceneRefusal::NotAScene}},
        {"garbage.zip", {SceneRefusal::NotAnArchive}},  {"garbage.pk3", {SceneRefusal::NotAnArchive}},
        {"garbage.md2", damaged},                       {"garbage.b3d", damaged},
        {"garbage.obj", damaged},                       {"garbage.3ds", damaged},
        {"scene", {SceneRefusal::NoLoader}, "scene"},   {"model.tar.gz", {SceneRefusal::NoLoader}, ".gz"},
        {"notes.TXT", {SceneRefusal::NoLoader}, ".txt"}, {"other.irr", {SceneRefusal::NotAScene}},
        {"enormous.irr", {SceneRefusal::NotAScene}},    {"folder.irr", {SceneRefusal::NotAFile}},
        {"folder.md2", {SceneRefusal::NotAFile}},       {"folder.zip", {SceneRefusal::NotAFile}},
        {"pipe.md2", {SceneRefusal::NotAFile}},         {"missing.irr", {SceneRefusal::Missing}},
        {"missing.md2", {SceneRefusal::Missing}},       {"missing.pk3", {SceneRefusal::Missing}},
        {"", {SceneRefusal::Unreadable}},
    };
    for (const Input& input : inputs) {
        for (bool animated : {false, true}) {
            sorn::FileRefusal why;
            EXPECT_FALSE(openFile(input.path, animated, &why)) << input.path;
            EXPECT_EQ(input.why.count(why.refusal), 1u) << input.path << ": " << static_cast<int>(why.refusal);
            if (*input.detail)
                EXPECT_EQ(why.detail, input.detail) << input.path;
            EXPECT_EQ(root()->getChildren().getSize(), children) << input.path;
            EXPECT_EQ(files()->getFileArchiveCount(), archives) << input.path;
        }
    }
    EXPECT_EQ(sorn::openableFileRefusal("enormous.irr").detail, "> 512 MiB");
    EXPECT_EQ(folderEntries(), entries) << "opening writes nothing";
    if (geteuid() != 0) {
        fs::copy_file(scene, dir.file("locked.irr"));
        ::chmod(dir.file("locked.irr").c_str(), 0);
        sorn::FileRefusal why;
        EXPECT_FALSE(openFile("locked.irr", false, &why));
        EXPECT_EQ(why.refusal, SceneRefusal::NoAccess);
        EXPECT_EQ(why.detail, "Permission denied") << "the system's reason";
        EXPECT_EQ(root()->getChildren().getSize(), children);
    }
    // A name the system cannot take: its own reason is told.
    const sorn::FileRefusal tooLong = sorn::readableFileRefusal(files(), std::string(5000, 'a') + ".obj");
    EXPECT_EQ(tooLong.refusal, SceneRefusal::NoAccess);
    EXPECT_EQ(tooLong.detail, "File name too long");
    // The same complete scene still opens.
    EXPECT_TRUE(openFile(scene, false));
}

TEST_F(NullDeviceTest, OpenSceneDialogReplacesUserNodesAndMovesToTheScenesFolder) {
    scene::ISceneNode* editorNode = smgr()->addEmptySceneNode();
    editorNode->setName("Sorn::Grid");
    editorNode->setIsDebugObject(true);
    scene::ISceneNode* userNode = smgr()->addCubeSceneNode();
    editor.selectedNode = userNode;
    fs::create_directory(dir.file("sc\xC3\xA8nes"));
    const std::string scene = unpackMedia("example.irr.gz", "sc\xC3\xA8nes/level.irr");

    // The dialog reports a name relative to where the user started from.
    sorn::openSceneFromDialog(core::stringw(L"sc\u00E8nes/level.irr"));
    EXPECT_EQ(editor.selectedNode, nullptr);
    EXPECT_TRUE(editor.sceneViewRefresh.pending);
    EXPECT_TRUE(editor.nameIndexRefresh.pending);
    EXPECT_EQ(files()->getWorkingDirectory(), io::path(dir.file("sc\xC3\xA8nes").c_str()));
    ASSERT_NE(smgr()->getSceneNodeFromName("sphere"), nullptr) << "the scene opened after the move";

    smgr()->drawAll(); // performs the queued deletions
    EXPECT_EQ(smgr()->getSceneNodeFromName("Sorn::Grid"), editorNode);
    EXPECT_EQ(smgr()->getSceneNodeFromType(scene::ESNT_CUBE)->getChildren().getSize(), 1u)
        << "only the scene's cube (with its sphere) is left";
    EXPECT_EQ(root()->getChildren().getSize(), 1u + 5u);
}

TEST_F(NullDeviceTest, AddModelDialogAddsANodeAndAsksForTheNameIndex) {
    const std::string model = unpackMedia("ninja.b3d.gz", "n\xC3\xAFnja.b3d");
    editor.selectedNode = smgr()->addEmptySceneNode();
    const u32 children = root()->getChildren().getSize();
    sorn::addModelFromDialog(sorn::widePath(model), true);
    EXPECT_EQ(editor.selectedNode, nullptr);
    EXPECT_TRUE(editor.nameIndexRefresh.pending);
    ASSERT_EQ(root()->getChildren().getSize(), children + 1);
    EXPECT_STREQ(lastChild()->getName(), "n\xEFnja.b3d") << "one byte a character, as the scene box shows names";
    EXPECT_EQ(lastChild()->getType(), scene::ESNT_ANIMATED_MESH);

    sorn::addModelFromDialog(core::stringw(L"nothing-here.b3d"), false);
    EXPECT_EQ(root()->getChildren().getSize(), children + 1);
}

} // namespace
