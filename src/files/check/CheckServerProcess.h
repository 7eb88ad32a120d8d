#pragma once
// The file check server process: the check program as the editor keeps it
// running (the editor's side of it is CheckServerClient.h).
// Starting a program (loading its libraries, making an engine device) costs
// more than loading a texture, and so does forking a process on a busy
// machine, so the server pays both ahead of time: it makes its device, then
// forks check workers (CheckWorker.h), one a processor, while nothing is
// being checked. Each file asked for goes to an idle worker, which loads it
// under its limits and answers with the status a one-off check would have
// ended with. A worker that crashes or runs out of limits reports that end
// for the file it was loading; if it had loaded other files before, the file
// is checked again by a fresh worker first, so that no verdict depends on
// what another file did. The server itself never loads anything; it reports
// each check's end to the editor, and kills a check's worker when the editor
// asks, or when the check's wall-clock time, counted from the moment its
// worker was handed the file, is up (its end then says so).
//
// Standard input is a sequenced-packet socket to the editor, carrying the
// messages of FileCheckProtocol.h. When the editor goes, the server kills
// its checks and ends.
#include "files/check/FileCheck.h"

namespace sorn {

int serveFileChecks(const CheckLimits& limits);

} // namespace sorn
