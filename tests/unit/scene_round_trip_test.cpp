// A scene written by the engine itself, holding every kind of node the engine
// writes, nested, with animators of every kind, several materials and custom
// properties of every attribute type, opened through the editor's open path,
// left drawing for a while and saved through its save path: the saved file
// holds everything the original does, node by node and value by value. The
// engine's own load and save of the same file is compared too, to show what
// the editor has to give back that the engine alone loses.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "app/GuiIds.h"
#include "app/TextConvert.h"
#include "events/ClipboardCommands.h"
#include "events/SaveWindow.h"
#include "events/SceneFileCommands.h"
#include "files/SceneSave.h"
#include "scene/AnimationPlayback.h"
#include "scene/TextNodeData.h"
#include "support/EditorFixture.h"

using namespace irr;
using sorn::editor;

namespace {

const std::string kEngineMedia = SORN_IRRLICHT_MEDIA;

// Copies a file of the engine's media into folder, unpacking a gzipped one
// with the engine's own gzip reader.
std::string copyMedia(IrrlichtDevice* device, const std::string& name, const std::string& folder) {
    io::IFileSystem* files = device->getFileSystem();
    const bool packed = name.size() > 3 && name.compare(name.size() - 3, 3, ".gz") == 0;
    const std::string inner = packed ? name.substr(0, name.size() - 3) : name;
    if (packed)
        files->addFileArchive((kEngineMedia + "/" + name).c_str(), false, true, io::EFAT_GZIP);
    io::IReadFile* in = files->createAndOpenFile(packed ? inner.c_str() : (kEngineMedia + "/" + name).c_str());
    std::string bytes;
    if (in) {
        bytes.resize(static_cast<size_t>(in->getSize()));
        in->read(&bytes[0], static_cast<u32>(bytes.size()));
        in->drop();
    }
    if (packed)
        files->removeFileArchive(files->getFileArchiveCount() - 1);
    sorn::test::writeFile(folder + "/" + inner, bytes);
    return inner;
}

// Custom properties of every attribute type the engine writes, as game code
// and exporters keep them in a node's user data.
io::IAttributes* everyKindOfUserData(io::IFileSystem* files, video::IVideoDriver* driver, u32 serial) {
    io::IAttributes* data = files->createEmptyAttributes(driver);
    data->addInt("spawnPoint", static_cast<s32>(serial));
    data->addFloat("weight", 0.25f * static_cast<f32>(serial));
    data->addString("trigger", "door_open");
    data->addString("note", L"R&D x<y \"quoted\" 'single'");
    data->addString("caption", L"Lumi\u00E8re \u20AC \u03A9 \U0001F3AE");
    data->addBool("OccludesLight", serial % 2 == 0);
    const char* const kinds[] = {"small", "large", nullptr};
    data->addEnum("size", "large", kinds);
    data->addColor("tint", video::SColor(255, 10, 20, static_cast<u32>(serial)));
    data->addColorf("glow", video::SColorf(0.5f, 0.25f, 0.125f, 1.f));
    data->addVector3d("offset", core::vector3df(1.5f, -2.f, static_cast<f32>(serial)));
    data->addPosition2d("cell", core::position2di(3, -4));
    data->addRect("area", core::rect<s32>(1, 2, 30, 40));
    data->addDimension2d("extent", core::dimension2du(64, 32));
    core::matrix4 matrix;
    matrix.setRotationDegrees(core::vector3df(10, 20, 30));
    data->addMatrix("frame", matrix);
    data->addQuaternion("turn", core::quaternion(0.f, 0.7071068f, 0.f, 0.7071068f));
    data->addBox3d("bounds", core::aabbox3df(-1, -2, -3, 4, 5, 6));
    data->addPlane3d("floor", core::plane3df(core::vector3df(0, 1, 0), core::vector3df(0, 1, 0)));
    data->addTriangle3d("face", core::triangle3df(core::vector3df(0, 0, 0), core::vector3df(1, 0, 0),
                                                core::vector3df(0, 1, 0)));
    data->addLine2d("edge", core::line2df(0, 0, 5, 5));
    data->addVector2d("uv", core::vector2df(0.5f, 0.75f));
    data->addLine3d("ray", core::line3df(0, 0, 0, 1, 2, 3));
    core::array<core::stringw> tags;
    tags.push_back(L"enemy");
    tags.push_back(L"boss");
    data->addArray("tags", tags);
    const char blob[] = {1, 2, 3, 127, 0, 42};
    data->addBinary("blob", const_cast<char*>(blob), sizeof blob);
    return data;
}

// Writes every node's custom properties on save (all but the nodes named
// "bare"), and keeps those read on load to write them again.
class EveryKindOfUserData : public scene::ISceneUserDataSerializer {
public:
    EveryKindOfUserData(io::IFileSystem* files, video::IVideoDriver* driver) : files_(files), driver_(driver) {}
    ~EveryKindOfUserData() override {
        for (auto& read : read_)
            read.second->drop();
    }
    void OnCreateNode(scene::ISceneNode*) override {}
    void OnReadUserData(scene::ISceneNode* node, io::IAttributes* data) override {
        core::stringw decoded;
        for (u32 i = 0; decodeUtf8_ && i < data->getAttributeCount(); ++i)
            if (data->getAttributeType(i) == io::EAT_STRING &&
                sorn::decodeUtf8Bytes(data->getAttributeAsStringW(i), decoded))
                data->setAttribute(static_cast<s32>(i), decoded.c_str());
        data->grab();
        read_[node] = data;
    }
    io::IAttributes* createUserData(scene::ISceneNode* node) override {
        auto found = read_.find(node);
        if (found != read_.end()) {
            found->second->grab();
            return found->second;
        }
        if (!writing_ || core::stringc(node->getName()) == "bare")
            return nullptr;
        return everyKindOfUserData(files_, driver_, ++serial_);
    }
    bool writing_ = true;
    bool decodeUtf8_ = false; // texts read from an 8-bit file, as the editor decodes them

private:
    io::IFileSystem* files_;
    video::IVideoDriver* driver_;
    std::map<scene::ISceneNode*, io::IAttributes*> read_;
    u32 serial_ = 0;
};

void addAnimator(scene::ISceneNode* node, scene::ISceneNodeAnimator* animator) {
    node->addAnimator(animator);
    animator->drop();
}

// The scene: every kind of node the engine writes, nested three deep in
// places, with animators of every kind the engine reads back.
void buildEveryKindOfNode(IrrlichtDevice* device, const std::string& folder) {
    scene::ISceneManager* smgr = device->getSceneManager();
    video::IVideoDriver* driver = device->getVideoDriver();
    // A model of three parts, each with a material of its own.
    sorn::test::writeFile(folder + "/parts.mtl",
                          "newmtl red\nKd 1 0 0\nnewmtl green\nKd 0 1 0\nnewmtl blue\nKd 0 0 1\n");
    sorn::test::writeFile(folder + "/parts.obj",
                          "mtllib parts.mtl\nv 0 0 0\nv 10 0 0\nv 0 10 0\nv 0 0 10\nvn 0 0 1\n"
                          "usemtl red\nf 1//1 2//1 3//1\nusemtl green\nf 1//1 3//1 4//1\n"
                          "usemtl blue\nf 1//1 4//1 2//1\n");
    const std::string room = "parts.obj";
    const std::string sydney = copyMedia(device, "sydney.md2.gz", folder);
    const std::string wall = copyMedia(device, "wall.jpg", folder);
    const std::string stones = copyMedia(device, "stones.jpg", folder);
    const std::string height = copyMedia(device, "terrain-heightmap.bmp.gz", folder);
    const std::string dome = copyMedia(device, "skydome.jpg", folder);
    const char* const faces[] = {"irrlicht2_up.jpg", "irrlicht2_dn.jpg", "irrlicht2_lf.jpg",
                                 "irrlicht2_rt.jpg", "irrlicht2_ft.jpg", "irrlicht2_bk.jpg"};
    for (const char* face : faces)
        copyMedia(device, face, folder);
    video::ITexture* wallTexture = driver->getTexture(wall.c_str());
    video::ITexture* stonesTexture = driver->getTexture(stones.c_str());

    scene::ISceneNode* group = smgr->addEmptySceneNode(nullptr, 7);
    group->setName("R&D");
    group->setPosition(core::vector3df(10, 0, -5));
    scene::ISceneNode* dummy = smgr->addDummyTransformationSceneNode(group);
    dummy->setName("x<y");

    scene::IMeshSceneNode* cube = smgr->addCubeSceneNode(12.f, dummy, 3, core::vector3df(1, 2, 3),
                                                         core::vector3df(0, 45, 0), core::vector3df(2, 2, 2));
    cube->setName("turning cube");
    cube->setMaterialTexture(0, wallTexture);
    cube->setMaterialFlag(video::EMF_LIGHTING, false);
    addAnimator(cube, smgr->createRotationAnimator(core::vector3df(0, 1.5f, 0)));

    scene::IMeshSceneNode* sphere = smgr->addSphereSceneNode(7.f, 24, group, -1, core::vector3df(-30, 5, 0));
    sphere->setName("orbiting sphere");
    core::array<core::vector3df> points;
    points.push_back(core::vector3df(0, 0, 0));
    points.push_back(core::vector3df(50, 10, 0));
    points.push_back(core::vector3df(50, 10, 50));
    addAnimator(sphere, smgr->createFollowSplineAnimator(0, points, 1.f, 0.5f, true, false));

    scene::IAnimatedMesh* roomMesh = smgr->getMesh(room.c_str());
    ASSERT_NE(roomMesh, nullptr);
    scene::IMeshSceneNode* mesh = smgr->addMeshSceneNode(roomMesh->getMesh(0), nullptr, -1,
                                                         core::vector3df(0, -50, 0));
    mesh->setName("parts");
    ASSERT_EQ(mesh->getMaterialCount(), 3u) << "the model should have three materials";
    mesh->getMaterial(1).setTexture(0, stonesTexture);
    mesh->getMaterial(1).Shininess = 20.f;
    scene::IMeshSceneNode* octree = smgr->addOctreeSceneNode(roomMesh->getMesh(0), mesh, -1, 256);
    octree->setName("parts octree");
    octree->setScale(core::vector3df(0.5f, 0.5f, 0.5f));

    scene::IAnimatedMesh* sydneyMesh = smgr->getMesh(sydney.c_str());
    ASSERT_NE(sydneyMesh, nullptr);
    scene::IAnimatedMeshSceneNode* animated =
        smgr->addAnimatedMeshSceneNode(sydneyMesh, nullptr, -1, core::vector3df(40, 0, 40));
    animated->setName("running sydney");
    animated->setFrameLoop(40, 46);
    animated->setAnimationSpeed(15.f);
    animated->setLoopMode(false);

    scene::ILightSceneNode* point = smgr->addLightSceneNode(nullptr, core::vector3df(0, 80, 0),
                                                            video::SColorf(1.f, 0.5f, 0.25f), 300.f);
    point->setName("circling light");
    addAnimator(point, smgr->createFlyCircleAnimator(core::vector3df(0, 80, 0), 40.f, 0.002f));
    scene::ILightSceneNode* spot = smgr->addLightSceneNode(group, core::vector3df(0, 30, 0));
    spot->setName("spot");
    video::SLight& spotData = spot->getLightData();
    spotData.Type = video::ELT_SPOT;
    spotData.InnerCone = 15.f;
    spotData.OuterCone = 40.f;
    spotData.Falloff = 3.f;

    scene::ICameraSceneNode* camera = smgr->addCameraSceneNode(nullptr, core::vector3df(0, 20, -80),
                                                               core::vector3df(0, 0, 0), -1, false);
    camera->setName("game camera");
    camera->setFOV(1.1f);
    scene::IBillboardSceneNode* marker = smgr->addBillboardSceneNode(camera, core::dimension2df(8, 4),
                                                                     core::vector3df(0, 0, 20));
    marker->setName("marker");
    addAnimator(marker, smgr->createFlyStraightAnimator(core::vector3df(0, 0, 20), core::vector3df(0, 40, 20),
                                                        3000, true, true));
    core::array<video::ITexture*> frames;
    frames.push_back(wallTexture);
    frames.push_back(stonesTexture);
    addAnimator(marker, smgr->createTextureAnimator(frames, 250, true));

    scene::IParticleSystemSceneNode* fountain = smgr->addParticleSystemSceneNode(false, group);
    fountain->setName("fountain");
    scene::IParticleEmitter* box = fountain->createBoxEmitter(
        core::aabbox3df(-5, 0, -5, 5, 1, 5), core::vector3df(0, 0, 0), 500, 600, video::SColor(255, 0, 0, 0),
        video::SColor(255, 255, 255, 255), 800, 2000, 10);
    fountain->setEmitter(box);
    box->drop();
    scene::IParticleAffector* affectors[] = {
        fountain->createFadeOutParticleAffector(video::SColor(0, 10, 20, 30), 700),
        fountain->createGravityAffector(core::vector3df(0, -0.05f, 0), 900),
        fountain->createRotationAffector(core::vector3df(5, 10, 15), core::vector3df(1, 2, 3)),
        fountain->createAttractionAffector(core::vector3df(0, 50, 0), 3.f, false, true, false, true),
        fountain->createScaleParticleAffector(core::dimension2df(2.f, 3.f)),
    };
    for (scene::IParticleAffector* affector : affectors) {
        fountain->addAffector(affector);
        affector->drop();
    }
    fountain->setMaterialFlag(video::EMF_LIGHTING, false);
    scene::IParticleSystemSceneNode* ring = smgr->addParticleSystemSceneNode(false, nullptr);
    ring->setName("ring");
    scene::IParticleEmitter* ringEmitter = ring->createRingEmitter(
        core::vector3df(0, 0, 0), 12.5f, 2.25f, core::vector3df(0, 0.02f, 0), 5, 10);
    ring->setEmitter(ringEmitter);
    ringEmitter->drop();

    scene::ISceneNode* sky = smgr->addSkyBoxSceneNode(driver->getTexture(faces[0]), driver->getTexture(faces[1]),
                                                      driver->getTexture(faces[2]), driver->getTexture(faces[3]),
                                                      driver->getTexture(faces[4]), driver->getTexture(faces[5]));
    sky->setName("sky");
    scene::ISceneNode* skyDome = smgr->addSkyDomeSceneNode(driver->getTexture(dome.c_str()), 12, 6, 0.9f, 2.f, 800.f);
    skyDome->setName("dome");
    skyDome->setVisible(false);

    scene::ITerrainSceneNode* terrain = smgr->addTerrainSceneNode(height.c_str(), nullptr, -1,
                                                                  core::vector3df(-500, -100, -500),
                                                                  core::vector3df(0, 0, 0), core::vector3df(4, 0.5f, 4));
    ASSERT_NE(terrain, nullptr);
    terrain->setName("ground");
    terrain->setMaterialTexture(0, stonesTexture);
    terrain->scaleTexture(2.f, 8.f);

    scene::IMesh* plane = smgr->getGeometryCreator()->createHillPlaneMesh(
        core::dimension2df(20, 20), core::dimension2du(8, 8), nullptr, 0.f, core::dimension2df(0, 0),
        core::dimension2df(4, 4));
    // Written as a model file of its own, as a scene's water would come.
    scene::IMeshWriter* objWriter = smgr->createMeshWriter(scene::EMWT_OBJ);
    io::IWriteFile* lakeFile = device->getFileSystem()->createAndWriteFile((folder + "/lake.obj").c_str());
    ASSERT_TRUE(objWriter && lakeFile && objWriter->writeMesh(lakeFile, plane));
    lakeFile->drop();
    objWriter->drop();
    plane->drop();
    scene::IAnimatedMesh* lake = smgr->getMesh("lake.obj");
    ASSERT_NE(lake, nullptr);
    scene::ISceneNode* water = smgr->addWaterSurfaceSceneNode(lake->getMesh(0), 3.f, 250.f, 12.f, nullptr, -1,
                                                              core::vector3df(0, -40, 0));
    water->setName("lake");

    scene::IVolumeLightSceneNode* volume = smgr->addVolumeLightSceneNode(
        group, -1, 12, 24, video::SColor(128, 255, 10, 20), video::SColor(200, 10, 20, 30),
        core::vector3df(7.25f, 0, 0));
    volume->setName("faisceau \xE9" "clair\xE9");

    scene::ISceneNode* doomed = smgr->addEmptySceneNode(group);
    doomed->setName("bare");
    addAnimator(doomed, smgr->createDeleteAnimator(100));
}

// One element of a saved scene, with where it is: the node path (indices
// among siblings) and the block it sits in.
struct Element {
    std::string place;
    std::string kind;
    std::string name;
    std::string value;
};

// A scene file's text as UTF-8, whatever its encoding: a byte-order mark
// tells UTF-32 (the engine's 8-bit text in it widened with the sign) and
// UTF-16; 8-bit text is one character a byte, as the engine's reader reads it.
std::string textOf(const std::string& bytes) {
    auto byte = [&](size_t i) { return static_cast<unsigned long>(static_cast<unsigned char>(bytes[i])); };
    std::string out;
    if (bytes.size() >= 4 && bytes.compare(0, 4, std::string("\xFF\xFE\0\0", 4)) == 0) {
        for (size_t i = 4; i + 3 < bytes.size(); i += 4)
            sorn::appendUtf8(out, byte(i + 3) == 0xFF ? byte(i) : byte(i) | byte(i + 1) << 8 | byte(i + 2) << 16);
    } else if (bytes.size() >= 2 && (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0)) {
        const bool little = bytes[0] == '\xFF';
        for (size_t i = 2; i + 1 < bytes.size(); i += 2)
            sorn::appendUtf8(out, little ? byte(i) | byte(i + 1) << 8 : byte(i) << 8 | byte(i + 1));
    } else {
        for (size_t i = bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0; i < bytes.size(); ++i)
            sorn::appendUtf8(out, byte(i));
    }
    return out;
}

std::string withoutEntities(const std::string& text) {
    static const std::pair<const char*, char> entities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (const auto& entity : entities) {
            const size_t length = std::strlen(entity.first);
            if (text.compare(i, length, entity.first) == 0) {
                out += entity.second;
                i += length;
                replaced = true;
                break;
            }
        }
        if (!replaced)
            out += text[i++];
    }
    return out;
}

