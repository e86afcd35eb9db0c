#include "output_plan.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "native_path.h"
#include "symbolic_links.h"

namespace vorl::host {
namespace {

// "a/./b/../c" as "a/c", on an absolute name.
std::string WithoutDots(const std::string &absolute)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= absolute.size()) {
        size_t slash = absolute.find('/', start);
        std::string part = absolute.substr(start, slash == std::string::npos ? std::string::npos : slash - start);
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        if (slash == std::string::npos) {
            break;
        }
        start = slash + 1;
    }
    std::string joined;
    for (const std::string &part : parts) {
        joined += "/" + part;
    }
    return joined.empty() ? "/" : joined;
}

// The absolute name a file not made yet will have: the deepest folder on
// the way that exists is resolved by the system (its links followed), the
// rest is taken as written. A dangling link leads to where its file goes.
std::string ResolveMissing(const std::string &native)
{
    auto followed = common::FollowLinks(native);
    std::string name = followed ? *followed : native;
    if (name.empty()) {
        return {};
    }
    if (name[0] != '/') {
        auto here = NativeCurrentFolder();
        if (!here) {
            return {};
        }
        name = *here + "/" + name;
    }
    std::string rest;
    std::string folder = name;
    while (true) {
        size_t slash = folder.rfind('/');
        if (slash == std::string::npos) {
            return {};
        }
        rest = folder.substr(slash) + rest;
        folder = folder.substr(0, slash);
        char *resolved = ::realpath(folder.empty() ? "/" : folder.c_str(), nullptr);
        if (resolved != nullptr) {
            std::string base(resolved);
            ::free(resolved);
            return WithoutDots(base + rest);
        }
        if (errno != ENOENT && errno != ENOTDIR) {
            return WithoutDots(name);
        }
    }
}

}  // namespace

bool FileKey::Matches(const FileKey &other) const
{
    if (identity && other.identity) {
        return *identity == *other.identity;
    }
    return !identity && !other.identity && !resolved.empty() && resolved == other.resolved;
}

FileKey KeyOfFile(std::string_view path)
{
    FileKey key;
    auto native = ToNativePath(path);
    if (!native) {
        return key;
    }
    struct stat st {};
    if (::stat(native->c_str(), &st) == 0) {
        key.identity = FileIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
        key.writtenThrough = !S_ISREG(st.st_mode) && !S_ISDIR(st.st_mode);
        return key;
    }
    key.resolved = ResolveMissing(*native);
    return key;
}

int OutputPlan::AddInput(std::string_view path)
{
    inputs_.push_back({std::string(path), KeyOfFile(path)});
    return static_cast<int>(inputs_.size()) - 1;
}

int OutputPlan::AddOutput(std::string_view path)
{
    outputs_.push_back({std::string(path), KeyOfFile(path)});
    return static_cast<int>(outputs_.size()) - 1;
}

std::optional<PlanConflict> OutputPlan::FindConflict() const
{
    for (size_t out = 0; out < outputs_.size(); ++out) {
        const Planned &output = outputs_[out];
        if (output.key.writtenThrough) {
            continue;
        }
        for (size_t other = 0; other < out; ++other) {
            if (output.key.Matches(outputs_[other].key)) {
                return PlanConflict{output.path, outputs_[other].path, true, static_cast<int>(out),
                                    static_cast<int>(other)};
            }
        }
        for (size_t in = 0; in < inputs_.size(); ++in) {
            if (output.key.Matches(inputs_[in].key)) {
                return PlanConflict{output.path, inputs_[in].path, false, static_cast<int>(out), static_cast<int>(in)};
            }
        }
    }
    return std::nullopt;
}

}  // namespace vorl::host
