#pragma once
// The file check program's side of the quarantine: it loads one untrusted
// file the way the editor would, on the engine's null driver, under limits it
// sets on itself, and tells by its exit status whether the load came through.
// A loader that crashes, exhausts memory or spins takes only this process down.
#include <string>
#include <vector>

namespace irr {
class IrrlichtDevice;
}

namespace sorn {

// What the engine is about to read the file as.
enum class UntrustedKind { Model, Image, HeightMap };

// "model", "image", "heightmap": the kind as the check program's argument.
const char* untrustedKindName(UntrustedKind kind);
bool parseUntrustedKind(const std::string& name, UntrustedKind& kind);

// Exit statuses of the check program.
namespace filecheck {
constexpr int kLoaded = 0;          // the engine loaded the file
constexpr int kNothingLoaded = 2;   // no loader made anything of it
constexpr int kTooLarge = 3;        // an allocation failed under the memory limit
constexpr int kUsage = 4;           // the arguments were not understood
constexpr int kSanitizerError = 86; // the sanitizer build found a fault (its report is on stderr)
} // namespace filecheck

// The limits a check sets on itself: address space in megabytes (the
// sanitizer build: resident memory, three times that) and CPU seconds; and
// the seconds on the clock the server gives each check from the moment a
// worker is handed its file. 0 is no limit.
struct CheckLimits {
    unsigned long memoryMegabytes = 0;
    unsigned long cpuSeconds = 0;
    unsigned long wallSeconds = 0;
};

// The check program's main:
//   sorn-filecheck [--memory MEGABYTES] [--cpu SECONDS] [--archive PATH]... KIND PATH
//   sorn-filecheck [--memory MEGABYTES] [--cpu SECONDS] [--wall SECONDS] --serve
// The first loads one file, with the archives mounted as the editor mounted
// them so that names inside them resolve the same way, and returns one of the
// exit statuses above. The second is the server the editor keeps running:
// see CheckServerProcess.h.
int runFileCheck(int argc, char** argv);

// The pieces of one check, shared by both forms.
void limitThisCheck(const CheckLimits& limits);
// Lets the process use seconds more of CPU time from now (a worker that
// checks one file after another gives each file its own allowance).
void limitCpuFromNow(unsigned long seconds);
// The CPU time this process has used, in microseconds.
long long cpuMicrosecondsUsed();
irr::IrrlichtDevice* createCheckDevice(); // the null driver with the editor's engine settings
// An image that loads is also written to decodedImage, when given (see CheckedImage.h).
int loadUntrustedFile(irr::IrrlichtDevice* device, UntrustedKind kind, const std::string& path,
                      const std::vector<std::string>& archives, int decodedImage = -1);

} // namespace sorn