// One tag of the file: its name, whether it closes an element or is empty,
// and its attributes.
struct Tag {
    std::string name;
    bool closing = false;
    bool empty = false;
    std::map<std::string, std::string> attributes;
};

// The tags of an engine-written file in order (declarations and comments
// skipped), read by the test itself: the engine's own reader cuts values.
std::vector<Tag> tagsOf(const std::string& text) {
    std::vector<Tag> tags;
    for (size_t at = text.find('<'); at != std::string::npos; at = text.find('<', at + 1)) {
        if (text.compare(at, 2, "<?") == 0 || text.compare(at, 4, "<!--") == 0)
            continue;
        const size_t end = text.find('>', at);
        if (end == std::string::npos)
            break;
        Tag tag;
        size_t i = at + 1;
        if (text[i] == '/') {
            tag.closing = true;
            ++i;
        }
        while (i < end && !std::isspace(static_cast<unsigned char>(text[i])) && text[i] != '/')
            tag.name += text[i++];
        while (i < end) {
            while (i < end && (std::isspace(static_cast<unsigned char>(text[i])) || text[i] == '/'))
                tag.empty = text[i++] == '/' || tag.empty;
            const size_t equals = text.find('=', i);
            if (i >= end || equals == std::string::npos || equals > end)
                break;
            const size_t open = text.find('"', equals);
            const size_t close = text.find('"', open + 1);
            tag.attributes[text.substr(i, equals - i)] = withoutEntities(text.substr(open + 1, close - open - 1));
            i = close + 1;
        }
        tags.push_back(tag);
        at = end;
    }
    return tags;
}

