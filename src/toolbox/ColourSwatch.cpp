#include "toolbox/ColourSwatch.h"

#include <cwchar>
#include <cwctype>
#include <vector>

#include "app/EditorState.h"
#include "app/GuiIds.h"
#include "app/Translate.h"
#include "toolbox/ColourText.h"
#include "toolbox/DialogOwners.h"

using namespace irr;

namespace sorn {

namespace {

// The engine's colour dialog has no colour getter or setter: its spin boxes,
// in the order it adds them, are A, R, G, B, then H, S, L.
constexpr u32 kChannelBoxes = 4;

std::vector<gui::IGUISpinBox*> channelBoxes(gui::IGUIElement* dialog) {
    std::vector<gui::IGUISpinBox*> boxes;
    for (gui::IGUIElement* child : dialog->getChildren())
        if (child->getType() == gui::EGUIET_SPIN_BOX && boxes.size() < kChannelBoxes)
            boxes.push_back(static_cast<gui::IGUISpinBox*>(child));
    return boxes;
}

u32 channel(gui::IGUISpinBox* box) {
    const f32 value = box->getValue();
    return value <= 0.f ? 0u : value >= 255.f ? 255u : static_cast<u32>(value + 0.5f);
}

bool isHexText(const wchar_t* text) {
    u32 digits = 0;
    for (; text[digits]; ++digits)
        if (!std::iswxdigit(static_cast<wint_t>(text[digits])))
            return false;
    return digits == 8;
}

} // namespace

ColourSwatch::ColourSwatch(gui::IGUIEnvironment* environment, gui::IGUIElement* parent,
                           const core::rect<s32>& rect, s32 id, gui::IGUIElement* textBox, ColourChosen chosen)
    : gui::IGUIElement(gui::EGUIET_ELEMENT, environment, parent, id, rect), box_(textBox),
      chosen_(std::move(chosen)), last_(255, 0, 0, 0) {
    setToolTipText(translate(L"colour_swatch_tip").c_str());
}

video::SColor ColourSwatch::colour() const {
    if (box_)
        readColourText(box_->getText(), last_);
    return last_;
}

gui::IGUIElement* ColourSwatch::openDialog() {
    gui::IGUIElement* dialog = Environment->addColorSelectDialog(translate(L"colour_dialog_title").c_str(), true,
                                                                 nullptr, ids::ColourDialog);
    if (!dialog)
        return nullptr;
    const video::SColor shown = colour();
    const u32 values[kChannelBoxes] = {shown.getAlpha(), shown.getRed(), shown.getGreen(), shown.getBlue()};
    const std::vector<gui::IGUISpinBox*> boxes = channelBoxes(dialog);
    for (size_t i = 0; i < boxes.size(); ++i) {
        boxes[i]->setValue(static_cast<f32>(values[i]));
        // The dialog brings its other fields in line on a change report.
        SEvent changed;
        changed.EventType = EET_GUI_EVENT;
        changed.GUIEvent.Caller = boxes[i];
        changed.GUIEvent.Element = nullptr;
        changed.GUIEvent.EventType = gui::EGET_SPINBOX_CHANGED;
        dialog->OnEvent(changed);
    }
    passDialogReportsTo(dialog, this);
    return dialog;
}

void ColourSwatch::take(gui::IGUIElement* dialog) {
    const std::vector<gui::IGUISpinBox*> boxes = channelBoxes(dialog);
    if (boxes.size() < kChannelBoxes || !chosen_)
        return;
    const video::SColor picked(channel(boxes[0]), channel(boxes[1]), channel(boxes[2]), channel(boxes[3]));
    last_ = picked;
    // The owner may rebuild the tab this swatch sits in.
    grab();
    ColourChosen chosen = chosen_;
    chosen(picked);
    drop();
}

bool ColourSwatch::isVisible() const { return IsVisible && (!box_ || box_->isVisible()); }

bool ColourSwatch::OnEvent(const SEvent& event) {
    if (event.EventType == EET_MOUSE_INPUT_EVENT) {
        if (event.MouseInput.Event == EMIE_LMOUSE_PRESSED_DOWN)
            return true;
        if (event.MouseInput.Event == EMIE_LMOUSE_LEFT_UP) {
            if (isPointInside(core::position2di(event.MouseInput.X, event.MouseInput.Y)))
                openDialog();
            return true;
        }
    }
    if (event.EventType == EET_GUI_EVENT && event.GUIEvent.Caller &&
        event.GUIEvent.Caller->getType() == gui::EGUIET_COLOR_SELECT_DIALOG) {
        if (event.GUIEvent.EventType == gui::EGET_FILE_SELECTED)
            take(event.GUIEvent.Caller);
        return true;
    }
    return gui::IGUIElement::OnEvent(event);
}

void ColourSwatch::draw() {
    if (!isVisible())
        return;
    video::IVideoDriver* driver = Environment->getVideoDriver();
    video::SColor fill = colour();
    fill.setAlpha(255);
    driver->draw2DRectangle(fill, AbsoluteRect, &AbsoluteClippingRect);
    if (gui::IGUISkin* skin = Environment->getSkin())
        driver->draw2DRectangleOutline(AbsoluteRect, skin->getColor(gui::EGDC_3D_DARK_SHADOW));
    gui::IGUIElement::draw();
}

ColourSwatch* addColourSwatch(gui::IGUIElement* parent, const core::rect<s32>& rect, s32 id,
                              gui::IGUIElement* textBox, ColourChosen chosen) {
    if (!editor.device || !parent)
        return nullptr;
    auto* swatch = new ColourSwatch(editor.device->getGUIEnvironment(), parent, rect, id, textBox,
                                    std::move(chosen));
    swatch->drop(); // the parent holds it
    return swatch;
}

bool readColourText(const wchar_t* text, video::SColor& colour) {
    if (!text)
        return false;
    if (isHexText(text)) {
        colour.color = static_cast<u32>(std::wcstoul(text, nullptr, 16));
        return true;
    }
    u32 commas = 0;
    for (const wchar_t* c = text; *c; ++c)
        commas += *c == L',';
    // Fewer than three commas: no colour (the parse would give the value 1).
    if (commas < 3)
        return false;
    colour = parseColourText(text);
    return true;
}

void enterColourIntoRow(gui::IGUIElement* box, video::SColor colour) {
    if (!box || !box->getParent())
        return;
    box->setText(formatColourText(colour).c_str());
    SEvent enter;
    enter.EventType = EET_GUI_EVENT;
    enter.GUIEvent.Caller = box;
    enter.GUIEvent.Element = nullptr;
    enter.GUIEvent.EventType = gui::EGET_EDITBOX_ENTER;
    box->getParent()->OnEvent(enter);
}

} // namespace sorn
