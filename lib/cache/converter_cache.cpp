#include "converter_cache.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "content_hash.h"
#include "directory_listing.h"
#include "file_system.h"
#include "host_file.h"
#include "item_checksum.h"
#include "native_path.h"
#include "path_rules.h"

namespace vorl {
namespace {

constexpr uint64_t kDefaultLimit = uint64_t{1} << 30;
constexpr std::string_view kEntryEnding = ".vorlcache";
constexpr std::string_view kMemoEnding = ".vorlkey";
constexpr std::string_view kStatisticsName = "statistics";
// The ending of the files being written into the folder, by which Tidy
// finds those a process left behind.
constexpr std::string_view kTemporaryEnding = ".tmp";
constexpr size_t kKeySize = 64;       // hexadecimal SHA-256
constexpr size_t kChecksumSize = 16;  // the hexadecimal ItemChecksum at the end of an entry
constexpr size_t kChunk = 1 << 16;
// A memo is a key, then the checksum of its version text and the key.
constexpr size_t kMemoSize = 2 * kKeySize;
// How many memos a folder keeps: a few for each entry.
constexpr size_t kMemosPerEntry = 2;
constexpr size_t kSpareMemos = 1024;
// A file written within the last moment may be written again within the
// same tick of the file system's clock without its times changing: its
// key is not remembered until its times have settled.
constexpr int64_t kSettledNanoseconds = int64_t{2} * 1000000000;

// What a memo is remembered by. The machine's name keeps apart two
// machines sharing the folder, whose files may have equal numbers.
std::string VersionText(const std::string &machine, const host::FileVersion &version, const std::string &templateText)
{
    return machine + "\n" + std::to_string(version.device) + " " + std::to_string(version.inode) + " " +
           std::to_string(version.length) + " " + std::to_string(version.modifiedNanoseconds) + " " +
           std::to_string(version.changedNanoseconds) + "\n" + std::to_string(templateText.size()) + ":" + templateText;
}

bool IsHexDigest(std::string_view text)
{
    return text.size() == kKeySize && std::all_of(text.begin(), text.end(), [](char c) {
               return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
           });
}

// Streams `length` bytes from where `from` stands into `to` (when it is
// open), hashing them.
template <typename Hash>
bool CopyHashed(host::HostFile &from, host::HostFile &to, uint64_t length, Hash &hash)
{
    std::vector<char> buffer(kChunk);
    while (length > 0) {
        long got = from.Read(buffer.data(), static_cast<size_t>(std::min<uint64_t>(length, kChunk)));
        if (got <= 0) {
            return false;
        }
        hash.Add(buffer.data(), static_cast<size_t>(got));
        if (to.IsOpen() && !to.WriteAll(buffer.data(), static_cast<size_t>(got))) {
            return false;
        }
        length -= static_cast<uint64_t>(got);
    }
    return true;
}

// The hits and misses of the runs that used a cache, one line per run.
struct RunCounts {
    uint64_t hits = 0;
    uint64_t misses = 0;
    size_t runs = 0;
};

RunCounts ReadRunCounts(const std::string &path)
{
    host::HostFile file = host::HostFile::OpenForReading(path);
    std::string text;
    std::vector<char> buffer(kChunk);
    for (long got; file.IsOpen() && (got = file.Read(buffer.data(), buffer.size())) > 0;) {
        text.append(buffer.data(), static_cast<size_t>(got));
    }
    RunCounts counts;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        unsigned long long hits = 0, misses = 0;
        if (std::sscanf(line.c_str(), "%llu %llu", &hits, &misses) == 2) {
            counts.hits += hits;
            counts.misses += misses;
            ++counts.runs;
        }
        start = end == std::string::npos ? text.size() : end + 1;
    }
    return counts;
}

}  // namespace

ConverterCache::ConverterCache(std::string folder, uint64_t sizeLimit)
    : folder_(std::move(folder)), sizeLimit_(sizeLimit == 0 ? kDefaultLimit : sizeLimit)
{
    if (!host::HostRules().EndsInSeparator(folder_)) {
        folder_.push_back(host::HostRules().joinSeparator);
    }
    usable_ = host::MakeFolders(folder_.substr(0, folder_.size() - 1));
    machine_ = host::MachineName();
}

ConverterCache::~ConverterCache()
{
    if (!usable_ || hits_ + misses_ == 0) {
        return;
    }
    host::AppendToFile(folder_ + std::string(kStatisticsName),
                       std::to_string(hits_) + " " + std::to_string(misses_) + "\n");
    KeepWithinLimit();
    Tidy();
}