// Every element of the scene file in order, with its place in the scene.
std::vector<Element> elementsOf(const std::string& path) {
    std::vector<Element> elements;
    std::vector<int> childCount{0};
    std::vector<std::string> places{""};
    std::string block;
    for (const Tag& tag : tagsOf(textOf(sorn::test::readFile(path)))) {
        const std::string& element = tag.name;
        if (!tag.closing) {
            if (element == "node") {
                const int index = childCount.back()++;
                places.push_back(places.back() + "/" + std::to_string(index) + ":" + tag.attributes.at("type"));
                childCount.push_back(0);
                block.clear();
                if (tag.empty) {
                    places.pop_back();
                    childCount.pop_back();
                }
                continue;
            }
            if (element == "attributes" || element == "materials" || element == "animators" ||
                element == "userData") {
                if (element != "attributes" || block.empty() || block == "attributes")
                    block = element;
                continue;
            }
            if (element == "irr_scene")
                continue;
            auto name = tag.attributes.find("name");
            auto value = tag.attributes.find("value");
            elements.push_back({places.back() + " " + block, element,
                                name == tag.attributes.end() ? "" : name->second,
                                value == tag.attributes.end() ? "" : value->second});
        } else if (element == "node") {
            places.pop_back();
            childCount.pop_back();
            block.clear();
        } else if (element == "materials" || element == "animators" || element == "userData") {
            block = "attributes";
        }
    }
    return elements;
}

