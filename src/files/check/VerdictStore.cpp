#include "files/check/VerdictStore.h"

#include <algorithm>
#include <cstring>
#include <tuple>
#include <vector>

#include "files/check/ContentHash.h"

namespace sorn {

namespace {

const char kMagic[4] = {'S', 'R', 'N', 'V'};
constexpr std::uint32_t kVersion = 1;

void put32(std::string& bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void put64(std::string& bytes, std::uint64_t value) {
    for (int i = 0; i < 8; ++i)
        bytes.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::uint64_t get(const std::string& bytes, size_t at, int width) {
    std::uint64_t value = 0;
    for (int i = width - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + static_cast<size_t>(i)]);
    return value;
}

bool validKind(unsigned value) {
    return value <= static_cast<unsigned>(UntrustedKind::HeightMap);
}

} // namespace

bool VerdictKey::operator<(const VerdictKey& other) const {
    return std::tie(content, size, kind, checker) < std::tie(other.content, other.size, other.kind, other.checker);
}

bool VerdictKey::operator==(const VerdictKey& other) const {
    return !(*this < other) && !(other < *this);
}

bool isLastingVerdict(FileVerdict verdict) {
    switch (verdict) {
    case FileVerdict::Safe:
    case FileVerdict::NotLoadable:
    case FileVerdict::Crashed:
    case FileVerdict::TooLarge:
    case FileVerdict::TookTooLong: // only when the CPU-time limit ended it: see CheckBook
        return true;
    default:
        return false;
    }
}

const FileVerdict* VerdictStore::find(const VerdictKey& key) const {
    const auto found = verdicts_.find(key);
    return found == verdicts_.end() ? nullptr : &found->second.verdict;
}

void VerdictStore::put(const VerdictKey& key, FileVerdict verdict, std::int64_t stamp) {
    if (!isLastingVerdict(verdict))
        return;
    Stored& stored = verdicts_[key];
    stored.verdict = verdict;
    stored.stamp = std::max(stored.stamp, stamp);
}

void VerdictStore::merge(const VerdictStore& other) {
    for (const auto& entry : other.verdicts_) {
        auto mine = verdicts_.find(entry.first);
        if (mine == verdicts_.end() || mine->second.stamp <= entry.second.stamp)
            verdicts_[entry.first] = entry.second;
    }
}

std::string VerdictStore::encode() const {
    std::vector<std::pair<const VerdictKey*, const Stored*>> kept;
    for (const auto& entry : verdicts_)
        kept.push_back({&entry.first, &entry.second});
    if (kept.size() > kMaxVerdicts) {
        // The newest first; what is beyond the bound goes.
        std::stable_sort(kept.begin(), kept.end(),
                         [](const auto& a, const auto& b) { return a.second->stamp > b.second->stamp; });
        kept.resize(kMaxVerdicts);
    }
    std::string records;
    records.reserve(kept.size() * kRecordBytes);
    for (const auto& entry : kept) {
        put64(records, entry.first->content);
        put64(records, static_cast<std::uint64_t>(entry.first->size));
        put64(records, entry.first->checker);
        put64(records, static_cast<std::uint64_t>(entry.second->stamp));
        put32(records, static_cast<std::uint32_t>(entry.first->kind));
        put32(records, static_cast<std::uint32_t>(entry.second->verdict));
    }
    std::string bytes(kMagic, sizeof kMagic);
    put32(bytes, kVersion);
    put32(bytes, static_cast<std::uint32_t>(kept.size()));
    put32(bytes, static_cast<std::uint32_t>(hashBytes(records.data(), records.size())));
    return bytes + records;
}

bool VerdictStore::decode(const std::string& bytes) {
    verdicts_.clear();
    if (bytes.size() < kHeaderBytes || bytes.size() > kMaxFileBytes || std::memcmp(bytes.data(), kMagic, 4) != 0 ||
        get(bytes, 4, 4) != kVersion)
        return false;
    const std::uint64_t count = get(bytes, 8, 4);
    if (count > kMaxVerdicts || bytes.size() != kHeaderBytes + count * kRecordBytes ||
        get(bytes, 12, 4) != (hashBytes(bytes.data() + kHeaderBytes, bytes.size() - kHeaderBytes) & 0xFFFFFFFFull))
        return false;
    for (size_t at = kHeaderBytes; at < bytes.size(); at += kRecordBytes) {
        VerdictKey key;
        key.content = get(bytes, at, 8);
        key.size = static_cast<long long>(get(bytes, at + 8, 8));
        key.checker = get(bytes, at + 16, 8);
        const std::int64_t stamp = static_cast<std::int64_t>(get(bytes, at + 24, 8));
        const std::uint64_t kind = get(bytes, at + 32, 4);
        const std::uint64_t verdict = get(bytes, at + 36, 4);
        if (!validKind(static_cast<unsigned>(kind)) || kind > 0xFF || key.size < 0 ||
            verdict > static_cast<std::uint64_t>(FileVerdict::Cancelled) ||
            !isLastingVerdict(static_cast<FileVerdict>(verdict))) {
            verdicts_.clear();
            return false;
        }
        key.kind = static_cast<UntrustedKind>(kind);
        put(key, static_cast<FileVerdict>(verdict), stamp);
    }
    return true;
}

} // namespace sorn
