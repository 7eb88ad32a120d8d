#include "files/FileCheckProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstring>

extern char** environ;

namespace sorn {

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitizedBuild = true;
#else
constexpr bool kSanitizedBuild = false;
#endif

// The environment for the check program. In the sanitizer build the program
// is instrumented too: a fault it finds ends it with its own status rather
// than the default 1, its allocations are bounded by the sanitizer (an
// address-space limit would leave it no room for its shadow memory), and a
// leak left by a loader that gave up is no fault of the file.
std::vector<std::string> checkEnvironment(const FileCheckLimits& limits) {
    std::vector<std::string> environment;
    std::string asanOptions, ubsanOptions;
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string text = *entry;
        if (kSanitizedBuild && text.rfind("ASAN_OPTIONS=", 0) == 0)
            asanOptions = text.substr(13);
        else if (kSanitizedBuild && text.rfind("UBSAN_OPTIONS=", 0) == 0)
            ubsanOptions = text.substr(14);
        else
            environment.push_back(text);
    }
    if (kSanitizedBuild) {
        const std::string exitCode = "exitcode=" + std::to_string(filecheck::kSanitizerError);
        std::string asan = "ASAN_OPTIONS=" + asanOptions + (asanOptions.empty() ? "" : ":") + exitCode +
                           ":detect_leaks=0:halt_on_error=1:abort_on_error=0:allocator_may_return_null=0"
                           ":disable_coredump=1";
        if (limits.memoryMegabytes > 0)
            asan += ":max_allocation_size_mb=" + std::to_string(limits.memoryMegabytes) +
                    ":hard_rss_limit_mb=" + std::to_string(limits.memoryMegabytes * 3);
        environment.push_back(asan);
        environment.push_back("UBSAN_OPTIONS=" + ubsanOptions + (ubsanOptions.empty() ? "" : ":") + exitCode +
                              ":halt_on_error=1");
    }
    return environment;
}

std::vector<std::string> checkArguments(const std::string& program, const FileCheckLimits& limits) {
    std::vector<std::string> arguments = {program};
    if (limits.memoryMegabytes > 0)
        arguments.insert(arguments.end(), {"--memory", std::to_string(limits.memoryMegabytes)});
    if (limits.cpuSeconds > 0)
        arguments.insert(arguments.end(), {"--cpu", std::to_string(limits.cpuSeconds)});
    arguments.push_back("--request");
    return arguments;
}

// Working directory, kind, path and archives, each ended by a zero byte.
std::string requestText(const FileCheckRequest& request) {
    char directory[PATH_MAX];
    std::string text = getcwd(directory, sizeof directory) ? directory : ".";
    text += '\0';
    text += untrustedKindName(request.kind);
    text += '\0';
    text += request.path;
    text += '\0';
    for (const std::string& archive : request.archives) {
        text += archive;
        text += '\0';
    }
    return text;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(&text[0]);
    pointers.push_back(nullptr);
    return pointers;
}

// The start of what the program wrote on stderr (a sanitizer report names
// its kind in its first lines).
std::string readErrorOutput(int fd) {
    if (fd < 0)
        return std::string();
    char buffer[16384];
    const ssize_t count = pread(fd, buffer, sizeof buffer, 0);
    return count > 0 ? std::string(buffer, static_cast<size_t>(count)) : std::string();
}

bool mentionsMemoryExhaustion(const std::string& text) {
    for (const char* sign : {"allocation-size-too-big", "out-of-memory", "out of memory", "rss-limit-exceeded",
                             "calloc-overflow", "failed to allocate", "requested allocation size"})
        if (text.find(sign) != std::string::npos)
            return true;
    return false;
}

} // namespace

FileVerdict verdictFromWaitStatus(int status, bool killedForTime, double cpuSeconds, unsigned cpuLimit,
                                  const std::string& errorText) {
    if (WIFSIGNALED(status)) {
        const int signal = WTERMSIG(status);
        if (killedForTime || signal == SIGXCPU)
            return FileVerdict::TookTooLong;
        // SIGKILL from elsewhere: the hard CPU limit, or the system's
        // out-of-memory killer when the CPU time is not the reason.
        if (signal == SIGKILL)
            return cpuLimit > 0 && cpuSeconds >= cpuLimit ? FileVerdict::TookTooLong : FileVerdict::TooLarge;
        return FileVerdict::Crashed;
    }
    if (!WIFEXITED(status))
        return FileVerdict::Crashed;
    switch (WEXITSTATUS(status)) {
    case filecheck::kLoaded:
        return FileVerdict::Safe;
    case filecheck::kNothingLoaded:
        return FileVerdict::NotLoadable;
    case filecheck::kTooLarge:
        return FileVerdict::TooLarge;
    case filecheck::kSanitizerError:
        return mentionsMemoryExhaustion(errorText) ? FileVerdict::TooLarge : FileVerdict::Crashed;
    case filecheck::kUsage:
    case 127: // the program could not be run at all
        return FileVerdict::NotChecked;
    default:
        // Any other end (a runtime that exits after reporting a fault) is
        // not a load that came through.
        return FileVerdict::Crashed;
    }
}

