#include "BenchScene.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/EditorState.h"
#include "startup/Startup.h"

using namespace irr;

namespace bench {

QuietStdout::QuietStdout() {
    std::fflush(stdout);
    saved_ = ::dup(1);
    const int null = ::open("/dev/null", O_WRONLY);
    if (null >= 0) {
        ::dup2(null, 1);
        ::close(null);
    }
}

QuietStdout::~QuietStdout() {
    std::fflush(stdout);
    if (saved_ >= 0) {
        ::dup2(saved_, 1);
        ::close(saved_);
    }
}

IrrlichtDevice* nullDevice() {
    QuietStdout quiet; // the engine's greeting comes before its log level can be set
    IrrlichtDevice* device = createDevice(video::EDT_NULL, core::dimension2du(1000, 750));
    device->getLogger()->setLogLevel(ELL_NONE);
    return device;
}

std::vector<scene::ISceneNode*> addCubes(scene::ISceneManager* smgr, int count, Shape shape,
                                         scene::ISceneNode* parent) {
    std::vector<scene::ISceneNode*> nodes;
    nodes.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        scene::ISceneNode* under = shape == Nested && i >= 10 ? nodes[static_cast<size_t>(i / 10 - 1)] : parent;
        scene::ISceneNode* cube = smgr->addCubeSceneNode(10.f, under);
        cube->setName("Cube");
        nodes.push_back(cube);
    }
    return nodes;
}

void addVariedCubes(scene::ISceneManager* smgr, int count) {
    for (int i = 0; i < count; ++i)
        smgr->addCubeSceneNode(10.f + i % 7, nullptr, -1, core::vector3df(i * 1.5f, -i * 0.25f, i % 100 * 3.125f),
                               core::vector3df(i % 360 * 1.5f, 0.5f, 0.f));
}

EditorStateOn::EditorStateOn(IrrlichtDevice* device) {
    sorn::editor.device = device;
    sorn::editor.sceneManager = device->getSceneManager();
    sorn::editor.rootNode = device->getSceneManager()->getRootSceneNode();
}

EditorStateOn::~EditorStateOn() {
    sorn::editor.device = nullptr;
    sorn::editor.sceneManager = nullptr;
    sorn::editor.rootNode = nullptr;
}

NullDriverEditor::NullDriverEditor() {
    QuietStdout quiet;
    if (::chdir(SORN_RUNTIME_DIR) != 0)
        return;
    char name[] = "sorn-editor";
    char* argv[] = {name, nullptr};
    ok_ = sorn::startEditor(1, argv, video::EDT_NULL, &receiver_);
}

NullDriverEditor::~NullDriverEditor() {
    QuietStdout quiet;
    sorn::shutdownEditor();
}

void NullDriverEditor::passes(int n) {
    for (int i = 0; i < n; ++i)
        sorn::runFramePass(true, true);
}

void NullDriverEditor::mouse(EMOUSE_INPUT_EVENT type, s32 x, s32 y) {
    SEvent event;
    event.EventType = EET_MOUSE_INPUT_EVENT;
    event.MouseInput.Event = type;
    event.MouseInput.X = x;
    event.MouseInput.Y = y;
    event.MouseInput.Wheel = 0.f;
    event.MouseInput.Shift = event.MouseInput.Control = false;
    event.MouseInput.ButtonStates = type == EMIE_LMOUSE_PRESSED_DOWN ? EMBSM_LEFT : 0;
    sorn::editor.device->postEventFromUser(event);
}

void NullDriverEditor::click(s32 x, s32 y) {
    mouse(EMIE_MOUSE_MOVED, x, y);
    mouse(EMIE_LMOUSE_PRESSED_DOWN, x, y);
    mouse(EMIE_LMOUSE_LEFT_UP, x, y);
}

void NullDriverEditor::key(EKEY_CODE code) {
    SEvent event;
    event.EventType = EET_KEY_INPUT_EVENT;
    event.KeyInput.Key = code;
    event.KeyInput.Char = 0;
    event.KeyInput.Shift = event.KeyInput.Control = false;
    event.KeyInput.PressedDown = true;
    sorn::editor.device->postEventFromUser(event);
    event.KeyInput.PressedDown = false;
    sorn::editor.device->postEventFromUser(event);
}

TempFolder::TempFolder() {
    char pattern[] = "/tmp/sorn-bench-XXXXXX";
    path_ = ::mkdtemp(pattern) ? pattern : "/tmp";
}

TempFolder::~TempFolder() {
    for (const std::string& name : files_)
        std::remove(name.c_str());
    if (path_ != "/tmp")
        ::rmdir(path_.c_str());
}

std::string TempFolder::file(const std::string& name) {
    files_.push_back(path_ + "/" + name);
    return files_.back();
}

double fileMegabytes(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? static_cast<double>(status.st_size) / 1e6 : 0.0;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

} // namespace bench
