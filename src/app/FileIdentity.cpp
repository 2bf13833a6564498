#include "app/FileIdentity.h"

#include <sys/stat.h>

std::optional<FileIdentity> IdentityOfDescriptor(int fd) {
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0)
        return std::nullopt;
    return FileIdentity{st.st_dev, st.st_ino};
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    return FileIdentity{st.st_dev, st.st_ino};
}
