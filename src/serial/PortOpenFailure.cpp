#include "serial/PortOpenFailure.h"

#include <cerrno>
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

PortAccess ProbePortAccess(const std::string& path) {
    PortAccess result;
    struct stat st {};
    if (::access(path.c_str(), R_OK | W_OK) != 0 && errno == EACCES &&
        ::stat(path.c_str(), &st) == 0) {
        result.denied = true;
        const group* g = ::getgrgid(st.st_gid);
        result.owningGroup = g ? std::string(g->gr_name) : std::to_string(st.st_gid);
    }
    return result;
}

std::string DescribeOpenFailure(const std::string& path, const std::string& lastError,
                                const PortAccess& access) {
    std::string reason = lastError;
    if (!access.denied)
        return reason;
    if (reason.empty())
        reason = "Permission denied";
    reason += "\nYou must be a member of the group \"" + access.owningGroup + "\" that owns " +
              path + " (for example: sudo usermod -aG " + access.owningGroup +
              " $USER, then log in again).";
    return reason;
}

std::string DescribeOpenFailure(const std::string& path, const std::string& lastError) {
    return DescribeOpenFailure(path, lastError, ProbePortAccess(path));
}
