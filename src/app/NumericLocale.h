#pragma once
// The engine's file-open dialog switches the whole program to the user's
// locale each time it lists a folder, and never switches back. In a
// decimal-comma locale every number the editor shows would then read
// "2,500000" and a typed "2.5" would apply as 2. The editor keeps its numbers
// in the C locale: points, as at start and as in the files it writes.
namespace sorn {

// Puts number formatting and reading back to the C locale when something
// changed it; cheap when nothing did.
void keepNumbersInCLocale();

} // namespace sorn