// The characters a text spells when its characters are taken as bytes of
// UTF-8 (as the editor reads names and custom texts of an 8-bit file), or "".
std::string spelledUtf8(const std::string& text) {
    core::stringw bytes, characters, spelled;
    for (unsigned char c : text)
        bytes.append(static_cast<wchar_t>(c));
    if (!sorn::decodeUtf8Bytes(bytes, characters))
        characters = bytes; // plain ASCII
    std::string out;
    if (sorn::decodeUtf8Bytes(characters, spelled))
        for (u32 i = 0; i < spelled.size(); ++i)
            sorn::appendUtf8(out, static_cast<std::uint32_t>(spelled[i]));
    return out;
}

// Values are equal when their texts are, or one is the other spelled in UTF-8
// (an 8-bit file's names and custom texts), or when both are lists of numbers
// equal within the six decimals the engine prints.
bool sameValue(const std::string& a, const std::string& b) {
    const std::string aSpells = spelledUtf8(a), bSpells = spelledUtf8(b);
    if (a == b || (!aSpells.empty() && aSpells == b) || (!bSpells.empty() && bSpells == a))
        return true;
    const char* pa = a.c_str();
    const char* pb = b.c_str();
    while (*pa && *pb) {
        char* endA = nullptr;
        char* endB = nullptr;
        const double x = std::strtod(pa, &endA);
        const double y = std::strtod(pb, &endB);
        if (endA == pa || endB == pb)
            return false;
        if (std::fabs(x - y) > 2e-6 * (1.0 + std::fabs(x)))
            return false;
        pa = endA;
        pb = endB;
        while (*pa == ',' || *pa == ' ')
            ++pa;
        while (*pb == ',' || *pb == ' ')
            ++pb;
    }
    return *pa == *pb;
}

