#pragma once
// Waits for a serial port that went away to come back under the same path (a USB tracker
// power-cycled, a /dev/serial/by-id link made again) and says when to try opening it. Plain
// state: the frame polls it from a timer on its own thread and does the opening itself.

#include <string>

class LostPortWatch {
public:
    enum class Step {
        Nothing, // not watching, switched off, another source is open, or the path is not back
        TryOpen, // the path names a terminal again: open Path() at Baud()
    };

    // A live port was lost: watch its path from now on. When the path is a link (a
    // /dev/serial/by-id name, a simulator's link), the link itself is noted: the one left
    // behind does not count as the port being back, since the terminal it names may by now be
    // someone else's (terminal numbers are handed out again); a link made anew does.
    void Lost(const std::string& path, int baud);
    // Stop watching: the operator chose otherwise (connected, played back, disconnected) or the
    // port is open again.
    void Cancel();

    bool Watching() const { return !m_path.empty(); }
    const std::string& Path() const { return m_path; }
    int Baud() const { return m_nBaud; }

    // One poll. `enabled` is the operator's choice; `sourceOpen` whether any source is open
    // now (one that was opened some other way ends the watch). Asks the file system only while
    // there is something to wait for, and never blocks on the device itself.
    Step Poll(bool enabled, bool sourceOpen);

    // Whether `path` names a character device now (a link is followed; a dangling one does not).
    static bool PathPresent(const std::string& path);

private:
    std::string m_path;
    int m_nBaud = 0;
    // The link found at the path when the port was lost (inode and change time), if any.
    bool m_bLeftLink = false;
    unsigned long long m_linkInode = 0;
    long long m_linkChangeSec = 0, m_linkChangeNsec = 0;

    bool IsTheLeftLink() const;
};
