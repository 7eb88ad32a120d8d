#pragma once
// What the benchmarks share: trace lines kept off the report, the editor
// started on the null driver from the build's runtime folder, scenes of n
// cubes (flat or nested), a temporary folder for written scenes, and the
// median of hand-interleaved rounds.
#include <benchmark/benchmark.h>
#include <irrlicht.h>

#include <chrono>
#include <string>
#include <vector>

#include "events/SornEventReceiver.h"

namespace bench {

// Standard output goes to /dev/null while one lives, so that trace lines
// neither cost terminal time nor break the report's table.
class QuietStdout {
public:
    QuietStdout();
    ~QuietStdout();
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int saved_ = -1;
};

// A bare engine device on the null driver, its log silenced.
irr::IrrlichtDevice* nullDevice();

enum Shape { Flat = 0, Nested = 1 };

// count cubes of size 10 named "Cube": all under parent (flat), or ten under
// parent and every further one under an earlier one, ten children each
// (nested). Null parent: the root.
std::vector<irr::scene::ISceneNode*> addCubes(irr::scene::ISceneManager* smgr, int count, Shape shape,
                                              irr::scene::ISceneNode* parent = nullptr);

// count cubes under the root with sizes, places and turns that differ from
// one to the next, as the open and save benchmarks write them.
void addVariedCubes(irr::scene::ISceneManager* smgr, int count);

// The editor's state pointed at a bare device's scene while one lives (the
// editor's file functions take the scene manager from there); empty after.
class EditorStateOn {
public:
    explicit EditorStateOn(irr::IrrlichtDevice* device);
    ~EditorStateOn();
    EditorStateOn(const EditorStateOn&) = delete;
    EditorStateOn& operator=(const EditorStateOn&) = delete;
};

// The whole editor started on the null driver from the build's runtime
// folder, as sorn-editor starts without arguments; shut down when it goes.
class NullDriverEditor {
public:
    NullDriverEditor();
    ~NullDriverEditor();
    NullDriverEditor(const NullDriverEditor&) = delete;
    NullDriverEditor& operator=(const NullDriverEditor&) = delete;

    bool ok() const { return ok_; }
    // n active frame passes, as the frame loop runs them with the window focused.
    void passes(int n);
    void mouse(irr::EMOUSE_INPUT_EVENT type, irr::s32 x, irr::s32 y);
    void click(irr::s32 x, irr::s32 y);
    // A key pressed and let go, without modifiers.
    void key(irr::EKEY_CODE code);

private:
    sorn::SornEventReceiver receiver_;
    bool ok_ = false;
};

// False, and the benchmark skipped with the reason, when the editor did not start.
inline bool started(benchmark::State& state, bool ok) {
    if (!ok)
        state.SkipWithError("the editor did not start");
    return ok;
}

// A fresh folder under /tmp; the files named through it and the folder go
// with it.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string file(const std::string& name);

private:
    std::string path_;
    std::vector<std::string> files_;
};

double fileMegabytes(const std::string& path);
double median(std::vector<double> values);

template <typename Work>
double millisecondsOf(Work work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace bench
