#pragma once
// Text a user might type into a tool box row: numbers of every size and
// sign, colours, paths, nothing at all, and hostile or huge input.
#include <random>
#include <string>
#include <vector>

namespace sorn {
namespace test {

enum class FieldTextKind { Number, Integer, Colour, ImagePath, Empty, Hostile, Huge, NonAscii, KindCount };

// One text of the given kind. imagePaths are files and folders to pick from
// for ImagePath (any entry, existing or not).
std::wstring fieldText(FieldTextKind kind, std::mt19937& random, const std::vector<std::wstring>& imagePaths);

// A text of a kind chosen at random, numbers most often.
std::wstring randomFieldText(std::mt19937& random, const std::vector<std::wstring>& imagePaths);

} // namespace test
} // namespace sorn
