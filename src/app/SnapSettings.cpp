#include "app/SnapSettings.h"

#include <cmath>
#include <locale>
#include <sstream>

#include "app/EditorState.h"
#include "app/MenuBar.h"
#include "app/TextConvert.h"

using namespace irr;

namespace sorn {

namespace {

// A positive, finite number written with a decimal point, or the fallback.
f32 positiveSetting(const wchar_t* name, f32 fallback) {
    const std::string text = narrowToBytes(editor.config.get(name).c_str());
    std::istringstream in(text);
    in.imbue(std::locale::classic());
    double value = 0.0;
    in >> value;
    if (in.fail() || !(in >> std::ws).eof() || !std::isfinite(value) || value <= 0.0 || value > 1e9)
        return fallback;
    return static_cast<f32>(value);
}

} // namespace

void loadSnapSettings() {
    editor.snapOn = editor.config.get(L"snap_on") == L"1";
    editor.snapPosition = positiveSetting(L"snap_position", 0.f);
    editor.snapRotation = positiveSetting(L"snap_rotation", 15.f);
    editor.snapScale = positiveSetting(L"snap_scale", 0.1f);
}

f32 snapPositionStep() {
    if (editor.snapPosition > 0.f)
        return editor.snapPosition;
    // A grid spacing the grid itself refuses (zero, negative) gives no step.
    return editor.gridSpacing > 0.f && std::isfinite(editor.gridSpacing) ? editor.gridSpacing : 100.f;
}

bool setSnapOn(bool on, WriteFailure* failure) {
    editor.snapOn = on;
    editor.config.set(L"snap_on", on ? L"1" : L"0");
    return editor.config.save(failure);
}

f32 roundToStep(f32 value, f32 step) {
    if (!(step > 0.f) || !std::isfinite(value))
        return value;
    const f32 rounded = std::round(value / step) * step;
    // No "-0.000000" in the status line and the tool box.
    return rounded == 0.f ? 0.f : rounded;
}

void showSnapState() {
    s32 index = -1;
    if (gui::IGUIContextMenu* menu = menuHoldingCommand(ids::CmdSnap, index))
        menu->setItemChecked(index, editor.snapOn);
    if (gui::IGUIElement* button = findElement(ids::ButtonSnap))
        if (button->getType() == gui::EGUIET_BUTTON)
            static_cast<gui::IGUIButton*>(button)->setPressed(editor.snapOn);
}

} // namespace sorn
