#include "files/Quarantine.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <map>
#include <memory>
#include <tuple>

#include <irrlicht.h>

#include "app/EditorState.h"
#include "app/MessageKeyTable.h"
#include "app/PathText.h"
#include "app/Translate.h"
#include "files/check/CheckedImage.h"

namespace sorn {

namespace {

using namespace irr;

#if defined(__SANITIZE_ADDRESS__)
constexpr unsigned kTimeFactor = 3; // instrumented loaders run about three times slower
#else
constexpr unsigned kTimeFactor = 1;
#endif

// A file as the engine will read it: on disk by its real path, or inside a
// mounted archive by the archive and the name there.
struct FileIdentity {
    std::string where;
    long long size = 0;
    long long modified = 0; // nanoseconds
    UntrustedKind kind = UntrustedKind::Model;

    bool operator<(const FileIdentity& other) const {
        return std::tie(where, size, modified, kind) < std::tie(other.where, other.size, other.modified, other.kind);
    }
};

struct QuarantineState {
    std::map<FileIdentity, FileVerdict> verdicts;
    QuarantineLimits limits = defaultQuarantineLimits();
    std::string program;
    // The check server, started ahead of time.
    std::unique_ptr<CheckServerClient> server;
    std::uint32_t lastCheckId = 0;
    // Textures made from checks' decoded images since the last checkUntrustedFiles began.
    std::vector<io::path> adoptedTextures;
};

QuarantineState& quarantine() {
    static QuarantineState state;
    return state;
}

long long modifiedTime(const struct stat& status) {
    return static_cast<long long>(status.st_mtim.tv_sec) * 1000000000LL + status.st_mtim.tv_nsec;
}

std::string programBesideThisOne() {
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0)
        return "sorn-filecheck";
    std::string path(self, static_cast<size_t>(length));
    return path.substr(0, path.find_last_of('/') + 1) + "sorn-filecheck";
}

// What one file needs: a check of the identified file, or a verdict now.
struct Resolution {
    bool needsCheck = false;
    bool inArchive = false;
    FileVerdict verdict = FileVerdict::NotLoadable;
    FileIdentity identity;
};

// Whether the engine holds the file already, so that asking for it reads nothing.
bool heldByEngine(const UntrustedFile& file) {
    if (!editor.device || !editor.sceneManager)
        return false;
    if (file.kind == UntrustedKind::Model)
        return editor.sceneManager->getMeshCache()->getMeshByName(file.path.c_str()) != nullptr;
    if (file.kind == UntrustedKind::Image) {
        video::IVideoDriver* driver = editor.device->getVideoDriver();
        const io::path absolute = editor.device->getFileSystem()->getAbsolutePath(file.path.c_str());
        return driver->findTexture(absolute) || driver->findTexture(file.path.c_str());
    }
    return false; // a terrain reads its height map every time
}

// The engine looks in its mounted archives before the disk; so does this.
bool insideArchive(const UntrustedFile& file, Resolution& resolution) {
    if (!editor.device)
        return false;
    io::IFileSystem* fileSystem = editor.device->getFileSystem();
    for (u32 i = 0; i < fileSystem->getFileArchiveCount(); ++i) {
        const io::IFileList* list = fileSystem->getFileArchive(i)->getFileList();
        const s32 index = list ? list->findFile(file.path.c_str()) : -1;
        if (index < 0 || list->isDirectory(static_cast<u32>(index)))
            continue;
        struct stat archiveStatus {};
        const bool onDisk = ::stat(list->getPath().c_str(), &archiveStatus) == 0;
        resolution.needsCheck = true;
        resolution.inArchive = true;
        resolution.identity.where = std::string(list->getPath().c_str()) + "\n" +
                                    list->getFullFileName(static_cast<u32>(index)).c_str();
        resolution.identity.size = list->getFileSize(static_cast<u32>(index));
        resolution.identity.modified = onDisk ? modifiedTime(archiveStatus) : 0;
        return true;
    }
    return false;
}

Resolution resolve(const UntrustedFile& file) {
    Resolution resolution;
    resolution.identity.kind = file.kind;
    if (file.path.empty())
        return resolution;
    if (heldByEngine(file)) {
        resolution.verdict = FileVerdict::Safe;
        return resolution;
    }
    if (insideArchive(file, resolution))
        return resolution;
    struct stat status {};
    if (::stat(file.path.c_str(), &status) != 0) {
        // Not there at all: the engine finds nothing and adds nothing.
        resolution.verdict = errno == ENOENT || errno == ENOTDIR ? FileVerdict::NotLoadable : FileVerdict::Unreadable;
        return resolution;
    }
    // A folder, FIFO or device would hang or never end a read: refused
    // without starting anything.
    if (!S_ISREG(status.st_mode) || ::access(file.path.c_str(), R_OK) != 0) {
        resolution.verdict = FileVerdict::Unreadable;
        return resolution;
    }
    char real[PATH_MAX];
    resolution.needsCheck = true;
    resolution.identity.where = ::realpath(file.path.c_str(), real) ? real : file.path;
    resolution.identity.size = status.st_size;
    resolution.identity.modified = modifiedTime(status);
    return resolution;
}

// The mounted archives in the engine's search order, for the check program to mount alike.
std::vector<std::string> mountedArchives() {
    std::vector<std::string> archives;
    if (!editor.device)
        return archives;
    io::IFileSystem* fileSystem = editor.device->getFileSystem();
    for (u32 i = 0; i < fileSystem->getFileArchiveCount(); ++i)
        if (const io::IFileList* list = fileSystem->getFileArchive(i)->getFileList())
            archives.push_back(list->getPath().c_str());
    return archives;
}

// The check server with the current settings, started if it is not
// running; null when it cannot be started.
CheckServerClient* readyServer() {
    QuarantineState& state = quarantine();
    if (state.server && state.server->runsWith(fileCheckProgram(), state.limits.check))
        return state.server.get();
    state.server = std::make_unique<CheckServerClient>();
    if (!state.server->start(fileCheckProgram(), state.limits.check))
        state.server.reset();
    return state.server.get();
}

struct CheckJob {
    FileIdentity identity;
    std::string path;
    bool inArchive = false;
    std::vector<size_t> positions; // where the verdict goes in the caller's list
};

// An image check decoded the file already: its texture is made from those
// pixels under the name the driver gives a texture loaded from the file on
// disk, so that the engine finds it there instead of decoding the file again.
void adoptDecodedImage(const CheckJob& job, const OwnedDescriptor& decoded) {
    if (!editor.device || decoded.get() < 0 || job.inArchive || job.identity.kind != UntrustedKind::Image)
        return;
    video::IVideoDriver* driver = editor.device->getVideoDriver();
    const io::path name = editor.device->getFileSystem()->getAbsolutePath(job.path.c_str());
    if (driver->findTexture(name))
        return;
    video::IImage* image = readCheckedImage(decoded.get(), driver);
    if (!image)
        return; // the engine decodes the file itself when asked for it
    if (driver->addTexture(name, image))
        quarantine().adoptedTextures.push_back(name);
    image->drop();
}

struct RunningCheck {
    size_t job = 0;
    std::uint32_t id = 0;
    std::chrono::steady_clock::time_point deadline;
    bool killedForTime = false;
};

// How long a check asked to stop may take to be reported before the server
// is taken for lost.
constexpr std::chrono::seconds kCancelGrace(5);

// Runs the checks, at most parallelChecks at a time, and records their verdicts.
void runChecks(std::vector<CheckJob>& jobs, std::vector<FileVerdict>& verdicts) {
    using Clock = std::chrono::steady_clock;
    QuarantineState& state = quarantine();
    FileCheckRequest request;
    request.archives = mountedArchives();
    char directory[PATH_MAX];
    request.workingDirectory = getcwd(directory, sizeof directory) ? directory : ".";
    const unsigned parallel = state.limits.parallelChecks > 0 ? state.limits.parallelChecks : 1;
    std::vector<RunningCheck> running;
    auto record = [&](size_t job, FileVerdict verdict) {
        // A check that could not run says nothing about the file: asked again next time.
        if (verdict != FileVerdict::NotChecked)
            state.verdicts[jobs[job].identity] = verdict;
        for (size_t position : jobs[job].positions)
            verdicts[position] = verdict;
    };
    // The server is gone or does not answer: what it had running says
    // nothing, except that a check already out of time took too long.
    auto loseServer = [&] {
        for (const RunningCheck& check : running)
            record(check.job, check.killedForTime ? FileVerdict::TookTooLong : FileVerdict::NotChecked);
        running.clear();
        state.server.reset();
    };
    CheckServerClient* server = readyServer();
    size_t next = 0;
    while (next < jobs.size() || !running.empty()) {
        while (running.size() < parallel && next < jobs.size()) {
            request.kind = jobs[next].identity.kind;
            request.path = jobs[next].path;
            const std::uint32_t id = ++state.lastCheckId;
            if (server && server->send(id, request))
                running.push_back({next, id, Clock::now() + std::chrono::seconds(state.limits.check.wallSeconds)});
            else
                record(next, FileVerdict::NotChecked);
            ++next;
        }
        if (running.empty())
            continue;
        auto earliest = Clock::time_point::max();
        for (const RunningCheck& check : running)
            earliest = std::min(earliest, check.deadline);
        const auto now = Clock::now();
        const long long wait =
            earliest <= now ? 0 : std::chrono::duration_cast<std::chrono::milliseconds>(earliest - now).count() + 1;
        std::vector<FileCheckEnd> ended;
        if (!server->receive(ended, static_cast<int>(std::min(wait, 1000LL)))) {
            loseServer();
            server = readyServer();
            continue;
        }
        for (const FileCheckEnd& end : ended) {
            for (size_t i = 0; i < running.size(); ++i) {
                if (running[i].id != end.id)
                    continue;
                const FileVerdict verdict =
                    verdictFromWaitStatus(end.waitStatus, running[i].killedForTime, end.cpuMicroseconds / 1e6,
                                          state.limits.check.cpuSeconds, end.errorText);
                if (verdict == FileVerdict::Safe)
                    adoptDecodedImage(jobs[running[i].job], end.decodedImage);
                record(running[i].job, verdict);
                running.erase(running.begin() + static_cast<long>(i));
                break;
            }
        }
        // A check out of time is stopped; one that does not end even then
        // means the server no longer answers.
        bool lost = false;
        for (RunningCheck& check : running) {
            if (Clock::now() < check.deadline)
                continue;
            if (check.killedForTime) {
                lost = true;
            } else {
                server->cancel(check.id);
                check.killedForTime = true;
                check.deadline = Clock::now() + kCancelGrace;
            }
        }
        if (lost) {
            loseServer();
            server = readyServer();
        }
    }
}

constexpr MessageKey<FileVerdict> kRefusalReasonKeys[] = {
    {FileVerdict::Crashed, L"file_refused_crashed"},
    {FileVerdict::TooLarge, L"file_refused_too_large"},
    {FileVerdict::TookTooLong, L"file_refused_too_long"},
    {FileVerdict::NotChecked, L"file_refused_not_checked"},
};

const wchar_t* reasonKey(FileVerdict verdict) {
    return messageKeyFor(kRefusalReasonKeys, verdict, L"file_refused_unreadable");
}

void tellRefusedFiles(const std::vector<std::pair<std::string, FileVerdict>>& refused) {
    if (!editor.device || refused.empty())
        return;
    core::stringw text = translate(L"file_refused_text");
    for (const auto& file : refused) {
        text += L"\n";
        text += widePath(file.first);
        text += L": ";
        text += translate(reasonKey(file.second));
    }
    editor.device->getGUIEnvironment()->addMessageBox(translate(L"file_refused_caption").c_str(), text.c_str(),
                                                      true, gui::EMBF_OK, nullptr, -1);
}

} // namespace

