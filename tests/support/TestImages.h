#pragma once
// Small image files for the tool box's image rows, written by the engine.
#include <irrlicht.h>

#include <string>

namespace sorn {
namespace test {

// A 4 x 4 image of one colour in the format named by the path's extension
// (".jpg", ".png", ".bmp", ".tga" through the engine's writers; ".psd" as an
// uncompressed RGB Photoshop file). Returns whether the file was written.
bool writeTestImage(const std::string& path, irr::video::SColor colour = irr::video::SColor(255, 200, 40, 40));

} // namespace test
} // namespace sorn
