#include "files/check/CheckServerProcess.h"

#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include <irrlicht.h>

#include "files/check/FileCheckProtocol.h"

namespace sorn {

namespace {

constexpr int kEditor = 0; // the socket to the editor

struct RunningCheck {
    std::uint32_t id = 0;
    pid_t pid = -1;
    int exitWatch = -1;   // readable once the check has ended (-1: polled for)
    int errorOutput = -1; // what the check wrote on stderr
    int decodedImage = -1; // an image check's decoded image
};

void closeDescriptors(const RunningCheck& check) {
    for (int fd : {check.exitWatch, check.errorOutput, check.decodedImage})
        if (fd >= 0)
            close(fd);
}

// In the forked check: nothing of the server's but the device, its own
// stderr, then the limits, the working directory and the load.
[[noreturn]] void runCheck(irr::IrrlichtDevice* device, const CheckLimits& limits, const FileCheckRequest& request,
                           const RunningCheck& check, const std::vector<RunningCheck>& others, pid_t server) {
    // A check blocked on a read uses no CPU time: it must not outlive the
    // server that would stop it.
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != server)
        _exit(filecheck::kUsage);
    close(kEditor);
    // Another check's files are none of this one's business.
    for (const RunningCheck& other : others)
        closeDescriptors(other);
    if (check.errorOutput >= 0) {
        dup2(check.errorOutput, 2);
        close(check.errorOutput);
    }
    limitThisCheck(limits);
    if (chdir(request.workingDirectory.c_str()) != 0)
        _exit(filecheck::kUsage);
    device->getFileSystem()->changeWorkingDirectoryTo(request.workingDirectory.c_str());
    // No clean-up: the process ends here, and a loader that gave up may
    // have left anything behind.
    _exit(loadUntrustedFile(device, request.kind, request.path, request.archives, check.decodedImage));
}

std::string readErrorOutput(int fd) {
    if (fd < 0)
        return std::string();
    std::string text(filecheck::kMaxErrorText, '\0');
    const ssize_t count = pread(fd, &text[0], text.size(), 0);
    text.resize(count > 0 ? static_cast<size_t>(count) : 0);
    return text;
}

// Sends a message, with a descriptor when one is given.
void sendToEditor(const std::string& message, int descriptor = -1) {
    iovec part{const_cast<char*>(message.data()), message.size()};
    msghdr header{};
    header.msg_iov = &part;
    header.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    if (descriptor >= 0) {
        header.msg_control = control;
        header.msg_controllen = sizeof control;
        cmsghdr* attached = CMSG_FIRSTHDR(&header);
        attached->cmsg_level = SOL_SOCKET;
        attached->cmsg_type = SCM_RIGHTS;
        attached->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(attached), &descriptor, sizeof(int));
    }
    while (sendmsg(kEditor, &header, MSG_NOSIGNAL) < 0 && errno == EINTR) {
    }
}

// The decoded image of a check that loaded its file, when it wrote one.
int decodedImageToSend(const RunningCheck& check, int status) {
    struct stat written {};
    if (check.decodedImage < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != filecheck::kLoaded ||
        fstat(check.decodedImage, &written) != 0 || written.st_size == 0)
        return -1;
    return check.decodedImage;
}

// A check that could not be forked ends at once, as a program that could not be run.
void reportNotStarted(std::uint32_t id) {
    FileCheckEnd end;
    end.id = id;
    end.waitStatus = filecheck::kUsage << 8;
    sendToEditor(encodeCheckEnd(end));
}

void startCheck(irr::IrrlichtDevice* device, const CheckLimits& limits, std::uint32_t id,
                const FileCheckRequest& request, std::vector<RunningCheck>& running) {
    RunningCheck check;
    check.id = id;
    check.errorOutput = memfd_create("sorn-filecheck-stderr", MFD_CLOEXEC);
    if (request.kind == UntrustedKind::Image)
        check.decodedImage = memfd_create("sorn-filecheck-image", MFD_CLOEXEC);
    const pid_t server = getpid();
    check.pid = fork();
    if (check.pid == 0)
        runCheck(device, limits, request, check, running, server);
    if (check.pid < 0) {
        closeDescriptors(check);
        reportNotStarted(id);
        return;
    }
    check.exitWatch = static_cast<int>(syscall(SYS_pidfd_open, check.pid, 0));
    running.push_back(check);
}

// Reaps the checks that have ended and reports them.
void reapEnded(std::vector<RunningCheck>& running) {
    for (size_t i = 0; i < running.size();) {
        RunningCheck& check = running[i];
        int status = 0;
        rusage usage{};
        const pid_t ended = wait4(check.pid, &status, WNOHANG, &usage);
        if (ended == 0 || (ended < 0 && errno == EINTR)) {
            ++i;
            continue;
        }
        FileCheckEnd end;
        end.id = check.id;
        end.waitStatus = ended > 0 ? status : filecheck::kUsage << 8;
        end.cpuMicroseconds = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000LL + usage.ru_utime.tv_usec +
                              usage.ru_stime.tv_usec;
        end.errorText = readErrorOutput(check.errorOutput);
        sendToEditor(encodeCheckEnd(end), ended > 0 ? decodedImageToSend(check, status) : -1);
        closeDescriptors(check);
        running.erase(running.begin() + static_cast<long>(i));
    }
}

void stopAll(std::vector<RunningCheck>& running) {
    for (RunningCheck& check : running) {
        kill(check.pid, SIGKILL);
        waitpid(check.pid, nullptr, 0);
    }
}

} // namespace

int serveFileChecks(const CheckLimits& limits) {
    // The server's own life is not limited: each check sets its limits.
    irr::IrrlichtDevice* device = createCheckDevice();
    if (!device)
        return filecheck::kUsage;
    std::vector<RunningCheck> running;
    std::string message(filecheck::kMaxMessage, '\0');
    for (;;) {
        std::vector<pollfd> watches = {{kEditor, POLLIN, 0}};
        bool allWatched = true;
        for (const RunningCheck& check : running) {
            if (check.exitWatch >= 0)
                watches.push_back({check.exitWatch, POLLIN, 0});
            else
                allWatched = false;
        }
        // Without a process descriptor (an old kernel) the end is polled for.
        if (poll(watches.data(), watches.size(), allWatched ? -1 : 2) < 0 && errno != EINTR)
            break;
        reapEnded(running);
        if (!(watches[0].revents & (POLLIN | POLLHUP | POLLERR)))
            continue;
        const ssize_t count = recv(kEditor, &message[0], message.size(), 0);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break; // the editor went away
        std::uint32_t id = 0;
        FileCheckRequest request;
        switch (decodeServerMessage(message.substr(0, static_cast<size_t>(count)), id, request)) {
        case ServerMessage::Check:
            startCheck(device, limits, id, request, running);
            break;
        case ServerMessage::Cancel:
            for (const RunningCheck& check : running)
                if (check.id == id)
                    kill(check.pid, SIGKILL);
            break;
        case ServerMessage::Malformed:
            reportNotStarted(id);
            break;
        }
    }
    stopAll(running);
    device->drop();
    return 0;
}

} // namespace sorn
