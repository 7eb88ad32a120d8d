#pragma once
// What the fuzz targets share: one engine device on the null driver set as
// the editor's device, a private scratch folder for the files the parsers
// read from disk, and wide text made from fuzz bytes.
#include <irrlicht.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace sorn {
namespace fuzz {

// Creates the null-driver device once (quiet logger) and sets it as the
// editor's device; standard output goes to /dev/null, since the code under
// test prints trace lines the fuzzer has no use for.
irr::IrrlichtDevice* startNullDevice();

// A folder of its own for this process (inside SORN_FUZZ_SCRATCH when set),
// removed at a normal exit.
const std::string& scratchFolder();
// The path of name inside scratchFolder().
std::string scratchFile(const std::string& name);

// Writes bytes to path, replacing it; false when it cannot.
bool writeBytes(const std::string& path, const uint8_t* data, size_t size);
// The whole file, or an empty string.
std::string readBytes(const std::string& path);

// Edit-box text from fuzz bytes: each byte is one character, except that a
// byte from 0xF0 up takes the next byte with it to make a character beyond
// Latin-1 (0x100 to 0x10FF), which the number readers must stop at.
irr::core::stringw wideText(const uint8_t* data, size_t size);

// Aborts with the message when the property does not hold, so that the
// fuzzer records the input as a finding.
void require(bool holds, const char* property);

} // namespace fuzz
} // namespace sorn
