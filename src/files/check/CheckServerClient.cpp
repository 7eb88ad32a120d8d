#include "files/check/CheckServerClient.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "files/check/DescriptorIo.h"

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
// leak left by a loader that gave up is no fault of the file. Resident
// memory is watched by each check itself (see limitThisCheck).
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
    // Every symbol is bound as the server starts, ahead of time, rather than
    // again in each check it forks.
    environment.push_back("LD_BIND_NOW=1");
    if (kSanitizedBuild) {
        const std::string exitCode = "exitcode=" + std::to_string(filecheck::kSanitizerError);
        std::string asan = "ASAN_OPTIONS=" + asanOptions + (asanOptions.empty() ? "" : ":") + exitCode +
                           ":detect_leaks=0:halt_on_error=1:abort_on_error=0:allocator_may_return_null=0"
                           ":disable_coredump=1";
        if (limits.memoryMegabytes > 0)
            asan += ":max_allocation_size_mb=" + std::to_string(limits.memoryMegabytes);
        environment.push_back(asan);
        environment.push_back("UBSAN_OPTIONS=" + ubsanOptions + (ubsanOptions.empty() ? "" : ":") + exitCode +
                              ":halt_on_error=1");
    }
    return environment;
}

std::vector<std::string> serverArguments(const std::string& program, const FileCheckLimits& limits) {
    std::vector<std::string> arguments = {program};
    if (limits.memoryMegabytes > 0)
        arguments.insert(arguments.end(), {"--memory", std::to_string(limits.memoryMegabytes)});
    if (limits.cpuSeconds > 0)
        arguments.insert(arguments.end(), {"--cpu", std::to_string(limits.cpuSeconds)});
    if (limits.wallSeconds > 0)
        arguments.insert(arguments.end(), {"--wall", std::to_string(limits.wallSeconds)});
    arguments.push_back("--serve");
    return arguments;
}

std::vector<char*> pointersTo(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(&text[0]);
    pointers.push_back(nullptr);
    return pointers;
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

CheckServerClient::~CheckServerClient() {
    if (socket_ >= 0)
        close(socket_);
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
}

bool CheckServerClient::start(const std::string& program, const FileCheckLimits& limits) {
    program_ = program;
    limits_ = limits;
    std::vector<std::string> arguments = serverArguments(program, limits);
    std::vector<std::string> environment = checkEnvironment(limits);
    std::vector<char*> argv = pointersTo(arguments);
    std::vector<char*> envp = pointersTo(environment);

    // A sequenced-packet socket keeps each message whole; a server that died
    // makes a send fail instead of raising SIGPIPE here.
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, ends) != 0)
        return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ends[1], 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    // Nothing of the editor's (display connection, open files) reaches it.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);

    // Signals the editor ignores or blocks would stay so in the server.
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
    close(ends[1]);
    if (error != 0) {
        close(ends[0]);
        return false;
    }
    pid_ = pid;
    socket_ = ends[0];
    return true;
}

bool CheckServerClient::runsWith(const std::string& program, const FileCheckLimits& limits) {
    if (pid_ <= 0 || socket_ < 0 || program != program_ || limits.memoryMegabytes != limits_.memoryMegabytes ||
        limits.cpuSeconds != limits_.cpuSeconds || limits.wallSeconds != limits_.wallSeconds)
        return false;
    int status = 0;
    return waitpid(pid_, &status, WNOHANG) == 0;
}

bool CheckServerClient::send(std::uint32_t id, const FileCheckRequest& request) {
    const std::string message = encodeCheckRequest(id, request);
    if (socket_ < 0 || message.size() > filecheck::kMaxMessage)
        return false;
    return sendPacket(socket_, message);
}

void CheckServerClient::cancel(std::uint32_t id) {
    const std::string message = encodeCancel(id);
    if (socket_ >= 0)
        sendPacket(socket_, message);
}

bool CheckServerClient::receive(std::vector<FileCheckEnd>& ended, int milliseconds) {
    if (socket_ < 0)
        return false;
    pollfd watch{socket_, POLLIN, 0};
    if (poll(&watch, 1, milliseconds) < 0 && errno != EINTR)
        return false;
    std::string message;
    for (;;) {
        int descriptor = -1;
        const ssize_t count = receivePacket(socket_, message, filecheck::kMaxMessage, descriptor, MSG_DONTWAIT);
        const int error = errno;
        FileCheckEnd end;
        end.decodedImage = OwnedDescriptor(descriptor);
        if (count < 0)
            return error == EAGAIN || error == EWOULDBLOCK || error == EINTR;
        if (count == 0)
            return false; // the server is gone
        if (decodeCheckEnd(message, end))
            ended.push_back(std::move(end));
    }
}

} // namespace sorn
