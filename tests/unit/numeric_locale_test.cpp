// Numbers stay in the C locale in a decimal-comma locale, even after the
// engine's file dialog switched the program to the user's locale.
#include <gtest/gtest.h>
#include <irrlicht.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>

#include "app/GuiIds.h"
#include "app/NumericLocale.h"
#include "support/EditorFixture.h"

using namespace irr;

namespace sorn {
namespace {

const char* const kCommaLocale = "de_DE.UTF-8";

std::string decimalPoint() { return std::localeconv()->decimal_point; }

class NumericLocaleTest : public test::EditorTest {
protected:
    void SetUp() override {
        locale_t comma = newlocale(LC_ALL_MASK, kCommaLocale, static_cast<locale_t>(0));
        if (!comma)
            GTEST_SKIP() << kCommaLocale << " is not installed (scripts/install-deps.sh generates it)";
        freelocale(comma);
        // The user's locale, as the engine's dialog will read it.
        if (const char* previous = std::getenv("LC_ALL"))
            previousLcAll_ = previous;
        hadLcAll_ = std::getenv("LC_ALL") != nullptr;
        setenv("LC_ALL", kCommaLocale, 1);
        test::EditorTest::SetUp();
    }

    void TearDown() override {
        test::EditorTest::TearDown();
        if (hadLcAll_)
            setenv("LC_ALL", previousLcAll_.c_str(), 1);
        else
            unsetenv("LC_ALL");
        std::setlocale(LC_ALL, "C");
    }

    scene::ISceneNode* selectedCube() {
        chooseMenuCommand(ids::CmdAddCube);
        activePasses(3);
        scene::ISceneNode* cube = smgr()->getSceneNodeFromName("Cube");
        EXPECT_NE(cube, nullptr);
        chooseMenuCommand(ids::CmdSceneBox);
        chooseMenuCommand(ids::CmdToolBox);
        activePasses(3);
        pickInTree(cube);
        return cube;
    }

    std::wstring text(s32 id) {
        gui::IGUIElement* element = editor.device->getGUIEnvironment()->getRootGUIElement()->getElementFromId(id, true);
        return element ? element->getText() : L"<missing>";
    }

private:
    std::string previousLcAll_;
    bool hadLcAll_ = false;
};

TEST_F(NumericLocaleTest, TheFileDialogFramePassesAndEventsLeavePoints) {
    // The dialog switches to the user's locale as it lists the working folder;
    // the focus events of its opening already switch numbers back.
    gui::IGUIFileOpenDialog* dialog = gui()->addFileOpenDialog(L"", true, nullptr, ids::DialogOpenScene);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(decimalPoint(), ".");

    // Switched behind the editor's back: the next frame pass, or the next event.
    std::setlocale(LC_ALL, "");
    ASSERT_EQ(decimalPoint(), ",");
    activePasses(1);
    EXPECT_EQ(decimalPoint(), ".");

    std::setlocale(LC_ALL, "");
    ASSERT_EQ(decimalPoint(), ",");
    mouseEvent(EMIE_MOUSE_MOVED, 500, 400);
    EXPECT_EQ(decimalPoint(), ".");
}

TEST_F(NumericLocaleTest, TheObjectTabReadsAndShowsPointsWhateverTheLocaleWasSwitchedTo) {
    scene::ISceneNode* cube = selectedCube();
    ASSERT_NE(cube, nullptr);
    for (const wchar_t* typed : {L"2.5", L"-12.25"}) {
        // What the engine's file dialog does when it lists a folder.
        std::setlocale(LC_ALL, "");
        gui::IGUIElement* box = editor.device->getGUIEnvironment()->getRootGUIElement()->getElementFromId(
            ids::PositionEditX, true);
        ASSERT_NE(box, nullptr);
        box->setText(typed);
        clickButton(ids::ApplyPosition);
        const f32 expected = static_cast<f32>(std::wcstod(typed, nullptr));
        EXPECT_FLOAT_EQ(cube->getPosition().X, expected);
        EXPECT_NE(text(ids::PositionEditX).find(L'.'), std::wstring::npos);
        EXPECT_EQ(text(ids::PositionEditX).find(L','), std::wstring::npos);
    }
}

TEST(NumericLocale, LeavesTheCLocaleAsItIs) {
    std::setlocale(LC_ALL, "C");
    keepNumbersInCLocale();
    EXPECT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
    EXPECT_EQ(decimalPoint(), ".");
}

} // namespace
} // namespace sorn
