#pragma once
// Why a port did not open, in words for the operator. Most often on a new bench machine the
// operator is not in the group that owns the device node; the message then says which group
// and how to join it, since the system's own text ("Permission denied") does not.

#include <string>

// What the file system says about the operator's access to a device path.
struct PortAccess {
    bool denied = false;     // the path exists and the process may not read and write it
    std::string owningGroup; // the name of the path's group (its number when it has no name)
};

// Asks the file system (access and stat) about `path`.
PortAccess ProbePortAccess(const std::string& path);

// The reason line(s) of the "Unable to connect" message: `lastError`, the port's own error
// text; for a denied path "Permission denied" when that text is empty, then the group advice.
std::string DescribeOpenFailure(const std::string& path, const std::string& lastError,
                                const PortAccess& access);
// The same, with the access of `path` probed now.
std::string DescribeOpenFailure(const std::string& path, const std::string& lastError);
