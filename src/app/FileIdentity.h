#pragma once
// Which file a descriptor or a path really is: two names (a link, a relative path, another
// spelling) of one file have the same device and inode, so the record file and the playback
// file are compared this way and never by name.

#include <optional>
#include <string>
#include <sys/types.h>

struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// Empty when the descriptor is not open.
std::optional<FileIdentity> IdentityOfDescriptor(int fd);
// Empty when nothing exists at the path (links are followed).
std::optional<FileIdentity> IdentityOfPath(const std::string& path);
