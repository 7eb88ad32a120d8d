#pragma once
// The list of files a file manager hands over when files are dropped on the
// window: a text/uri-list (one URI a line, CRLF, "#" comment lines), each
// file a file:// URI with its bytes percent-encoded.
#include <cstddef>
#include <string>
#include <vector>

namespace sorn {

struct DroppedFileList {
    std::vector<std::string> paths; // absolute local paths, UTF-8 bytes as given
    size_t refused = 0;             // URIs that name no local file (other schemes, hosts, bad escapes)
    size_t beyondLimit = 0;         // files left out past the limit
    bool transferFailed = false;    // the list never arrived (no answer, too large, refused)
};

// The most files taken from one drop, and the longest path accepted.
constexpr size_t kMaxDroppedFiles = 256;
constexpr size_t kMaxDroppedPathLength = 4096;

// The local paths a text/uri-list names, in its order. localHost is this
// machine's name: file URIs naming it, "localhost" or no host are local;
// any other host, any other scheme, a malformed escape, an encoded NUL or a
// path that is not absolute is refused.
DroppedFileList decodeUriList(const std::string& uriList, const std::string& localHost);

// One file URI to its local path; false when it names no local file.
bool localPathOfFileUri(const std::string& uri, const std::string& localHost, std::string& path);

} // namespace sorn
