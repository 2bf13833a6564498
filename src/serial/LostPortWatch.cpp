#include "serial/LostPortWatch.h"

#include <sys/stat.h>

void LostPortWatch::Lost(const std::string& path, int baud) {
    m_path = path;
    m_nBaud = baud;
    struct stat st {};
    m_bLeftLink = ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    m_linkInode = m_bLeftLink ? st.st_ino : 0;
    m_linkChangeSec = m_bLeftLink ? st.st_ctim.tv_sec : 0;
    m_linkChangeNsec = m_bLeftLink ? st.st_ctim.tv_nsec : 0;
}

bool LostPortWatch::IsTheLeftLink() const {
    if (!m_bLeftLink)
        return false;
    struct stat st {};
    return ::lstat(m_path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && st.st_ino == m_linkInode &&
           st.st_ctim.tv_sec == m_linkChangeSec && st.st_ctim.tv_nsec == m_linkChangeNsec;
}

void LostPortWatch::Cancel() {
    *this = LostPortWatch();
}

LostPortWatch::Step LostPortWatch::Poll(bool enabled, bool sourceOpen) {
    if (!Watching())
        return Step::Nothing;
    if (sourceOpen) {
        Cancel();
        return Step::Nothing;
    }
    if (!enabled || !PathPresent(m_path) || IsTheLeftLink())
        return Step::Nothing;
    return Step::TryOpen;
}

bool LostPortWatch::PathPresent(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}
