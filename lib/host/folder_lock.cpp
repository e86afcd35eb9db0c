#include "folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "native_path.h"

namespace vorl::host {

OutputFolderLocks::OutputFolderLocks(const std::vector<std::string> &outputs)
{
    struct Folder {
        dev_t device;
        ino_t inode;
        int fd;
    };
    std::vector<Folder> folders;
    for (const std::string &output : outputs) {
        auto native = ToNativePath(output);
        if (!native) {
            continue;
        }
        std::string folder = NativeFolderOf(*native);
        int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        struct stat st {};
        if (fd < 0) {
            continue;
        }
        if (::fstat(fd, &st) != 0) {
            ::close(fd);
            continue;
        }
        folders.push_back({st.st_dev, st.st_ino, fd});
    }
    std::sort(folders.begin(), folders.end(), [](const Folder &a, const Folder &b) {
        return std::make_pair(a.device, a.inode) < std::make_pair(b.device, b.inode);
    });
    for (size_t i = 0; i < folders.size(); ++i) {
        bool repeated = i > 0 && folders[i].device == folders[i - 1].device && folders[i].inode == folders[i - 1].inode;
        if (repeated) {
            ::close(folders[i].fd);
            continue;
        }
        int rc;
        do {
            rc = ::flock(folders[i].fd, LOCK_EX);
        } while (rc != 0 && errno == EINTR);
        descriptors_.push_back(folders[i].fd);
    }
}

OutputFolderLocks::~OutputFolderLocks()
{
    for (int fd : descriptors_) {
        ::close(fd);
    }
}

}  // namespace vorl::host