std::string describe(const Element& e) { return e.place + " <" + e.kind + " " + e.name + "=\"" + e.value + "\">"; }

// The elements keyed by their place, kind, name and how many of the same
// key came before (materials and affectors repeat names), in file order.
std::vector<std::pair<std::string, const Element*>> keyed(const std::vector<Element>& elements) {
    std::map<std::string, int> seen;
    std::vector<std::pair<std::string, const Element*>> keys;
    for (const Element& e : elements) {
        const std::string key = e.place + " <" + e.kind + " " + e.name + ">";
        keys.push_back({key + " #" + std::to_string(seen[key]++), &e});
    }
    return keys;
}

// What differs between two scene files, one line per difference (at most 60):
// values that changed, elements missing and elements added.
std::vector<std::string> differences(const std::vector<Element>& expected, const std::vector<Element>& actual) {
    std::vector<std::string> found;
    std::map<std::string, const Element*> actualByKey;
    for (const auto& entry : keyed(actual))
        actualByKey[entry.first] = entry.second;
    std::map<std::string, bool> matched;
    for (const auto& entry : keyed(expected)) {
        auto other = actualByKey.find(entry.first);
        if (other == actualByKey.end()) {
            found.push_back("missing: " + describe(*entry.second));
            continue;
        }
        matched[entry.first] = true;
        if (!sameValue(entry.second->value, other->second->value))
            found.push_back(describe(*entry.second) + " came back as \"" + other->second->value + "\"");
    }
    for (const auto& entry : keyed(actual))
        if (!matched.count(entry.first))
            found.push_back("added: " + describe(*entry.second));
    if (found.size() > 60)
        found.resize(60);
    return found;
}

