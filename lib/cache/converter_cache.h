// A cache of converter results, shared by processes and machines through
// one folder. The key is the SHA-256 of the converter's template text and
// the input's bytes: the names of input and output are not part of it, so
// the same file in another folder hits. An entry is the converter's output
// followed by its own checksum; it is written under a temporary name and
// renamed into place, so a reader never sees half of one, and one whose
// checksum does not match is removed and made again. The key of an input
// is remembered by the input's version (identity, length and times), so an
// unchanged input is not read again to find its entry.
#pragma once

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>

namespace vorl {

class ConverterCache {
public:
    // `folder` (CP932) is made when missing; `sizeLimit` in bytes, 0 for
    // the default of 1 GiB.
    ConverterCache(std::string folder, uint64_t sizeLimit);
    // Adds this run's hits and misses to the folder's statistics and keeps
    // the folder within its size limit, least recently used first out.
    ~ConverterCache();
    ConverterCache(const ConverterCache &) = delete;
    ConverterCache &operator=(const ConverterCache &) = delete;

    bool Usable() const { return usable_; }
    // The key of a converter run; nothing when the input cannot be read.
    std::optional<std::string> KeyOf(const std::string &templateText, const std::string &input) const;
    // Puts the stored output of `key` at `output` and returns its length:
    // the item is that many bytes from the start of `output`, which may
    // hold more. Nothing on a miss (or an entry that fails its checksum,
    // which is removed).
    std::optional<int64_t> Fetch(const std::string &key, const std::string &output);
    // Stores the converter's `output` under `key`. Failures only lose the
    // entry, never the conversion.
    void Store(const std::string &key, const std::string &output);

private:
    std::string EntryPath(const std::string &key) const;
    // The key remembered in `memo` for the version described; nothing when
    // there is none, or one that is damaged.
    std::optional<std::string> RecalledKey(const std::string &memo, const std::string &versionText) const;
    void Remember(const std::string &memo, const std::string &versionText, const std::string &key) const;
    void KeepWithinLimit();
    // Removes abandoned temporaries and sums up old statistics.
    void Tidy();

    std::string folder_;  // with its trailing separator
    std::string machine_;
    uint64_t sizeLimit_;
    bool usable_ = false;
    std::atomic<uint64_t> hits_{0};
    std::atomic<uint64_t> misses_{0};
};

// What `vorlcnv --cache-stats` shows of a cache folder.
struct CacheStatistics {
    uint64_t entries = 0;
    uint64_t bytes = 0;
    uint64_t hits = 0;
    uint64_t misses = 0;
};
std::optional<CacheStatistics> ReadCacheStatistics(const std::string &folder);

}  // namespace vorl
