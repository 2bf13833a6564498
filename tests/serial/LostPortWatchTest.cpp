// When a lost port is tried again: only while watched, switched on, with nothing else open,
// and once its path names a terminal again (a link is followed, a dangling one is not there).

#include "serial/LostPortWatch.h"

#include "PtyPair.h"
#include "ScratchFile.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using Step = LostPortWatch::Step;

std::string LinkPath(const std::string& name) {
    return testing::TempDir() + "tollbrook-watch-" + std::to_string(getpid()) + "-" + name;
}

struct Link {
    std::string path;
    Link(const std::string& name, const std::string& target) : path(LinkPath(name)) {
        ::unlink(path.c_str());
        if (::symlink(target.c_str(), path.c_str()) != 0)
            path.clear();
    }
    ~Link() {
        if (!path.empty())
            ::unlink(path.c_str());
    }
};

TEST(LostPortWatch, TriesAgainOnlyWhenThePathNamesATerminalAgain) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    const ScratchFile file("watch-not-a-port.txt", "x");
    const Link toPty("to-pty", pty.slavePath);
    const Link dangling("dangling", "/dev/tollbrook-no-such-port");
    ASSERT_FALSE(toPty.path.empty());
    ASSERT_FALSE(dangling.path.empty());
    struct Case {
        const char* name;
        std::string path;
        Step expected;
    } cases[] = {
        {"terminal", pty.slavePath, Step::TryOpen},
        {"link left behind, naming a terminal", toPty.path, Step::Nothing},
        {"dangling link", dangling.path, Step::Nothing},
        {"missing", "/dev/tollbrook-no-such-port", Step::Nothing},
        {"regular file", file.path, Step::Nothing},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LostPortWatch watch;
        watch.Lost(c.path, 4800);
        EXPECT_EQ(watch.Poll(true, false), c.expected);
        // Switched off, nothing is tried, and the wait goes on for when it is switched on.
        EXPECT_EQ(watch.Poll(false, false), Step::Nothing);
        EXPECT_TRUE(watch.Watching());
        EXPECT_EQ(watch.Path(), c.path);
        EXPECT_EQ(watch.Baud(), 4800);
    }
}

// A link left behind by a device that went away may come to name another terminal once its
// number is handed out again; only a link made anew is the device being back.
TEST(LostPortWatch, ALinkLeftBehindIsNotThePortBackALinkMadeAnewIs) {
    PtyPair first;
    ASSERT_TRUE(first.ok());
    const std::string path = LinkPath("remade");
    ::unlink(path.c_str());
    ASSERT_EQ(::symlink(first.slavePath.c_str(), path.c_str()), 0);
    LostPortWatch watch;
    watch.Lost(path, 115200);
    // Still there and naming a terminal (as it would once the number is someone else's).
    EXPECT_EQ(watch.Poll(true, false), Step::Nothing);

    PtyPair second;
    ASSERT_TRUE(second.ok());
    ::unlink(path.c_str());
    ASSERT_EQ(::symlink(second.slavePath.c_str(), path.c_str()), 0);
    EXPECT_EQ(watch.Poll(true, false), Step::TryOpen);
    ::unlink(path.c_str());
}

TEST(LostPortWatch, EndsWhenTheOperatorChoseOtherwiseOrAnotherSourceIsOpen) {
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    LostPortWatch watch;
    EXPECT_EQ(watch.Poll(true, false), Step::Nothing); // nothing lost, nothing to wait for
    EXPECT_FALSE(watch.Watching());

    watch.Lost(pty.slavePath, 9600);
    watch.Cancel();
    EXPECT_FALSE(watch.Watching());
    EXPECT_EQ(watch.Poll(true, false), Step::Nothing);

    // A source opened some other way (Connect, a playback) ends the wait for good.
    watch.Lost(pty.slavePath, 9600);
    EXPECT_EQ(watch.Poll(true, true), Step::Nothing);
    EXPECT_FALSE(watch.Watching());
    EXPECT_EQ(watch.Poll(true, false), Step::Nothing);
}

} // namespace
