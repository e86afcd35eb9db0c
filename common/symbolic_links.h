// Following a chain of symbolic links to the name it ends at: the library
// and VorlList both replace what a link leads to, never the link itself.
#pragma once

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vorl::common {

// The native name a chain of symbolic links ends at; the name itself when
// it is no link. The last name may not exist (a dangling link): that is
// where a new file goes. Nothing for a loop or a link that cannot be read.
// `visit`, when given, sees every existing name on the way with what lstat
// says of it, the links and the name they end at; false from it ends the
// walk with nothing.
inline std::optional<std::string> FollowLinks(
    std::string name, const std::function<bool(const std::string &, const struct stat &)> &visit = {})
{
    constexpr int kMaxLinkHops = 40;  // the kernel's own limit for one name
    std::vector<char> text(PATH_MAX + 1);
    for (int hop = 0; hop <= kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(name.c_str(), &st) != 0) {
            return errno == ENOENT ? std::optional<std::string>(name) : std::nullopt;
        }
        if (visit && !visit(name, st)) {
            return std::nullopt;
        }
        if (!S_ISLNK(st.st_mode)) {
            return name;
        }
        ssize_t length = ::readlink(name.c_str(), text.data(), text.size());
        if (length <= 0 || static_cast<size_t>(length) >= text.size()) {
            return std::nullopt;
        }
        std::string link(text.data(), static_cast<size_t>(length));
        // A relative link is read from the folder that holds it.
        size_t slash = name.rfind('/');
        name = link[0] == '/' || slash == std::string::npos ? link : name.substr(0, slash + 1) + link;
    }
    return std::nullopt;
}

}  // namespace vorl::common
