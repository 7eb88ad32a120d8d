#pragma once
// The quarantine for what the engine's loaders read. The engine's model and
// image loaders crash, allocate without bound or hang on damaged files, and
// cannot be mended from here: every model, image and height map the editor is
// about to hand them is first loaded by the file check program in a process
// of its own, under a memory limit, a CPU-time limit and a wall-clock
// timeout. Only files that pass are loaded by the editor.
//
// One check server is kept running (see CheckServerProcess.h): each check is a
// fork of it, so that a file costs its load and not a program's start-up.
// Verdicts are kept for the run by file (path, size, modification time), so a
// file is checked once; distinct files are checked in parallel. The
// bookkeeping is files/check/CheckBook; this side knows the engine: what it
// holds already, its mounted archives, and what a checked image becomes.
#include <string>
#include <vector>

#include "files/check/CheckBook.h"

namespace sorn {

struct UntrustedFile {
    std::string path; // as the engine will be given it (relative to its working directory)
    UntrustedKind kind;
};

// Whether a verdict keeps the file from the engine. A missing file or one
// that no loader reads (NotLoadable) is not refused: the engine turns it
// away by itself, as it always did.
bool isRefused(FileVerdict verdict);

// One verdict per file, in order. Folders, FIFOs and devices are refused
// without starting anything; files the engine holds already, and files
// checked before and unchanged since, are not checked again.
std::vector<FileVerdict> checkUntrustedFiles(const std::vector<UntrustedFile>& files);
FileVerdict checkUntrustedFile(const std::string& path, UntrustedKind kind);

// Checks the files and, when any is refused, tells the user in one message
// box which files could not be opened and why. True when none is refused.
bool admitUntrustedFiles(const std::vector<UntrustedFile>& files);
bool admitUntrustedFile(const std::string& path, UntrustedKind kind);

// The limits of the checks to come (see defaultQuarantineLimits).
void setQuarantineLimits(const QuarantineLimits& limits);

// The check program; by default "sorn-filecheck" beside the running program.
void setFileCheckProgram(const std::string& path);
const std::string& fileCheckProgram();

// Starts the check server ahead of time, so that its start-up is paid
// before a file is chosen; it is started again when it has gone. Called
// after every check, and may be called at start-up.
void prepareFileChecks();
// The running check server's process, or -1.
int fileCheckServerProcess();

// Forgets every verdict (a fresh run).
void forgetFileVerdicts();

} // namespace sorn
