#include "device/JoinedTextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

#include "device/Local8Bit.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string Reason(const std::filesystem::path& path, const char* what, int error) {
    return std::string(what) + " " + path.string() + ": " + std::strerror(error);
}

std::string TooLarge(const std::filesystem::path& path) {
    return "Cannot read " + path.string() + ": the file is larger than 1 MB (" +
           std::to_string(kMaxJoinedTextFileBytes) + " bytes)";
}

} // namespace

JoinedTextFile ReadJoinedTextFile(const std::filesystem::path& path) {
    JoinedTextFile result;
    // The operator may type any path. A serial device or a pipe would block the page for good
    // (already when opened), a device such as /dev/zero would never end: only plain files are
    // read, and the open itself must not wait.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        result.error = Reason(path, "Cannot open", errno);
        return result;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0) {
        result.error = Reason(path, "Cannot read", errno);
        ::close(fd);
        return result;
    }
    if (!S_ISREG(status.st_mode)) {
        result.error = S_ISDIR(status.st_mode) ? Reason(path, "Cannot read", EISDIR)
                                               : "Cannot read " + path.string() + ": not a file";
        ::close(fd);
        return result;
    }
    if (static_cast<std::uintmax_t>(status.st_size) > kMaxJoinedTextFileBytes) {
        result.error = TooLarge(path);
        ::close(fd);
        return result;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(::fdopen(fd, "rb"));
    if (!file) {
        const int error = errno;
        ::close(fd);
        result.error = Reason(path, "Cannot open", error);
        return result;
    }
    std::string bytes;
    char buffer[4096];
    for (;;) {
        const std::size_t got = std::fread(buffer, 1, sizeof buffer, file.get());
        bytes.append(buffer, got);
        if (got < sizeof buffer) {
            break;
        }
        // A file that grows while it is read is held to the same limit.
        if (bytes.size() > kMaxJoinedTextFileBytes) {
            result.error = TooLarge(path);
            return result;
        }
    }
    if (bytes.size() > kMaxJoinedTextFileBytes) {
        result.error = TooLarge(path);
        return result;
    }
    if (std::ferror(file.get())) {
        result.error = Reason(path, "Cannot read", errno != 0 ? errno : EIO);
        return result;
    }
    std::string joined;
    joined.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n') {
            continue;
        }
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') {
            continue;
        }
        joined.push_back(bytes[i]);
    }
    result.ok = true;
    result.text = DecodeLocal8Bit(joined);
    return result;
}
