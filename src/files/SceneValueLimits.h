#pragma once
// Bounds that the tool box and the scene open share, so that every value a
// tab accepts can be saved and opened again.
#include <irrlicht.h>

namespace sorn {

// The most subdivisions of a volume light in either direction. The engine
// rebuilds the light's mesh at every change of a count or colour, and the
// build grows with the square of the count: on the shared 2-core build
// machine one build at 128 by 128 takes about 2 ms, at 256 about 7 to 9 ms,
// at 1024 about 110 to 140 ms and at 4095 one and a half to two and a half
// seconds (bench/volume_light_bench.cpp). 128 keeps a build well under a
// 16 ms frame, also when the tab applies both counts (two builds).
constexpr irr::u32 kMaxVolumeLightSubdivisions = 128;

} // namespace sorn