bool anyDifferenceMentions(const std::vector<std::string>& found, const std::string& word) {
    for (const std::string& line : found)
        if (line.find(word) != std::string::npos)
            return true;
    return false;
}

class SceneRoundTripTest : public sorn::test::EditorTest {
protected:
    // Writes the scene with the engine on a device of its own, and the
    // engine's own load and save of it beside.
    void writeEngineFiles() {
        IrrlichtDevice* device = createDevice(video::EDT_NULL);
        ASSERT_NE(device, nullptr);
        device->getFileSystem()->changeWorkingDirectoryTo(folder.path().c_str());
        buildEveryKindOfNode(device, folder.path());
        EveryKindOfUserData writer(device->getFileSystem(), device->getVideoDriver());
        ASSERT_TRUE(device->getSceneManager()->saveScene(original.c_str(), &writer));
        device->drop();

        // The engine alone: load and save again, keeping the custom properties.
        IrrlichtDevice* again = createDevice(video::EDT_NULL);
        again->getFileSystem()->changeWorkingDirectoryTo(folder.path().c_str());
        {
            EveryKindOfUserData keeper(again->getFileSystem(), again->getVideoDriver());
            keeper.writing_ = false;
            ASSERT_TRUE(again->getSceneManager()->loadScene(original.c_str(), &keeper));
            ASSERT_TRUE(again->getSceneManager()->saveScene(engineSaved.c_str(), &keeper));
            again->getSceneManager()->clear();
        }
        again->drop();
    }

    // Frames pass with the clock moving on (animators, particles and meshes
    // run), then the save: what it lost of the opened file, a line each.
    std::string framesThenSave(int frames) {
        ITimer* timer = editor.device->getTimer();
        for (int i = 0; i < frames; ++i) {
            timer->setTime(timer->getTime() + 250);
            activePasses(1);
        }
        if (!sorn::saveSceneFile(editorSaved, sorn::textNodeUserData()))
            return "the save failed";
        std::string report;
        for (const std::string& line : differences(opened, elementsOf(editorSaved)))
            report += "\n  " + line;
        return report;
    }

    sorn::test::TempDir folder;
    std::vector<Element> opened; // the elements of the file the test opens
    std::string original = folder.file("exported.irr");
    std::string engineSaved = folder.file("engine-saved.irr");
    std::string editorSaved = folder.file("editor-saved.irr");
};

TEST_F(SceneRoundTripTest, OpenAndSaveKeepsEverythingAnEngineWrittenSceneHolds) {
    writeEngineFiles();
    opened = elementsOf(original);
    ASSERT_GT(opened.size(), 400u);

    scene::ICameraSceneNode* view = smgr()->getActiveCamera();
    sorn::openSceneFromDialog(original);
    // The scene's own camera does not take the editor's view.
    EXPECT_EQ(smgr()->getActiveCamera(), view);
    EXPECT_EQ(framesThenSave(40), "") << "the editor's save differs from the file it opened";
    // Saved while the animation plays, the file is the same.
    chooseMenuCommand(sorn::ids::CmdPlayAnimation);
    EXPECT_EQ(framesThenSave(20), "") << "saved while playing";

    // The engine alone loses what the editor must keep: this scene holds it.
    const std::vector<std::string> engineLost = differences(opened, elementsOf(engineSaved));
    for (const char* kept : {"Affector", "StartFrame", "MinParticlesPerSecond", "Direction", "R&D", "x<y",
                             "waterSurface attributes <string Mesh"})
        EXPECT_TRUE(anyDifferenceMentions(engineLost, kept)) << "the engine's own load and save keeps " << kept;
}

