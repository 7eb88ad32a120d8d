#pragma once
// The text tab of a text node: an edit box for the displayed text, which
// starts with the node's current text, and its colour row with a swatch.

namespace sorn {

// Adds the text tab to the tool box's tab control.
void addTextTab();

// The text tab's update button: the selected text node shows the box's text
// in the colour row's colour.
void applyTextTab();

} // namespace sorn
