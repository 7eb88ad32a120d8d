#pragma once
// Sky box image sets: a marker file named base + ".skybox" (its content is
// never read) beside six face images named base + "_up", "_dn", "_lf", "_rt",
// "_ft" or "_bk" + one of ".jpg", ".png", ".bmp", ".tga", ".psd".
#include <irrlicht.h>

#include <array>
#include <functional>
#include <string>

namespace sorn {

// One face of a sky box: its file suffix and its material on the engine's sky
// box node (front, left, back, right, top, bottom are materials 0 to 5).
struct SkyboxFace {
    const char* suffix;
    irr::u32 material;
};

// The faces in the order a set is applied: top, bottom, left, right, front, back.
extern const std::array<SkyboxFace, 6> kSkyboxFaces;
// Image extensions in the order they are tried for every face.
extern const std::array<const char*, 5> kSkyboxExtensions;

// The file of one face of the set whose marker has the given base (the marker
// path without its extension): the first candidate base + suffix + extension,
// in extension order, that `isImageFile` accepts; empty when there is none.
std::string findSkyboxFace(const std::string& base, const char* suffix,
                           const std::function<bool(const std::string&)>& isImageFile);

// The six files of a set, in the order of kSkyboxFaces, found from a marker
// or from one of the faces. A face image is known by its name: NAME + one of
// the suffix families up/dn/lf/rt/ft/bk or up/down/left/right/front/back, in
// any case, with or without a separator ("_", "-", "." or a space) before
// it, + one of kSkyboxExtensions in any case. Its sister faces are looked for
// in its folder with the same NAME and separator, the suffix and extension in
// any case (extensions in the order of kSkyboxExtensions).
struct SkyboxSetFiles {
    bool recognised = false;        // a marker, or an image named as a face
    std::array<std::string, 6> faces; // empty for a face not found
    std::array<std::string, 6> expected; // each face's name without extension, to tell what is missing
};
SkyboxSetFiles findSkyboxSet(const std::string& path,
                             const std::function<bool(const std::string&)>& isImageFile);

// Puts the six faces of the set named by the path (8-bit: a ".skybox" marker
// or one of the six face images) on the selected sky box, each face replaced
// by its image or by nothing when it has none or it cannot be loaded. A path
// that names no set tells the user what a set is; faces not found are named
// in a message. A selection that is no sky box changes nothing. Returns
// whether the set was applied.
bool applySkyboxSet(const std::string& path);

} // namespace sorn
