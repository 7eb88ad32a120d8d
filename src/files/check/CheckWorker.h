#pragma once
// A check worker: a process the check server forks ahead of time that loads
// one untrusted file after another, as the server hands them over, so that
// no check waits for a process to be made. Between two files it lets go of
// what the last one loaded (meshes, textures, nodes, mounted archives).
//
// Its channel is a sequenced-packet socket to the server. A request is the
// editor's own check message ('C', FileCheckProtocol.h), with an image
// check's file for the decoded image as its one descriptor; the answer is a
// check end ('E') with the status the load would have exited with and the CPU
// time it took. A worker ends after a file that did not load (a loader that
// gave up may have left anything behind) and after kFilesPerWorker files;
// a loader that crashes or runs out of limits ends it as it would a one-off
// check.
#include "files/check/FileCheck.h"

namespace sorn {

constexpr unsigned kFilesPerWorker = 32;

// In the forked worker: its limits (the CPU time is given per file), then
// requests until the channel closes. Never returns.
[[noreturn]] void runCheckWorker(irr::IrrlichtDevice* device, const CheckLimits& limits, int channel);

} // namespace sorn