// The editor's save read by the engine's plain loadScene, as a game reads it,
// against the engine's own save of the same scene, each loaded on a device of
// its own and written again by the engine: every attribute of every node,
// material, animator and custom property is the same, names and a texture
// path beyond ASCII among them (custom texts come as the bytes of their
// UTF-8, which decode to the same text). The file is 8-bit text without a
// byte-order mark, at most 0.3 of the engine's size.
TEST_F(SceneRoundTripTest, TheEnginesLoaderReadsTheSaveAsItsOwnSave) {
    writeEngineFiles();
    sorn::openSceneFromDialog(original);
    activePasses(2);
    const std::string accented = "pierre\xC3\xA9.jpg"; // a file name in UTF-8
    sorn::test::writeFile(folder.file(accented), sorn::test::readFile(folder.file("stones.jpg")));
    scene::ISceneNode* sphere = smgr()->getSceneNodeFromName("orbiting sphere");
    ASSERT_NE(sphere, nullptr);
    sphere->setMaterialTexture(0, editor.device->getVideoDriver()->getTexture(folder.file(accented).c_str()));
    const std::string engineOwn = folder.file("engine-own.irr");
    ASSERT_TRUE(sorn::saveSceneFile(editorSaved, sorn::textNodeUserData()));
    {
        sorn::AuthoredSceneForSave authored; // as the editor's save writes it
        ASSERT_TRUE(smgr()->saveScene(engineOwn.c_str(), sorn::textNodeUserData()));
    }

    const std::string saved = sorn::test::readFile(editorSaved);
    EXPECT_EQ(saved.compare(0, 5, "<?xml"), 0);
    EXPECT_LE(static_cast<double>(saved.size()), 0.3 * static_cast<double>(sorn::test::readFile(engineOwn).size()));
    EXPECT_NE(saved.find("\"faisceau \xE9" "clair\xE9\""), std::string::npos) << "the name as its bytes";
    EXPECT_NE(saved.find("\"Lumi\xC3\xA8re \xE2\x82\xAC \xCE\xA9 \xF0\x9F\x8E\xAE\""), std::string::npos)
        << "the custom text in UTF-8";

    auto loadedAndWrittenAgain = [&](const std::string& file, bool eightBit) {
        const std::string again = file + ".again.irr";
        IrrlichtDevice* device = createDevice(video::EDT_NULL);
        device->getFileSystem()->changeWorkingDirectoryTo(folder.path().c_str());
        {
            EveryKindOfUserData keeper(device->getFileSystem(), device->getVideoDriver());
            keeper.writing_ = false;
            keeper.decodeUtf8_ = eightBit;
            EXPECT_TRUE(device->getSceneManager()->loadScene(file.c_str(), &keeper));
            EXPECT_TRUE(device->getSceneManager()->saveScene(again.c_str(), &keeper));
            device->getSceneManager()->clear();
        }
        device->drop();
        return elementsOf(again);
    };
    const std::vector<Element> fromEngine = loadedAndWrittenAgain(engineOwn, false);
    const std::vector<Element> fromEditor = loadedAndWrittenAgain(editorSaved, true);
    ASSERT_GT(fromEngine.size(), 400u);
    std::string report;
    for (const std::string& line : differences(fromEngine, fromEditor))
        report += "\n  " + line;
    EXPECT_EQ(report, "");
    for (const char* held : {"faisceau \xC3\xA9" "clair\xC3\xA9", "pierre\xC3\x83\xC2\xA9.jpg", "Lumi\xC3\xA8re \xE2\x82\xAC"}) {
        bool found = false;
        for (const Element& e : fromEditor)
            found = found || e.value.find(held) != std::string::npos;
        EXPECT_TRUE(found) << held << " is not in the scene as the engine read it";
    }
}

