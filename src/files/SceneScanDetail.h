#pragma once
// The guard tail behind the scene text handed to the engine's reader.
#include <cstddef>
#include <cstdint>

namespace sorn {
namespace scan_detail {

// The guard tail behind the text: an end-of-text mark, then what stops every
// scanning loop of the engine's reader should it ever pass that mark (a name
// scan at the blank or '=', a value scan at its quotes, a tag or comment scan
// at a '>'), then the end-of-text mark again.
constexpr uint32_t kGuardTail[] = {0, ' ', '=', '"', '"', '>', '>', '>', '>', 0};
constexpr size_t kGuardTailUnits = sizeof kGuardTail / sizeof kGuardTail[0];

} // namespace scan_detail
} // namespace sorn
