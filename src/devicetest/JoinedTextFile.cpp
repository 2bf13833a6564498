#include "devicetest/JoinedTextFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "devicetest/Local8Bit.h"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

std::string Reason(const std::filesystem::path& path, const char* what, int error) {
    return std::string(what) + " " + path.string() + ": " + std::strerror(error);
}

} // namespace

JoinedTextFile ReadJoinedTextFile(const std::filesystem::path& path) {
    JoinedTextFile result;
    errno = 0;
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        result.error = Reason(path, "Cannot open", errno);
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