// Every node cut to the clipboard and pasted back: the saved file holds
// every value the opened one did (the nodes come back at the root's end, in
// their order, as they were).
TEST_F(SceneRoundTripTest, CutAndPasteKeepsEverythingAnEngineWrittenSceneHolds) {
    writeEngineFiles();
    opened = elementsOf(original);
    ASSERT_GT(opened.size(), 400u);
    sorn::openSceneFromDialog(original);
    activePasses(2);
    std::vector<scene::ISceneNode*> topmost;
    for (scene::ISceneNode* node : smgr()->getRootSceneNode()->getChildren())
        if (!node->isDebugObject())
            topmost.push_back(node);
    ASSERT_GT(topmost.size(), 1u);
    // A node listed with one it holds goes once, with the one that holds it.
    std::vector<scene::ISceneNode*> listed = topmost;
    for (scene::ISceneNode* child : topmost.front()->getChildren())
        listed.push_back(child);
    ASSERT_TRUE(sorn::cutNodes(listed));
    for (scene::ISceneNode* node : smgr()->getRootSceneNode()->getChildren())
        EXPECT_TRUE(node->isDebugObject()) << node->getName() << " was not cut";
    ASSERT_TRUE(sorn::pasteFromClipboard());
    EXPECT_EQ(framesThenSave(10), "") << "the pasted nodes differ from the file they were opened from";
}

// The engine's UTF-32 file as an exporter writes it: UTF-8 without a
// byte-order mark, with names and custom properties beyond ASCII.
std::string asExporterWritesIt(const std::string& utf32) {
    std::wstring text;
    for (size_t i = 4; i + 3 < utf32.size(); i += 4) {
        const unsigned long c = utf32[i + 3] == '\xFF'
                                    ? static_cast<unsigned char>(utf32[i])
                                    : static_cast<unsigned char>(utf32[i]) |
                                          static_cast<unsigned long>(static_cast<unsigned char>(utf32[i + 1])) << 8 |
                                          static_cast<unsigned long>(static_cast<unsigned char>(utf32[i + 2])) << 16;
        text += static_cast<wchar_t>(c);
    }
    std::string utf8;
    for (wchar_t c : text)
        sorn::appendUtf8(utf8, static_cast<std::uint32_t>(c));
    const std::pair<std::string, std::string> beyondAscii[] = {
        {"value=\"spot\"", "value=\"Caf\xC3\xA9 spot\""},
        {"value=\"door_open\"", "value=\"Zo\xC3\xAB\xE2\x80\x99s door\""},
    };
    for (const auto& change : beyondAscii)
        for (size_t at = utf8.find(change.first); at != std::string::npos;
             at = utf8.find(change.first, at + change.second.size()))
            utf8.replace(at, change.first.size(), change.second);
    return utf8;
}

TEST_F(SceneRoundTripTest, OpenAndSaveKeepsEverythingAnExporterWrittenSceneHolds) {
    writeEngineFiles();
    // Exporters write UTF-8 with or without its mark.
    for (const std::string mark : {std::string(), std::string("\xEF\xBB\xBF")}) {
        const std::string exported = folder.file("exported-utf8.irr");
        sorn::test::writeFile(exported, mark + asExporterWritesIt(sorn::test::readFile(original)));
        opened = elementsOf(exported);
        ASSERT_GT(opened.size(), 400u);

        sorn::openSceneFromDialog(exported);
        EXPECT_EQ(framesThenSave(10), "") << "the editor's save differs from the UTF-8 file it opened, mark "
                                          << mark.size();
    }
}

// Text read from an 8-bit scene: one character per byte.
core::stringw bytesOf(const std::string& text) {
    core::stringw units;
    for (unsigned char c : text)
        units.append(static_cast<wchar_t>(c));
    return units;
}

TEST(Utf8BytesTest, DecodesOnlyWellFormedUtf8BeyondAscii) {
    const struct {
        std::string bytes;
        bool decodes;
        std::wstring expected;
    } cases[] = {
        {"Caf\xC3\xA9", true, L"Caf\u00E9"},
        {"\xE2\x82\xAC 5", true, L"\u20AC 5"},
        {"\xF0\x9F\x8E\xAE", true, L"\U0001F3AE"},
        {"plain ascii", false, L""},
        {"", false, L""},
        {"Caf\xE9", false, L""},             // Latin-1, not UTF-8
        {"\xC3", false, L""},                // cut sequence
        {"\xC0\xAF", false, L""},           // overlong
        {"\xE0\x80\xAF", false, L""},      // overlong, three bytes
        {"\xED\xA0\x80", false, L""},      // a surrogate
        {"\xF4\x90\x80\x80", false, L""}, // past Unicode
        {"\xC3\x28", false, L""},           // a continuation missing
    };
    for (const auto& c : cases) {
        core::stringw decoded = L"untouched";
        EXPECT_EQ(sorn::decodeUtf8Bytes(bytesOf(c.bytes), decoded), c.decodes) << c.bytes;
        EXPECT_EQ(std::wstring(decoded.c_str()), c.decodes ? c.expected : std::wstring(L"untouched")) << c.bytes;
    }
    // A character above 0xFF means the text did not come from bytes.
    core::stringw decoded;
    EXPECT_FALSE(sorn::decodeUtf8Bytes(core::stringw(L"\u20AC\xC3\xA9"), decoded));
}

} // namespace
