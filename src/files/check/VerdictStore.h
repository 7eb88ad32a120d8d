#pragma once
// The verdicts kept across runs: a file's verdict under its content (hash and
// size), the kind it is loaded as and the checker (program and limits), so
// that neither a rewritten file nor a rebuilt checker or other limits reuse
// an old verdict. Only verdicts that a new check would give again are kept:
// see isLastingVerdict.
//
// The store is written to the cache file as a header and fixed records:
//   "SRNV" version count checksum-of-records, then per record
//   content size checker stamp kind verdict (little-endian)
// and read back trusting nothing: a wrong length, checksum, kind or verdict
// makes the whole file count as absent.
#include <cstdint>
#include <map>
#include <string>

#include "files/check/CheckServerClient.h"
#include "files/check/FileCheck.h"

namespace sorn {

struct VerdictKey {
    std::uint64_t content = 0; // hash of the whole file
    long long size = 0;
    UntrustedKind kind = UntrustedKind::Model;
    std::uint64_t checker = 0; // the check program and the limits

    bool operator<(const VerdictKey& other) const;
    bool operator==(const VerdictKey& other) const;
};

// Whether a verdict says something lasting about the file's content (not
// about the machine's load, the user or the check program's availability).
bool isLastingVerdict(FileVerdict verdict);

class VerdictStore {
public:
    // At most this many verdicts are kept; the ones used longest ago go first.
    static constexpr size_t kMaxVerdicts = 4096;
    static constexpr size_t kHeaderBytes = 16;
    static constexpr size_t kRecordBytes = 40;
    static constexpr size_t kMaxFileBytes = kHeaderBytes + kMaxVerdicts * kRecordBytes;

    const FileVerdict* find(const VerdictKey& key) const;
    // Adds or replaces a verdict, used at the time stamp (seconds).
    void put(const VerdictKey& key, FileVerdict verdict, std::int64_t stamp);
    // Takes what other holds, the later stamp winning.
    void merge(const VerdictStore& other);
    size_t size() const { return verdicts_.size(); }
    bool empty() const { return verdicts_.empty(); }
    void clear() { verdicts_.clear(); }

    std::string encode() const; // drops the oldest beyond kMaxVerdicts
    // Replaces the content with the decoded bytes; false (and empty) when the
    // bytes are not a store this version wrote.
    bool decode(const std::string& bytes);

private:
    struct Stored {
        FileVerdict verdict = FileVerdict::NotChecked;
        std::int64_t stamp = 0;
    };
    std::map<VerdictKey, Stored> verdicts_;
};

} // namespace sorn
