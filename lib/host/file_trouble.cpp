#include "file_trouble.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "native_path.h"
#include "output_target.h"

namespace vorl::host {

FileTrouble WhyNotReadable(std::string_view path)
{
    auto native = ToNativePath(path);
    if (!native) {
        return {TroubleKind::Missing, ENOENT};
    }
    struct stat st {};
    if (::stat(native->c_str(), &st) != 0) {
        int error = errno;
        return {error == ENOENT || error == ENOTDIR ? TroubleKind::Missing : TroubleKind::Unreadable, error};
    }
    if (S_ISDIR(st.st_mode)) {
        return {TroubleKind::Folder, EISDIR};
    }
    if (!S_ISREG(st.st_mode)) {
        return {TroubleKind::NotAFile, 0};
    }
    int fd = ::open(native->c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return {TroubleKind::Unreadable, errno};
    }
    ::close(fd);
    if (S_ISREG(st.st_mode) && st.st_size == 0) {
        return {TroubleKind::Empty, 0};
    }
    return {};
}

FileTrouble WhyNotWritable(std::string_view path)
{
    auto native = ToNativePath(path);
    if (!native) {
        return {TroubleKind::Unwritable, EILSEQ};
    }
    if (auto refused = SharedFolderRefusal(*native)) {
        return {TroubleKind::Unwritable, *refused};
    }
    struct stat st {};
    if (::stat(native->c_str(), &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            return {TroubleKind::Folder, EISDIR};
        }
        return ::access(native->c_str(), W_OK) == 0 ? FileTrouble{} : FileTrouble{TroubleKind::Unwritable, errno};
    }
    std::string folder = NativeFolderOf(*native);
    if (::stat(folder.c_str(), &st) != 0) {
        return {TroubleKind::NoFolder, errno};
    }
    if (!S_ISDIR(st.st_mode)) {
        return {TroubleKind::NoFolder, ENOTDIR};
    }
    if (::access(folder.c_str(), W_OK | X_OK) != 0) {
        return {TroubleKind::Unwritable, errno};
    }
    return {};
}

}  // namespace vorl::host
