#include "PosixFile.h"

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>
#include <utility>

PosixFile::~PosixFile() {
    Close();
}

PosixFile::PosixFile(PosixFile&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

PosixFile& PosixFile::operator=(PosixFile&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

bool PosixFile::OpenRead(const std::string& path) {
    return OpenReadIn(AT_FDCWD, path.c_str());
}

bool PosixFile::OpenReadIn(int folderFd, const char* name) {
    Close();
    // Reading a file need not update its access time. Only the file's owner may ask for
    // that: a refusal opens the file plainly, and once one came, later opens do not ask.
    static std::atomic<bool> noAtimeRefused{false};
    if (!noAtimeRefused.load(std::memory_order_relaxed)) {
        do {
            m_fd = ::openat(folderFd, name, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOATIME);
        } while (m_fd < 0 && errno == EINTR);
        if (m_fd >= 0 || errno != EPERM) {
            return m_fd >= 0;
        }
        noAtimeRefused.store(true, std::memory_order_relaxed);
    }
    do {
        m_fd = ::openat(folderFd, name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    } while (m_fd < 0 && errno == EINTR);
    return m_fd >= 0;
}

bool PosixFile::OpenReadWrite(const std::string& path) {
    Close();
    do {
        m_fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    } while (m_fd < 0 && errno == EINTR);
    return m_fd >= 0;
}

void PosixFile::Adopt(int fd) {
    Close();
    m_fd = fd;
}

void PosixFile::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

bool PosixFile::Stat(struct stat& info) const {
    return m_fd >= 0 && ::fstat(m_fd, &info) == 0;
}

std::int64_t PosixFile::Size() const {
    struct stat info {};
    if (!Stat(info)) {
        return -1;
    }
    return static_cast<std::int64_t>(info.st_size);
}

bool PosixFile::SizeAndCreated(std::int64_t& size, std::int64_t& createdSeconds,
                               bool* isFolder) const {
    if (m_fd < 0) {
        return false;
    }
    struct statx info {};
    const unsigned int wanted = STATX_TYPE | STATX_SIZE | STATX_BTIME | STATX_MTIME;
    if (::statx(m_fd, "", AT_EMPTY_PATH, wanted, &info) == 0) {
        size = static_cast<std::int64_t>(info.stx_size);
        const bool haveBirth = (info.stx_mask & STATX_BTIME) != 0;
        createdSeconds = haveBirth ? info.stx_btime.tv_sec : info.stx_mtime.tv_sec;
        if (isFolder != nullptr) {
            *isFolder = S_ISDIR(info.stx_mode);
        }
        return true;
    }
    struct stat plain {};
    if (!Stat(plain)) {
        return false;
    }
    size = static_cast<std::int64_t>(plain.st_size);
    createdSeconds = plain.st_mtime;
    if (isFolder != nullptr) {
        *isFolder = S_ISDIR(plain.st_mode);
    }
    return true;
}

std::int64_t PosixFile::ReadAt(std::int64_t offset, std::span<std::uint8_t> buffer) const {
    if (m_fd < 0 || offset < 0) {
        return -1;
    }
    std::size_t done = 0;
    while (done < buffer.size()) {
        const ssize_t n = ::pread(m_fd, buffer.data() + done, buffer.size() - done,
                                  static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return -1;
        }
        if (n == 0) {
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    return static_cast<std::int64_t>(done);
}

bool PosixFile::WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes) const {
    if (m_fd < 0 || offset < 0) {
        return false;
    }
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(m_fd, bytes.data() + done, bytes.size() - done,
                                   static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        if (n == 0) {
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool PosixFile::Truncate(std::int64_t length) const {
    return m_fd >= 0 && ::ftruncate(m_fd, static_cast<off_t>(length)) == 0;
}

bool PosixFile::Sync() const {
    return m_fd >= 0 && ::fsync(m_fd) == 0;
}

int PosixFile::ReadAll(std::int64_t maxSize, std::vector<std::uint8_t>& bytes) const {
    const std::int64_t size = Size();
    if (size < 0) {
        return kReadAllFailed;
    }
    if (size > maxSize) {
        return kReadAllTooLarge;
    }
    bytes.resize(static_cast<std::size_t>(size));
    return ReadAt(0, bytes) == size ? kReadAll : kReadAllFailed;
}

int PosixFile::ReadWholeFile(const std::string& path, std::int64_t maxSize,
                             std::vector<std::uint8_t>& bytes) {
    PosixFile file;
    if (!file.OpenRead(path)) {
        return kReadAllFailed;
    }
    return file.ReadAll(maxSize, bytes);
}
