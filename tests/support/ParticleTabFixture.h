#pragma once
// The editor with its tool box open, and particle systems whose emitters carry
// known values, for the particle tab's tests.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <string>

#include "app/EditorState.h"
#include "support/EditorFixture.h"
#include "toolbox/EmitterRows.h"
#include "toolbox/ParticleTab.h"
#include "toolbox/ToolBox.h"
#include "toolbox/ToolBoxRows.h"

namespace sorn {
namespace test {

class ParticleTabTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        clickButton(ids::ButtonOpenToolBox);
    }

    irr::scene::IParticleSystemSceneNode* addSystem(const irr::core::vector3df& position = {}) {
        return smgr()->addParticleSystemSceneNode(false, nullptr, -1, position);
    }

    void select(irr::scene::ISceneNode* node) {
        editor.selectedNode = node;
        editor.nodeSelected = node != nullptr;
        updateToolBox();
    }

    // Gives the system an emitter of the type with the values expectTestValues checks.
    static void setTestEmitter(irr::scene::IParticleSystemSceneNode* system, irr::scene::E_PARTICLE_EMITTER_TYPE type) {
        using namespace irr;
        const core::vector3df direction(0.1f, -0.25f, 3.f);
        const video::SColor minColour(1, 2, 3, 4), maxColour(255, 6, 7, 8);
        const core::dimension2df minSize(2.f, 3.f), maxSize(4.f, 6.5f);
        scene::IParticleEmitter* emitter = nullptr;
        switch (type) {
        case scene::EPET_BOX:
            emitter = system->createBoxEmitter(core::aabbox3df(-1, -1, -1, 1, 1, 1), direction, 11, 22, minColour,
                                               maxColour, 1000, 3000, 45, minSize, maxSize);
            break;
        case scene::EPET_CYLINDER:
            emitter = system->createCylinderEmitter(core::vector3df(1, 2, 3), 4.f, core::vector3df(0, 1, 0), 7.5f, true,
                                                    direction, 11, 22, minColour, maxColour, 1000, 3000, 45, minSize,
                                                    maxSize);
            break;
        case scene::EPET_RING:
            emitter = system->createRingEmitter(core::vector3df(1, 2, 3), 9.f, 3.25f, direction, 11, 22, minColour,
                                                maxColour, 1000, 3000, 45, minSize, maxSize);
            break;
        case scene::EPET_SPHERE:
            emitter = system->createSphereEmitter(core::vector3df(1, 2, 3), 8.f, direction, 11, 22, minColour,
                                                  maxColour, 1000, 3000, 45, minSize, maxSize);
            break;
        default:
            emitter = system->createPointEmitter(direction, 11, 22, minColour, maxColour, 1000, 3000, 45, minSize,
                                                 maxSize);
            break;
        }
        system->setEmitter(emitter);
        emitter->drop();
    }

    static void expectTestValues(const irr::scene::IParticleEmitter& emitter) {
        using namespace irr;
        EXPECT_EQ(emitter.getDirection(), core::vector3df(0.1f, -0.25f, 3.f));
        EXPECT_EQ(emitter.getMinParticlesPerSecond(), 11u);
        EXPECT_EQ(emitter.getMaxParticlesPerSecond(), 22u);
        EXPECT_EQ(emitter.getMinStartColor(), video::SColor(1, 2, 3, 4));
        EXPECT_EQ(emitter.getMaxStartColor(), video::SColor(255, 6, 7, 8));
        EXPECT_EQ(emitter.getMinLifeTime(), 1000u);
        EXPECT_EQ(emitter.getMaxLifeTime(), 3000u);
        EXPECT_EQ(emitter.getMaxAngleDegrees(), 45);
        EXPECT_EQ(emitter.getMinStartSize(), core::dimension2df(2.f, 3.f));
        EXPECT_EQ(emitter.getMaxStartSize(), core::dimension2df(4.f, 6.5f));
    }

    irr::gui::IGUIComboBox* combo() {
        return static_cast<irr::gui::IGUIComboBox*>(findElement(ids::EmitterTypeCombo));
    }
    // What choosing an item does: the combo changes, then tells the receiver.
    void chooseType(irr::s32 index) {
        combo()->setSelected(index);
        postGuiEvent(irr::gui::EGET_COMBO_BOX_CHANGED, combo());
    }
    void update() { clickButton(ids::EmitterUpdate); }

    void type(int row, const wchar_t* text) {
        irr::gui::IGUIElement* box = findElement(emitterEditId(row));
        ASSERT_NE(box, nullptr);
        box->setText(text);
    }
    void showToolBoxRowFor(int row, const wchar_t* label, const wchar_t* value, const wchar_t* tip) {
        showToolBoxRow(emitterLabelId(row), true, label, tip);
        showToolBoxRow(emitterEditId(row), true, value, tip);
    }

    std::wstring text(irr::s32 id) {
        irr::gui::IGUIElement* element = findElement(id);
        return element ? std::wstring(element->getText()) : std::wstring(L"<missing>");
    }
    std::wstring tooltip(irr::s32 id) {
        irr::gui::IGUIElement* element = findElement(id);
        return element ? std::wstring(element->getToolTipText().c_str()) : std::wstring(L"<missing>");
    }
    bool visible(irr::s32 id) {
        irr::gui::IGUIElement* element = findElement(id);
        return element && element->isVisible();
    }
};

} // namespace test
} // namespace sorn
