#pragma once
// What the sanitizer build of the editor needs to end cleanly; nothing in
// other builds.

namespace sorn {

// Keeps the OpenGL driver library loaded until the program ends. The GLX
// library unloads it when the device closes its X display, and with it the
// driver's static pointers to memory it holds for the whole run (the heap
// of its run-time code generator); the leak check at exit would then find
// that memory unreachable and report it from a module it can no longer
// name. Kept loaded, the memory stays reachable and any real leak of the
// driver is reported under the driver's name.
void keepGraphicsDriverLoaded();

} // namespace sorn
