// The reason shown when a port does not open, and the access probe behind its group advice.

#include <gtest/gtest.h>

#include "ScratchFile.h"
#include "serial/PortOpenFailure.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

TEST(DescribeOpenFailure, AddsTheGroupAdviceOnlyForADeniedPath) {
    const std::string advice = "\nYou must be a member of the group \"dialout\" that owns "
                               "/dev/ttyUSB0 (for example: sudo usermod -aG dialout $USER, "
                               "then log in again).";
    struct Case {
        const char* name;
        std::string lastError;
        PortAccess access;
        std::string expected;
    };
    const Case cases[] = {
        {"other failure keeps the port's text",
         "No such file or directory",
         {},
         "No such file or directory"},
        {"other failure without a text", "", {}, ""},
        {"denied keeps the port's text",
         "Permission denied",
         {true, "dialout"},
         "Permission denied" + advice},
        {"denied without a text says so", "", {true, "dialout"}, "Permission denied" + advice},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(DescribeOpenFailure("/dev/ttyUSB0", c.lastError, c.access), c.expected) << c.name;
    }
}

TEST(ProbePortAccess, OnlyAnExistingPathWithoutReadWriteAccessIsDenied) {
    EXPECT_FALSE(ProbePortAccess("/no/such/device").denied);
    ScratchFile open("open-port", "");
    EXPECT_FALSE(ProbePortAccess(open.path).denied);
    EXPECT_EQ(DescribeOpenFailure(open.path, "Device busy"), "Device busy");

    ScratchFile locked("locked-port", "");
    ASSERT_EQ(::chmod(locked.path.c_str(), 0), 0);
    if (::access(locked.path.c_str(), R_OK | W_OK) == 0)
        GTEST_SKIP() << "running with rights that ignore file modes";
    const PortAccess access = ProbePortAccess(locked.path);
    EXPECT_TRUE(access.denied);
    struct stat st {};
    ASSERT_EQ(::stat(locked.path.c_str(), &st), 0);
    const group* g = ::getgrgid(st.st_gid);
    EXPECT_EQ(access.owningGroup, g ? std::string(g->gr_name) : std::to_string(st.st_gid));
}

} // namespace
