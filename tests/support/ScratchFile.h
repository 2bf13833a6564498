#pragma once
// A file of the test's own, named per process so that test runs sharing the temporary folder
// (parallel ctest jobs, other build trees) never write into each other's files.

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <unistd.h>

struct ScratchFile {
    std::string path;

    ScratchFile(const std::string& name, const std::string& content)
        : path(testing::TempDir() + "tollbrook-serial-" + std::to_string(getpid()) + "-" + name) {
        std::ofstream(path, std::ios::binary) << content;
    }
    ~ScratchFile() { ::unlink(path.c_str()); }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
};
