#include "files/check/DescriptorIo.h"

#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace sorn {

ssize_t readFullyAt(int fd, unsigned char* data, size_t size, off_t offset) {
    size_t done = 0;
    while (done < size) {
        const ssize_t got = ::pread(fd, data + done, size - done, offset + static_cast<off_t>(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += static_cast<size_t>(got);
    }
    return static_cast<ssize_t>(done);
}

bool writeFully(int fd, const void* data, size_t size) {
    const char* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const ssize_t put = ::write(fd, bytes, size);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0)
            return false;
        bytes += put;
        size -= static_cast<size_t>(put);
    }
    return true;
}

bool sendPacket(int socket, const std::string& message, int descriptor) {
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
    ssize_t sent = -1;
    do
        sent = sendmsg(socket, &header, MSG_NOSIGNAL);
    while (sent < 0 && errno == EINTR);
    return sent == static_cast<ssize_t>(message.size());
}

ssize_t receivePacket(int socket, std::string& buffer, size_t largest, int& descriptor, int flags) {
    descriptor = -1;
    // The message's length first, neither it nor its descriptor taken: the
    // buffer is made its size rather than the largest a message may have.
    // Filling a buffer of the largest size each time cost 0.5 ms in the check
    // server, whose pages are shared with the workers it forks until written.
    iovec nothing{nullptr, 0};
    msghdr peek{};
    peek.msg_iov = &nothing;
    peek.msg_iovlen = 1;
    ssize_t length = -1;
    do
        length = recvmsg(socket, &peek, flags | MSG_PEEK | MSG_TRUNC);
    while (length < 0 && errno == EINTR);
    if (length < 0) {
        buffer.clear(); // as after a failed receive
        return -1;
    }
    buffer.resize(std::min(static_cast<size_t>(length), largest));
    iovec part{&buffer[0], buffer.size()};
    msghdr header{};
    header.msg_iov = &part;
    header.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(4 * sizeof(int))] = {};
    header.msg_control = control;
    header.msg_controllen = sizeof control;
    ssize_t count = -1;
    do
        count = recvmsg(socket, &header, flags | MSG_CMSG_CLOEXEC);
    while (count < 0 && errno == EINTR);
    // A descriptor that came is owned from here on, whatever the message is.
    for (cmsghdr* attached = CMSG_FIRSTHDR(&header); attached; attached = CMSG_NXTHDR(&header, attached)) {
        if (attached->cmsg_level != SOL_SOCKET || attached->cmsg_type != SCM_RIGHTS)
            continue;
        const size_t descriptors = (attached->cmsg_len - CMSG_LEN(0)) / sizeof(int);
        for (size_t i = 0; i < descriptors; ++i) {
            int fd = -1;
            std::memcpy(&fd, CMSG_DATA(attached) + i * sizeof(int), sizeof fd);
            if (descriptor < 0)
                descriptor = fd;
            else
                close(fd);
        }
    }
    buffer.resize(count > 0 ? static_cast<size_t>(count) : 0);
    return count;
}

} // namespace sorn
