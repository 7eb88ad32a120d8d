#include "files/check/DescriptorIo.h"

#include <unistd.h>

#include <cerrno>

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

} // namespace sorn
