#pragma once
// An engine device on the null driver set as the editor's device, without
// the rest of the editor's start-up; dropped and the state reset afterwards.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include "app/EditorState.h"
#include "scene/UndoHistory.h"

namespace sorn {
namespace test {

class NullDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetEditorState();
        editor.device = irr::createDevice(irr::video::EDT_NULL);
        ASSERT_NE(editor.device, nullptr);
        editor.sceneManager = editor.device->getSceneManager();
    }
    void TearDown() override {
        undoHistory.clear();
        if (editor.device)
            editor.device->drop();
        resetEditorState();
    }
};

} // namespace test
} // namespace sorn