void ConverterCache::Tidy()
{
    // A process ended while it stored an entry leaves its temporary behind;
    // one that old belongs to nobody any more.
    constexpr int64_t kAbandoned = int64_t{3600} * 1000000000;
    const int64_t now = host::CalendarNanoseconds();
    if (auto temporaries = host::ListDirectory(folder_, std::string("*").append(kTemporaryEnding))) {
        for (const auto &entry : *temporaries) {
            int64_t modified = host::ModifiedNanoseconds(folder_ + entry.name);
            if (modified != 0 && now - modified > kAbandoned) {
                host::RemoveFile(folder_ + entry.name);
            }
        }
    }
    // The statistics are summed up now and then, so that the file stays
    // small; a run that appends meanwhile may lose its counts, nothing more.
    constexpr size_t kMostRuns = 256;
    const std::string statistics = folder_ + std::string(kStatisticsName);
    RunCounts counts = ReadRunCounts(statistics);
    if (counts.runs <= kMostRuns) {
        return;
    }
    host::ReplaceFileContents(statistics, std::to_string(counts.hits) + " " + std::to_string(counts.misses) + "\n",
                              kTemporaryEnding);
}

std::string ConverterCache::EntryPath(const std::string &key) const
{
    return folder_ + key + std::string(kEntryEnding);
}

std::optional<std::string> ConverterCache::KeyOf(const std::string &templateText, const std::string &input) const
{
    const int64_t now = host::CalendarNanoseconds();
    host::HostFile file = host::HostFile::OpenForReading(input);
    int64_t length = file.LengthAtOpen();
    if (!file.IsOpen() || length < 0) {
        return std::nullopt;
    }
    // Hashing every input again would cost more than packing them: the
    // key of a file whose version is unchanged is remembered instead.
    host::FileVersion version;
    std::string memo;
    std::string versionText;
    if (file.Version(version) && version.length == length) {
        versionText = VersionText(machine_, version, templateText);
        memo = folder_ + HexDigestOf(versionText) + std::string(kMemoEnding);
        if (auto key = RecalledKey(memo, versionText)) {
            return key;
        }
    }
    ContentHash hash;
    // The template's length first, so that no template and input can
    // run into one another.
    hash.Add(std::to_string(templateText.size()) + ":" + templateText);
    host::HostFile none;
    if (!CopyHashed(file, none, static_cast<uint64_t>(length), hash)) {
        return std::nullopt;
    }
    std::string key = hash.HexDigest();
    if (!memo.empty() && now - version.modifiedNanoseconds > kSettledNanoseconds &&
        now - version.changedNanoseconds > kSettledNanoseconds) {
        Remember(memo, versionText, key);
    }
    return key;
}

std::optional<std::string> ConverterCache::RecalledKey(const std::string &memo, const std::string &versionText) const
{
    host::HostFile file = host::HostFile::OpenForReading(memo);
    char text[kMemoSize + 1];
    if (!file.IsOpen() || file.LengthAtOpen() != static_cast<int64_t>(kMemoSize) ||
        file.Read(text, sizeof text) != static_cast<long>(kMemoSize)) {
        return std::nullopt;
    }
    std::string key(text, kKeySize);
    if (!IsHexDigest(key) || HexDigestOf(versionText + key) != std::string_view(text + kKeySize, kKeySize)) {
        return std::nullopt;
    }
    host::TouchFile(memo);  // recently used
    return key;
}

void ConverterCache::Remember(const std::string &memo, const std::string &versionText, const std::string &key) const
{
    if (!usable_) {
        return;
    }
    host::ReplaceFileContents(memo, key + HexDigestOf(versionText + key), kTemporaryEnding);
}

