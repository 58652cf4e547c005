#include "CFileFacts.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

bool CFileFacts::Read(const std::string& path) {
    struct statx info {};
    const unsigned int wanted = STATX_SIZE | STATX_BTIME | STATX_MTIME;
    if (::statx(AT_FDCWD, path.c_str(), 0, wanted, &info) == 0) {
        m_nSize = info.stx_size;
        const bool haveBirth = (info.stx_mask & STATX_BTIME) != 0;
        const auto seconds = haveBirth ? info.stx_btime.tv_sec : info.stx_mtime.tv_sec;
        m_dtCreated = CDateTime::FromUtcTime(static_cast<std::time_t>(seconds));
        return true;
    }
    if (errno != ENOSYS) {
        return false;
    }
    // A kernel without statx: the modification time.
    struct stat plain {};
    if (::stat(path.c_str(), &plain) != 0) {
        return false;
    }
    m_nSize = static_cast<std::uint64_t>(plain.st_size);
    m_dtCreated = CDateTime::FromUtcTime(plain.st_mtime);
    return true;
}

void CFileFacts::Set(std::uint64_t size, std::int64_t createdSeconds) {
    m_nSize = size;
    m_dtCreated = CDateTime::FromUtcTime(static_cast<std::time_t>(createdSeconds));
}

std::uint32_t CFileFacts::GetSize32() const {
    return m_nSize > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<std::uint32_t>(m_nSize);
}