FileCheckProcess::~FileCheckProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    for (int fd : {requestOutput_, exitWatch_, errorOutput_})
        if (fd >= 0)
            close(fd);
}

bool FileCheckProcess::prepare(const std::string& program, const FileCheckLimits& limits) {
    verdict_ = FileVerdict::NotChecked;
    program_ = program;
    limits_ = limits;
    cpuLimit_ = limits.cpuSeconds;
    std::vector<std::string> arguments = checkArguments(program, limits);
    std::vector<std::string> environment = checkEnvironment(limits);
    std::vector<char*> argv = pointersTo(arguments);
    std::vector<char*> envp = pointersTo(environment);

    // The request goes through a socket rather than a pipe: a program that
    // died meanwhile then makes the send fail instead of raising SIGPIPE here.
    int request[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, request) != 0)
        return false;
    errorOutput_ = memfd_create("sorn-filecheck-stderr", MFD_CLOEXEC);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, request[1], 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (errorOutput_ >= 0)
        posix_spawn_file_actions_adddup2(&actions, errorOutput_, 2);
    else
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    // Nothing of the editor's (display connection, open files) reaches it.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);

    // Signals the editor ignores or blocks would stay so in the program.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int signal : {SIGXCPU, SIGPIPE, SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTERM, SIGINT, SIGCHLD})
        sigaddset(&defaults, signal);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    pid_t pid = -1;
    const int error = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    close(request[1]);
    if (error != 0) {
        close(request[0]);
        return false;
    }
    pid_ = pid;
    requestOutput_ = request[0];
    exitWatch_ = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    return true;
}

bool FileCheckProcess::waitsWith(const std::string& program, const FileCheckLimits& limits) {
    if (pid_ <= 0 || requestOutput_ < 0 || program != program_ || limits.memoryMegabytes != limits_.memoryMegabytes ||
        limits.cpuSeconds != limits_.cpuSeconds || limits.wallSeconds != limits_.wallSeconds)
        return false;
    int status = 0;
    return waitpid(pid_, &status, WNOHANG) == 0;
}

bool FileCheckProcess::send(const FileCheckRequest& request) {
    if (pid_ <= 0 || requestOutput_ < 0)
        return false;
    const std::string text = requestText(request);
    size_t sent = 0;
    while (sent < text.size()) {
        const ssize_t count = ::send(requestOutput_, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (count <= 0)
            break;
        sent += static_cast<size_t>(count);
    }
    close(requestOutput_);
    requestOutput_ = -1;
    deadline_ = std::chrono::steady_clock::now() + std::chrono::seconds(limits_.wallSeconds);
    return sent == text.size();
}

bool FileCheckProcess::finished() {
    if (pid_ <= 0)
        return true;
    int status = 0;
    rusage usage{};
    pid_t ended = wait4(pid_, &status, WNOHANG, &usage);
    if (ended == 0 && std::chrono::steady_clock::now() >= deadline_) {
        kill(pid_, SIGKILL);
        killedForTime_ = true;
        ended = wait4(pid_, &status, 0, &usage);
    }
    if (ended == 0)
        return false;
    if (ended < 0) {
        // Reaped elsewhere: nothing can be said about the file.
        pid_ = -1;
        verdict_ = FileVerdict::NotChecked;
        return true;
    }
    collect(status, usage);
    return true;
}

void FileCheckProcess::collect(int status, const rusage& usage) {
    pid_ = -1;
    const double cpuSeconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                              (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    verdict_ = verdictFromWaitStatus(status, killedForTime_, cpuSeconds, cpuLimit_, readErrorOutput(errorOutput_));
}

void FileCheckProcess::waitForAny(const std::vector<FileCheckProcess*>& running) {
    if (running.empty())
        return;
    std::vector<pollfd> watches;
    auto earliest = std::chrono::steady_clock::time_point::max();
    bool allWatched = true;
    for (const FileCheckProcess* check : running) {
        if (check->deadline_ < earliest)
            earliest = check->deadline_;
        if (check->exitWatch_ >= 0)
            watches.push_back({check->exitWatch_, POLLIN, 0});
        else
            allWatched = false;
    }
    const auto now = std::chrono::steady_clock::now();
    long long wait = earliest <= now ? 0
                                     : std::chrono::duration_cast<std::chrono::milliseconds>(earliest - now).count() + 1;
    // Without a process descriptor (an old kernel) the end is polled for.
    if (!allWatched && wait > 2)
        wait = 2;
    if (wait > 1000)
        wait = 1000;
    poll(watches.data(), watches.size(), static_cast<int>(wait));
}

} // namespace sorn