bool isRefused(FileVerdict verdict) {
    return verdict != FileVerdict::Safe && verdict != FileVerdict::NotLoadable;
}

std::vector<FileVerdict> checkUntrustedFiles(const std::vector<UntrustedFile>& files) {
    QuarantineState& state = quarantine();
    std::vector<FileVerdict> verdicts(files.size(), FileVerdict::NotLoadable);
    std::vector<CheckJob> jobs;
    std::map<FileIdentity, size_t> jobOf;
    for (size_t i = 0; i < files.size(); ++i) {
        const Resolution resolution = resolve(files[i]);
        if (!resolution.needsCheck) {
            verdicts[i] = resolution.verdict;
            continue;
        }
        auto known = state.verdicts.find(resolution.identity);
        if (known != state.verdicts.end()) {
            verdicts[i] = known->second;
            continue;
        }
        auto pending = jobOf.find(resolution.identity);
        if (pending != jobOf.end()) {
            jobs[pending->second].positions.push_back(i);
            continue;
        }
        jobOf[resolution.identity] = jobs.size();
        jobs.push_back({resolution.identity, files[i].path, resolution.inArchive, {i}});
    }
    // The largest files first: they tend to take longest, and the checks
    // of the small ones fill in beside them.
    std::stable_sort(jobs.begin(), jobs.end(),
                     [](const CheckJob& a, const CheckJob& b) { return a.identity.size > b.identity.size; });
    state.adoptedTextures.clear();
    runChecks(jobs, verdicts);
    prepareFileChecks();
    return verdicts;
}

