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
// Verdicts are kept by the file's content (a hash of its bytes; its path,
// size and modification time only find it), for the run and, when a new
// check would say the same, across runs in the user's cache folder
// (files/VerdictCacheFile), so a file is checked once while it holds the
// same bytes; distinct files are checked in parallel, each started as soon
// as its name is met (beginUntrustedCheck). The
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

// Starts the file's check as soon as its name is met, without waiting:
// resolved as checkUntrustedFiles resolves it, answered at once when its
// verdict is known, else sent to the check server (at most eight times
// parallelChecks at a time, the rest queued). checkUntrustedFiles and admitUntrustedFiles then
// collect the verdicts of the checks started. Cheap and harmless for a file
// started twice, a missing file or a folder; checks never collected are
// stopped by stopUntrustedChecks or forgetFileVerdicts, and their verdicts,
// once ended, are known as any other.
void beginUntrustedCheck(const std::string& path, UntrustedKind kind);
void beginUntrustedChecks(const std::vector<UntrustedFile>& files);
// The content keys taken as checks began are reused by the next
// checkUntrustedFiles of the same files (the open's admit), rather than the
// files being read and hashed twice, unless a file's size or time changed
// since; an open forgets them as it ends, so that none outlives it.
void forgetBegunFileKeys();
// Stops every check started and not collected (a refused scene); nothing of
// theirs is kept.
void stopUntrustedChecks();
// How many checks are started and not collected (queued, running or ended).
size_t startedUntrustedChecks();

// Checks the files and, when any is refused, tells the user in one message
// box which files could not be opened and why. True when none is refused.
bool admitUntrustedFiles(const std::vector<UntrustedFile>& files);
bool admitUntrustedFile(const std::string& path, UntrustedKind kind);

// While one lives, a file on disk is read whole as it is hashed for its
// verdict, and the engine is served those bytes once the file is admitted
// (files/CheckedBytesArchive): the engine loads exactly the bytes that were
// checked, without reading the file again. Made around an admit and the
// engine's load that follows it; when the last one goes, the bytes go and
// the engine reads from the disk again. At most 256 MiB are kept; files
// beyond that are read again by the engine, as without one.
class CheckedBytesScope {
public:
    CheckedBytesScope();
    ~CheckedBytesScope();
    CheckedBytesScope(const CheckedBytesScope&) = delete;
    CheckedBytesScope& operator=(const CheckedBytesScope&) = delete;
};

// The limits of the checks to come (see defaultQuarantineLimits).
void setQuarantineLimits(const QuarantineLimits& limits);

// The check program; by default "sorn-filecheck" beside the running program.
void setFileCheckProgram(const std::string& path);
const std::string& fileCheckProgram();

// Starts the check server ahead of time (and learns its program's identity),
// so that its start-up is paid before a file is chosen; it is started again
// when it has gone. Called after every check, and may be called at start-up.
void prepareFileChecks();
// The running check server's process, or -1.
int fileCheckServerProcess();
// Stops the check server with its workers and started checks; the next
// check, or prepareFileChecks, starts a fresh one (as a new run would).
void stopFileCheckServer();

// Forgets every verdict of the run and stops the started checks (a fresh
// run); the verdicts kept in the cache folder are read again when next needed.
void forgetFileVerdicts();

} // namespace sorn
