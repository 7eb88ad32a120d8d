#include "files/Quarantine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <filesystem>
#include <map>
#include <unordered_set>

#include <irrlicht.h>

#include "app/EditorState.h"
#include "app/MessageKeyTable.h"
#include "app/PathText.h"
#include "app/Translate.h"
#include "app/WorkProgress.h"
#include "files/CheckedBytesArchive.h"
#include "files/VerdictCacheFile.h"
#include "files/check/CheckedImage.h"
#include "files/check/ContentHash.h"

namespace sorn {

namespace {

using namespace irr;
namespace fs = std::filesystem;

// Archive members larger than this are not read to be hashed (the engine's
// archive readers hold a member whole in memory): their verdicts are kept
// for the one list of files they were checked for.
constexpr long long kMaxHashedMember = 64ll << 20;

// The most bytes one CheckedBytesScope keeps of the files it hashes: files
// beyond it are hashed as they are read and read again by the engine.
constexpr long long kMaxKeptBytes = 256ll << 20;

bool sameContent(const CheckJob& job);

// What one file needs: a check of the identified file, or a verdict now.
struct Resolution {
    bool needsCheck = false;
    bool inArchive = false;
    FileVerdict verdict = FileVerdict::NotLoadable;
    FileIdentity identity;
    VerdictKey key;
    // The bytes hashed, kept while a CheckedBytesScope lives, and the file
    // they were read from.
    std::shared_ptr<const FileBytes> bytes;
    FileOnDisk readFrom;
};

// A file resolved as its check began, in the working directory of then.
struct BegunKey {
    Resolution resolution;
    std::string workingDirectory;
};

struct QuarantineState {
    QuarantineState() { book.setContentCheck(sameContent); }
    CheckBook book;
    // Textures made from checks' decoded images since the last checkUntrustedFiles began.
    std::vector<io::path> adoptedTextures;
    // The files resolved and hashed as their checks began, for the admit of
    // the same open (see forgetBegunFileKeys).
    std::map<std::pair<std::string, UntrustedKind>, BegunKey> begun;
    // While CheckedBytesScopes live: the bytes kept so far, and the archive
    // that serves the admitted files' bytes to the engine (once one is).
    int bytesScopes = 0;
    long long keptBytes = 0;
    // The checker's identity, learnt once a scope: an open asks for it for
    // every file it names.
    bool scopeCheckerKnown = false;
    std::uint64_t scopeChecker = 0;
    CheckedBytesArchive* served = nullptr;
    io::IFileSystem* servedBy = nullptr;
};

QuarantineState& quarantine() {
    static QuarantineState state;
    return state;
}

// The check program's identity and limits, as verdicts are kept under.
std::uint64_t checkerIdentity() {
    QuarantineState& state = quarantine();
    if (state.bytesScopes == 0)
        return state.book.checkerIdentity();
    if (!state.scopeCheckerKnown) {
        state.scopeChecker = state.book.checkerIdentity();
        state.scopeCheckerKnown = true;
    }
    return state.scopeChecker;
}

long long modifiedTime(const struct stat& status) {
    return static_cast<long long>(status.st_mtim.tv_sec) * 1000000000LL + status.st_mtim.tv_nsec;
}

// The mounted archive whose file is at archivePath, or null.
io::IFileArchive* mountedArchive(const std::string& archivePath) {
    if (!editor.device)
        return nullptr;
    io::IFileSystem* fileSystem = editor.device->getFileSystem();
    for (u32 i = 0; i < fileSystem->getFileArchiveCount(); ++i) {
        io::IFileArchive* archive = fileSystem->getFileArchive(i);
        if (!isCheckedBytesArchive(archive) && archive->getFileList() &&
            archivePath == archive->getFileList()->getPath().c_str())
            return archive;
    }
    return nullptr;
}

// The hash of a member of a mounted archive, read through the archive as the
// engine will read it.
bool hashArchiveMember(io::IFileArchive* archive, const std::string& name, std::uint64_t& hash, long long& size) {
    const io::IFileList* list = archive ? archive->getFileList() : nullptr;
    const s32 index = list ? list->findFile(name.c_str()) : -1;
    if (index < 0 || list->getFileSize(static_cast<u32>(index)) > kMaxHashedMember)
        return false;
    io::IReadFile* file = archive->createAndOpenFile(static_cast<u32>(index));
    if (!file)
        return false;
    ContentHash content;
    std::vector<unsigned char> buffer(256 * 1024);
    size = 0;
    for (;;) {
        const s32 count = file->read(buffer.data(), static_cast<u32>(buffer.size()));
        if (count <= 0)
            break;
        content.add(buffer.data(), static_cast<size_t>(count));
        size += count;
    }
    file->drop();
    hash = content.value();
    return true;
}

// The content the file holds now, as its verdict is kept under.
bool contentKey(const FileIdentity& identity, bool inArchive, VerdictKey& key) {
    key.kind = identity.kind;
    key.checker = checkerIdentity();
    if (!inArchive)
        return hashFile(identity.where, key.content, key.size);
    const size_t split = identity.where.find('\n');
    return hashArchiveMember(mountedArchive(identity.where.substr(0, split)), identity.where.substr(split + 1),
                             key.content, key.size);
}

// Whether the file checked still holds the bytes it was keyed by: its size
// and time first (a file whose size changed needs no reading), then its hash.
bool sameContent(const CheckJob& job) {
    if (job.key.size < 0)
        return true; // not hashed: it stands for the one list it was checked for
    if (!job.inArchive) {
        struct stat status {};
        if (::stat(job.identity.where.c_str(), &status) != 0 || status.st_size != job.identity.size ||
            modifiedTime(status) != job.identity.modified)
            return false;
    }
    VerdictKey now;
    now.kind = job.key.kind;
    return contentKey(job.identity, job.inArchive, now) && now.content == job.key.content &&
           now.size == job.key.size;
}

// Whether the engine holds the file already, so that asking for it reads nothing.
bool heldByEngine(const UntrustedFile& file) {
    if (!editor.device || !editor.sceneManager)
        return false;
    if (file.kind == UntrustedKind::Model)
        return editor.sceneManager->getMeshCache()->getMeshByName(file.path.c_str()) != nullptr;
    if (file.kind == UntrustedKind::Image) {
        video::IVideoDriver* driver = editor.device->getVideoDriver();
        if (driver->findTexture(file.path.c_str()))
            return true;
        // The driver names a texture loaded from a file by its absolute path,
        // worked out here from the name alone: the file system's own answer
        // asks the system about every folder on the way. A name through a
        // link is then not found, and its file is checked once more, harmlessly.
        fs::path absolute(file.path);
        if (absolute.is_relative())
            absolute = fs::path(editor.device->getFileSystem()->getWorkingDirectory().c_str()) / absolute;
        return driver->findTexture(absolute.lexically_normal().string().c_str()) != nullptr;
    }
    return false; // a terrain reads its height map every time
}

// The engine looks in its mounted archives before the disk; so does this.
bool insideArchive(const UntrustedFile& file, Resolution& resolution) {
    if (!editor.device)
        return false;
    io::IFileSystem* fileSystem = editor.device->getFileSystem();
    for (u32 i = 0; i < fileSystem->getFileArchiveCount(); ++i) {
        if (isCheckedBytesArchive(fileSystem->getFileArchive(i)))
            continue; // it serves files from the disk
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
    if (insideArchive(file, resolution)) {
        if (!contentKey(resolution.identity, true, resolution.key)) {
            // Not hashed: known by no earlier verdict, checked for this list.
            resolution.key.content = 0;
            resolution.key.size = -1;
        }
        return resolution;
    }
    // One open answers whether the file is there and readable; its status
    // whether it is a regular file; then it is hashed through it.
    const int fd = ::open(file.path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // Not there at all: the engine finds nothing and adds nothing.
        resolution.verdict = errno == ENOENT || errno == ENOTDIR ? FileVerdict::NotLoadable : FileVerdict::Unreadable;
        return resolution;
    }
    struct stat status {};
    // A folder, FIFO or device would hang or never end a read: refused
    // without starting anything.
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        resolution.verdict = FileVerdict::Unreadable;
        return resolution;
    }
    resolution.needsCheck = true;
    // Its real path is looked up only for a check to start (see knownOrJob).
    resolution.identity.where = file.path;
    resolution.identity.size = status.st_size;
    resolution.identity.modified = modifiedTime(status);
    resolution.key.kind = file.kind;
    resolution.key.checker = checkerIdentity();
    QuarantineState& state = quarantine();
    if (state.bytesScopes > 0 && status.st_size <= kMaxKeptBytes - state.keptBytes) {
        // Kept as read, for the engine to load these very bytes once admitted.
        auto bytes = std::make_shared<FileBytes>();
        if (readAndHashOpenFile(fd, status.st_size, kMaxKeptBytes - state.keptBytes, *bytes, resolution.key.content)) {
            resolution.key.size = static_cast<long long>(bytes->size());
            state.keptBytes += resolution.key.size;
            resolution.readFrom = {static_cast<unsigned long long>(status.st_dev),
                                   static_cast<unsigned long long>(status.st_ino)};
            resolution.bytes = std::move(bytes);
        } else {
            resolution.key.content = 0;
            resolution.key.size = -1;
        }
    } else if (!hashOpenFile(fd, resolution.key.content, resolution.key.size)) {
        // It cannot be read to its end: the check tells what it is.
        resolution.key.content = 0;
        resolution.key.size = -1;
    }
    ::close(fd);
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
            if (!isCheckedBytesArchive(fileSystem->getFileArchive(i)))
                archives.push_back(list->getPath().c_str());
    return archives;
}

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
    // Without a usable image the engine decodes the file itself when asked for it.
    useCheckedImage(decoded.get(), driver, [&](video::IImage* image) {
        // The texture takes a copy of the pixels.
        if (driver->addTexture(name, image))
            quarantine().adoptedTextures.push_back(name);
    });
}

// From now on the engine is given the bytes the file's verdict was found
// for when it asks for the file by this name.
void serveCheckedBytes(const std::string& name, const Resolution& resolution) {
    QuarantineState& state = quarantine();
    if (!resolution.bytes || state.bytesScopes == 0 || !editor.device)
        return;
    if (!state.served) {
        state.servedBy = editor.device->getFileSystem();
        state.served = new CheckedBytesArchive(state.servedBy);
        // After the user's archives, as a file is resolved: a name they hold
        // is theirs. The file system keeps a reference of its own, whether
        // it takes one or takes over the one made here (which it drops on
        // removal either way).
        const s32 references = state.served->getReferenceCount();
        if (state.servedBy->addFileArchive(state.served) && state.served->getReferenceCount() == references)
            state.served->grab();
    }
    state.served->add(name, resolution.readFrom, resolution.bytes);
}

void stopServingCheckedBytes() {
    QuarantineState& state = quarantine();
    if (state.served) {
        state.servedBy->removeFileArchive(state.served);
        state.served->drop();
    }
    state.served = nullptr;
    state.servedBy = nullptr;
    state.keptBytes = 0;
    state.scopeCheckerKnown = false;
}

// The verdicts kept from earlier runs, read once a run.
void loadKeptVerdicts() {
    CheckBook& book = quarantine().book;
    if (book.lastingLoaded)
        return;
    book.lastingLoaded = true;
    VerdictStore kept;
    if (readVerdictCache(verdictCacheFolder(), kept))
        book.lasting().merge(kept);
}

void saveNewVerdicts() {
    CheckBook& book = quarantine().book;
    if (book.hasUnsaved())
        writeVerdictCache(verdictCacheFolder(), book.takeUnsaved());
}

std::string currentDirectory() {
    char directory[PATH_MAX];
    return getcwd(directory, sizeof directory) ? directory : ".";
}

// The resolution taken as the file's check began, when it still stands: the
// same working directory for a relative name, the same size and time (or the
// bytes hashed kept, which the engine is given whatever the file holds now).
bool begunResolution(const UntrustedFile& file, Resolution& resolution) {
    auto& begun = quarantine().begun;
    const auto found = begun.find({file.path, file.kind});
    if (found == begun.end())
        return false;
    const Resolution& then = found->second.resolution;
    if (file.path[0] != '/' && found->second.workingDirectory != currentDirectory())
        return false;
    if (!then.inArchive && !then.bytes) {
        struct stat status {};
        if (::stat(file.path.c_str(), &status) != 0 || status.st_size != then.identity.size ||
            modifiedTime(status) != then.identity.modified)
            return false;
    }
    resolution = then;
    return true;
}

// The verdict the file has without a check (not to be checked, or checked
// before with the same content), or null with the job that checks it.
const FileVerdict* knownOrJob(const UntrustedFile& file, const Resolution& resolution, CheckJob& job) {
    static FileVerdict answer;
    if (!resolution.needsCheck) {
        answer = resolution.verdict;
        return &answer;
    }
    loadKeptVerdicts();
    if (const FileVerdict* known = quarantine().book.knownVerdict(resolution.key))
        return known;
    job.identity = resolution.identity;
    job.key = resolution.key;
    job.path = file.path;
    job.inArchive = resolution.inArchive;
    // A file on disk is known to its check by its real path, so that two
    // names of one file are checked once.
    char real[PATH_MAX];
    if (!job.inArchive && ::realpath(file.path.c_str(), real))
        job.identity.where = real;
    return nullptr;
}

// What every check of now shares: the mounted archives and the working directory.
FileCheckRequest currentRequest() {
    FileCheckRequest request;
    request.archives = mountedArchives();
    request.workingDirectory = currentDirectory();
    return request;
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
    std::vector<Resolution> resolutions(files.size());
    CheckBatch batch;
    for (size_t i = 0; i < files.size(); ++i) {
        // A file whose check began in this open is not resolved and hashed again.
        Resolution& resolution = resolutions[i];
        if (files[i].path.empty() || !begunResolution(files[i], resolution))
            resolution = resolve(files[i]);
        CheckJob job;
        if (const FileVerdict* now = knownOrJob(files[i], resolution, job))
            verdicts[i] = *now;
        else
            batch.add(job, i);
    }
    state.begun.clear();
    const FileCheckRequest request = currentRequest();
    state.adoptedTextures.clear();
    if (!batch.jobs().empty()) {
        // Checks that take long show how far they are, and may be cancelled.
        WorkProgress work(L"progress_checking", "");
        setWorkTotal(batch.jobs().size(), ProgressUnit::Files);
        allowWorkCancel();
        state.book.run(batch, request, verdicts, adoptDecodedImage, [](size_t done, const std::string& checking) {
            setWorkDetail(checking);
            return keepWaiting(done);
        });
    }
    // A file that passed is safe as it was hashed: a check that ended keeps
    // its verdict only when the file still held those bytes.
    for (size_t i = 0; i < files.size(); ++i)
        if (verdicts[i] == FileVerdict::Safe)
            serveCheckedBytes(files[i].path, resolutions[i]);
    saveNewVerdicts();
    prepareFileChecks();
    return verdicts;
}

void beginUntrustedCheck(const std::string& path, UntrustedKind kind) {
    const UntrustedFile file{path, kind};
    Resolution resolution;
    // Named again in the same open: its check is started or its verdict known.
    if (!path.empty() && begunResolution(file, resolution))
        return;
    resolution = resolve(file);
    if (resolution.needsCheck && !path.empty())
        quarantine().begun[{path, kind}] = {resolution, currentDirectory()};
    CheckJob job;
    if (!knownOrJob(file, resolution, job))
        quarantine().book.start(job, currentRequest());
}

void forgetBegunFileKeys() {
    quarantine().begun.clear();
}

void beginUntrustedChecks(const std::vector<UntrustedFile>& files) {
    for (const UntrustedFile& file : files)
        beginUntrustedCheck(file.path, file.kind);
}

void stopUntrustedChecks() {
    quarantine().book.stopStarted();
    quarantine().begun.clear();
}

size_t startedUntrustedChecks() {
    return quarantine().book.startedCount();
}

FileVerdict checkUntrustedFile(const std::string& path, UntrustedKind kind) {
    return checkUntrustedFiles({{path, kind}}).front();
}

bool admitUntrustedFiles(const std::vector<UntrustedFile>& files) {
    const std::vector<FileVerdict> verdicts = checkUntrustedFiles(files);
    std::vector<std::pair<std::string, FileVerdict>> refused;
    std::vector<std::string> cancelled;
    // Each file is told once, also when a scene names it as a model and an image.
    std::unordered_set<std::string> toldRefused;
    std::unordered_set<std::string> toldCancelled;
    for (size_t i = 0; i < files.size(); ++i) {
        if (verdicts[i] == FileVerdict::Cancelled && toldCancelled.insert(files[i].path).second)
            cancelled.push_back(files[i].path);
        if (isRefused(verdicts[i]) && toldRefused.insert(files[i].path).second)
            refused.push_back({files[i].path, verdicts[i]});
    }
    // A cancelled check says so alone: nothing was found wrong with the files.
    if (cancelled.empty())
        tellRefusedFiles(refused);
    else
        showWorkCancelled(cancelled);
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

CheckedBytesScope::CheckedBytesScope() {
    ++quarantine().bytesScopes;
}

CheckedBytesScope::~CheckedBytesScope() {
    if (--quarantine().bytesScopes == 0)
        stopServingCheckedBytes();
}

void setQuarantineLimits(const QuarantineLimits& limits) {
    quarantine().book.setLimits(limits);
    quarantine().scopeCheckerKnown = false;
}

void setFileCheckProgram(const std::string& path) {
    quarantine().book.setProgram(path);
    quarantine().scopeCheckerKnown = false;
}

const std::string& fileCheckProgram() {
    return quarantine().book.program();
}

void prepareFileChecks() {
    quarantine().book.pump(0); // checks started and not collected yet move on
    quarantine().book.readyServer();
    quarantine().book.checkerIdentity();
}

int fileCheckServerProcess() {
    return quarantine().book.serverProcess();
}

void stopFileCheckServer() {
    quarantine().book.stopServer();
    quarantine().begun.clear();
}

void forgetFileVerdicts() {
    quarantine().book.forget();
    quarantine().adoptedTextures.clear();
    quarantine().begun.clear();
}

} // namespace sorn