FileVerdict checkUntrustedFile(const std::string& path, UntrustedKind kind) {
    return checkUntrustedFiles({{path, kind}}).front();
}

bool admitUntrustedFiles(const std::vector<UntrustedFile>& files) {
    const std::vector<FileVerdict> verdicts = checkUntrustedFiles(files);
    std::vector<std::pair<std::string, FileVerdict>> refused;
    for (size_t i = 0; i < files.size(); ++i) {
        if (!isRefused(verdicts[i]))
            continue;
        bool told = false;
        for (const auto& file : refused)
            told = told || file.first == files[i].path;
        if (!told)
            refused.push_back({files[i].path, verdicts[i]});
    }
    tellRefusedFiles(refused);
    // Nothing is loaded when a file is refused: textures made ahead of
    // the load go again.
    if (!refused.empty() && editor.device)
        for (const io::path& name : quarantine().adoptedTextures)
            if (video::ITexture* texture = editor.device->getVideoDriver()->findTexture(name))
                editor.device->getVideoDriver()->removeTexture(texture);
    quarantine().adoptedTextures.clear();
    return refused.empty();
}

bool admitUntrustedFile(const std::string& path, UntrustedKind kind) {
    return admitUntrustedFiles({{path, kind}});
}

QuarantineLimits defaultQuarantineLimits() {
    QuarantineLimits limits;
    limits.check.memoryMegabytes = 1024;
    limits.check.cpuSeconds = 15 * kTimeFactor;
    limits.check.wallSeconds = 20 * kTimeFactor;
    const long processors = sysconf(_SC_NPROCESSORS_ONLN);
    limits.parallelChecks = processors < 1 ? 1 : processors > 4 ? 4 : static_cast<unsigned>(processors);
    return limits;
}

void setQuarantineLimits(const QuarantineLimits& limits) {
    quarantine().limits = limits;
}

void setFileCheckProgram(const std::string& path) {
    quarantine().program = path;
}

const std::string& fileCheckProgram() {
    QuarantineState& state = quarantine();
    if (state.program.empty())
        state.program = programBesideThisOne();
    return state.program;
}

void prepareFileChecks() {
    readyServer();
}

int fileCheckServerProcess() {
    const QuarantineState& state = quarantine();
    return state.server ? state.server->process() : -1;
}

void forgetFileVerdicts() {
    quarantine().verdicts.clear();
}

} // namespace sorn
