#include "files/check/FileCheckProtocol.h"

#include <unistd.h>

#include <cstring>

namespace sorn {

namespace {

template <typename Number>
void appendNumber(std::string& text, Number value) {
    char bytes[sizeof value];
    std::memcpy(bytes, &value, sizeof value);
    text.append(bytes, sizeof value);
}

template <typename Number>
bool readNumber(const std::string& text, size_t& at, Number& value) {
    if (text.size() < at + sizeof value)
        return false;
    std::memcpy(&value, text.data() + at, sizeof value);
    at += sizeof value;
    return true;
}

std::string header(char kind, std::uint32_t id) {
    std::string text(1, kind);
    appendNumber(text, id);
    return text;
}

} // namespace

OwnedDescriptor& OwnedDescriptor::operator=(OwnedDescriptor&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0)
            close(fd_);
        fd_ = other.release();
    }
    return *this;
}

OwnedDescriptor::~OwnedDescriptor() {
    if (fd_ >= 0)
        close(fd_);
}

int OwnedDescriptor::release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

std::string encodeCheckRequest(std::uint32_t id, const FileCheckRequest& request) {
    std::string text = header('C', id);
    appendNumber(text, request.size);
    std::vector<std::string> fields = {request.workingDirectory, untrustedKindName(request.kind), request.path};
    fields.insert(fields.end(), request.archives.begin(), request.archives.end());
    for (const std::string& field : fields) {
        text += field;
        text += '\0';
    }
    return text;
}

std::string encodeCancel(std::uint32_t id) {
    return header('K', id);
}

std::string encodeCheckEnd(const FileCheckEnd& end) {
    std::string text = header('E', end.id);
    appendNumber(text, static_cast<std::int32_t>(end.waitStatus));
    appendNumber(text, end.cpuMicroseconds);
    text += end.outOfTime ? '\1' : '\0';
    text += end.errorText.substr(0, filecheck::kMaxErrorText);
    return text;
}

ServerMessage decodeServerMessage(const std::string& message, std::uint32_t& id, FileCheckRequest& request) {
    size_t at = 1;
    if (message.empty() || !readNumber(message, at, id))
        return ServerMessage::Malformed;
    if (message[0] == 'K')
        return message.size() == at ? ServerMessage::Cancel : ServerMessage::Malformed;
    if (message[0] != 'C' || message.back() != '\0' || !readNumber(message, at, request.size))
        return ServerMessage::Malformed;
    std::vector<std::string> fields;
    for (size_t end = message.find('\0', at); end != std::string::npos; end = message.find('\0', at)) {
        fields.push_back(message.substr(at, end - at));
        at = end + 1;
    }
    if (fields.size() < 3 || fields[0].empty() || !parseUntrustedKind(fields[1], request.kind) || fields[2].empty())
        return ServerMessage::Malformed;
    request.workingDirectory = fields[0];
    request.path = fields[2];
    request.archives.assign(fields.begin() + 3, fields.end());
    return ServerMessage::Check;
}

bool decodeCheckEnd(const std::string& message, FileCheckEnd& end) {
    size_t at = 1;
    std::int32_t status = 0;
    if (message.empty() || message[0] != 'E' || !readNumber(message, at, end.id) || !readNumber(message, at, status) ||
        !readNumber(message, at, end.cpuMicroseconds) || message.size() <= at || (message[at] != '\0' && message[at] != '\1'))
        return false;
    end.waitStatus = status;
    end.outOfTime = message[at++] == '\1';
    end.errorText = message.substr(at);
    return true;
}

} // namespace sorn