std::optional<int64_t> ConverterCache::Fetch(const std::string &key, const std::string &output)
{
    const std::string entry = EntryPath(key);
    // An entry is never changed, only replaced by a rename: a second name
    // for it holds its bytes, checksum and all, without copying them, and
    // the packer takes the item from there. Across file systems it is
    // copied.
    const bool linked = host::LinkFile(entry, output);
    host::HostFile stored = host::HostFile::OpenForReading(linked ? output : entry);
    int64_t length = stored.LengthAtOpen();
    if (!stored.IsOpen() || length < static_cast<int64_t>(kChecksumSize)) {
        host::RemoveFile(output);
        ++misses_;
        return std::nullopt;
    }
    const int64_t itemLength = length - static_cast<int64_t>(kChecksumSize);
    host::HostFile copy = linked ? host::HostFile() : host::HostFile::CreateTruncating(output);
    ItemChecksum hash;
    char checksum[kChecksumSize];
    bool intact = (linked || copy.IsOpen()) && CopyHashed(stored, copy, static_cast<uint64_t>(itemLength), hash) &&
                  stored.Read(checksum, kChecksumSize) == static_cast<long>(kChecksumSize) &&
                  hash.HexDigest() == std::string_view(checksum, kChecksumSize) && (linked || copy.Close());
    if (!intact) {
        // A damaged entry goes, and the converter runs as on any miss.
        copy.Close();
        host::RemoveFile(output);
        host::RemoveFile(entry);
        ++misses_;
        return std::nullopt;
    }
    host::TouchFile(entry);  // recently used
    ++hits_;
    return itemLength;
}

void ConverterCache::Store(const std::string &key, const std::string &output)
{
    host::HostFile result = host::HostFile::OpenForReading(output);
    int64_t length = result.Length();
    if (!usable_ || !result.IsOpen() || length <= 0) {
        return;
    }
    host::ReplaceFileWith(
        EntryPath(key),
        [&](host::HostFile &entry) {
            ItemChecksum hash;
            if (!CopyHashed(result, entry, static_cast<uint64_t>(length), hash)) {
                return false;
            }
            const std::string checksum = hash.HexDigest();
            return entry.WriteAll(checksum.data(), checksum.size());
        },
        kTemporaryEnding);
}

namespace {

// The files of a listing of `folder`, the least recently used first. When
// a file was last used is told in nanoseconds: a listing keeps whole
// seconds only, and runs one after another (the steps of one build) fall
// within a second, so the order among them would be the names' instead.
std::vector<const host::DirectoryEntry *> LeastRecentlyUsedFirst(const std::string &folder,
                                                                 const std::vector<host::DirectoryEntry> &listing)
{
    std::vector<std::pair<int64_t, const host::DirectoryEntry *>> aged;
    for (const auto &file : listing) {
        aged.emplace_back(host::ModifiedNanoseconds(folder + file.name), &file);
    }
    std::stable_sort(aged.begin(), aged.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    std::vector<const host::DirectoryEntry *> files;
    for (const auto &[lastUsed, file] : aged) {
        files.push_back(file);
    }
    return files;
}

}  // namespace

void ConverterCache::KeepWithinLimit()
{
    auto entries = host::ListDirectory(folder_, std::string("*").append(kEntryEnding));
    if (!entries) {
        return;
    }
    uint64_t total = 0;
    for (const auto &entry : *entries) {
        total += static_cast<uint64_t>(entry.size);
    }
    size_t entryCount = entries->size();
    if (total > sizeLimit_) {
        for (const host::DirectoryEntry *entry : LeastRecentlyUsedFirst(folder_, *entries)) {
            if (total <= sizeLimit_) {
                break;
            }
            if (host::RemoveFile(folder_ + entry->name)) {
                total -= static_cast<uint64_t>(entry->size);
                --entryCount;
            }
        }
    }
    // Memos are a few bytes each and stay out of the size limit; their
    // number follows the entries', with room for inputs under several names.
    auto memos = host::ListDirectory(folder_, std::string("*").append(kMemoEnding));
    const size_t mostMemos = kMemosPerEntry * entryCount + kSpareMemos;
    if (memos && memos->size() > mostMemos) {
        size_t count = memos->size();
        for (const host::DirectoryEntry *memo : LeastRecentlyUsedFirst(folder_, *memos)) {
            if (count <= mostMemos) {
                break;
            }
            if (host::RemoveFile(folder_ + memo->name)) {
                --count;
            }
        }
    }
}

std::optional<CacheStatistics> ReadCacheStatistics(const std::string &folder)
{
    std::string base = folder;
    if (!host::HostRules().EndsInSeparator(base)) {
        base.push_back(host::HostRules().joinSeparator);
    }
    auto listing = host::ListDirectory(base, std::string("*").append(kEntryEnding));
    if (!listing) {
        return std::nullopt;
    }
    CacheStatistics statistics;
    for (const auto &entry : *listing) {
        ++statistics.entries;
        statistics.bytes += static_cast<uint64_t>(entry.size);
    }
    const RunCounts counts = ReadRunCounts(base + std::string(kStatisticsName));
    statistics.hits = counts.hits;
    statistics.misses = counts.misses;
    return statistics;
}

}  // namespace vorl
