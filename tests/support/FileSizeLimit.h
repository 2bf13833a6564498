#pragma once
// A write failure of a regular file without a full disk: the process's file size limit.

#include <csignal>
#include <sys/resource.h>

// Lowers this process's file size limit for its lifetime; a write past it fails with EFBIG
// (the signal the system would send first is ignored meanwhile).
struct FileSizeLimit {
    rlimit saved{};
    void (*savedHandler)(int) = nullptr;
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved);
        savedHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lower = saved;
        lower.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &lower);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, savedHandler);
    }
};
