#pragma once
// The file check server process: the check program as the editor keeps it
// running (the editor's side of it is CheckServerClient.h).
// Starting a program (loading its libraries, making an engine device) costs
// more than loading a texture, so the server pays it once: it makes its
// device, then for every file asked for forks a check that sets its limits,
// loads the file and ends with the check's exit status. The server itself
// never loads anything; it reports each check's end to the editor, and
// kills a check when the editor asks (its wall-clock time is up).
//
// Standard input is a sequenced-packet socket to the editor, carrying the
// messages of FileCheckProtocol.h. When the editor goes, the server kills
// its checks and ends.
#include "files/check/FileCheck.h"

namespace sorn {

int serveFileChecks(const CheckLimits& limits);

} // namespace sorn
