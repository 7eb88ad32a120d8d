#pragma once
// A colour swatch beside a colour row's edit box: it shows the colour the box
// holds and, clicked, opens the engine's colour selection dialog set to it.
// The dialog's OK hands the colour chosen to the swatch's owner.
#include <irrlicht.h>

#include <functional>

#include "app/EngineRef.h"

namespace sorn {

using ColourChosen = std::function<void(irr::video::SColor colour)>;

class ColourSwatch : public irr::gui::IGUIElement {
public:
    // textBox: the row's edit box, whose colour text the swatch shows.
    ColourSwatch(irr::gui::IGUIEnvironment* environment, irr::gui::IGUIElement* parent,
                 const irr::core::rect<irr::s32>& rect, irr::s32 id, irr::gui::IGUIElement* textBox,
                 ColourChosen chosen);

    // The colour of the box's text; the last one that read while it reads as
    // no colour.
    irr::video::SColor colour() const;
    // Opens the colour dialog (modal), its A, R, G and B set to the colour
    // shown. Returns the dialog.
    irr::gui::IGUIElement* openDialog();

    // Shown while its row's box is.
    bool isVisible() const override;
    bool OnEvent(const irr::SEvent& event) override;
    void draw() override;

private:
    void take(irr::gui::IGUIElement* dialog);

    EngineRef<irr::gui::IGUIElement> box_;
    ColourChosen chosen_;
    mutable irr::video::SColor last_;
};

// Adds a swatch to parent (owned by parent).
ColourSwatch* addColourSwatch(irr::gui::IGUIElement* parent, const irr::core::rect<irr::s32>& rect, irr::s32 id,
                              irr::gui::IGUIElement* textBox, ColourChosen chosen);

// Colour text as the editor writes it ("A,R,G,B", see ColourText.h) or as the
// engine writes a colour attribute (eight hexadecimal digits AARRGGBB).
// False, colour untouched, for text that is neither.
bool readColourText(const wchar_t* text, irr::video::SColor& colour);

// The colour's text put into a tool box row and Enter delivered to the row as
// the engine delivers it, so that the row's group applies as on Enter.
void enterColourIntoRow(irr::gui::IGUIElement* box, irr::video::SColor colour);

} // namespace sorn
